#include "detail/widgets/VoucherEntry.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace ret::voucher {

int keyCode(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
        return -1;
    default:
        break;
    }
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return 0; // no editing shortcuts (cut, undo) that would slip past the rules
    const QString t = key.text();
    return t.isEmpty() ? 0 : int(t.at(0).unicode());
}

bool isPaste(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Insert && (key.modifiers() & Qt::ShiftModifier)) ||
           (key.key() == Qt::Key_V && (key.modifiers() & Qt::ControlModifier));
}

bool clearsClipboard(const QEvent& event) {
    if (event.type() != QEvent::MouseButtonPress ||
        static_cast<const QMouseEvent&>(event).button() != Qt::RightButton)
        return false;
    QApplication::clipboard()->clear();
    return true;
}

bool applyKey(QLineEdit& edit, int typed, int result) {
    if (result == 0)
        return true;
    if (result == typed)
        return false;
    edit.insert(QString(QChar(result)));
    return true;
}

void setText(QLineEdit& edit, const QString& text) {
    if (edit.text() != text)
        edit.setText(text);
}

QString greyStyle(bool editable) {
    return editable ? QString() : QStringLiteral("background-color: #d4d0c8; color: #000000;");
}

void setLimit(QLineEdit& edit, int length) {
    edit.setMaxLength(std::max(length, int(edit.text().size())));
}

void setDateText(QLineEdit& edit, const QString& text) {
    if (edit.displayText() == text)
        return;
    bool digits = false;
    for (const QChar c : text)
        digits = digits || c.isDigit();
    if (!digits)
        edit.clear();
    else
        edit.setText(text);
}

void watch(QLineEdit& edit, QObject* filter) {
    edit.setContextMenuPolicy(Qt::PreventContextMenu);
    edit.installEventFilter(filter);
}

QHBoxLayout* closeButtons(QWidget* parent, QPushButton*& aceptar, QPushButton*& salir) {
    aceptar = new QPushButton(QStringLiteral("&Aceptar"), parent);
    salir = new QPushButton(QStringLiteral("&Salir"), parent);
    aceptar->setAutoDefault(false);
    salir->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(aceptar);
    buttons->addWidget(salir);
    return buttons;
}

} // namespace ret::voucher
