#include "common/widgets/MessageBoxes.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>

namespace ret {
namespace {

QMessageBox::Icon iconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MsgButtons b) {
    switch (b) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton buttonOf(MsgAnswer a) {
    switch (a) {
    case MsgAnswer::Ok:
        return QMessageBox::Ok;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

MsgAnswer answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

} // namespace

QWidget* MessageBoxes::ownerWindow() {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    if (owner == nullptr && lastOwner_ != nullptr && lastOwner_->isVisible())
        owner = lastOwner_;
    lastOwner_ = owner;
    return owner;
}

MsgAnswer MessageBoxes::show(const Message& message) {
    QMessageBox box(iconOf(message.icon), message.title, message.text, buttonsOf(message.buttons),
                    ownerWindow());
    box.setDefaultButton(buttonOf(message.defaultAnswer));
    const int pressed = box.exec();
    // closing a question's box with Escape or its close box answers as Cancel or No
    if (pressed == QMessageBox::Escape || pressed == 0)
        return message.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    return answerOf(pressed);
}

std::unique_ptr<QTranslator> installSpanishTexts() {
    auto texts = std::make_unique<QTranslator>();
    if (!texts->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(texts.get()))
        return nullptr;
    return texts;
}

ProgramStart startProgram(int& argc, char** argv) {
    ProgramStart start;
    start.headless = headlessRequested();
    if (start.headless) {
        start.app = std::make_unique<QCoreApplication>(argc, argv);
        start.messages = std::make_unique<HeadlessMessages>();
    } else {
        start.app = std::make_unique<QApplication>(argc, argv);
        start.texts = installSpanishTexts();
        start.messages = std::make_unique<MessageBoxes>();
    }
    return start;
}

} // namespace ret
