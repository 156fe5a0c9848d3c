#include "reports/widgets/frmImpxPagDialog.h"

#include "common/widgets/FormHelpers.h"
#include "reports/frmImpxPag.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace ret::reports {

frmImpxPagDialog::frmImpxPagDialog(frmImpxPag& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(model.caption());
    workButtonsFromKeyboard(*this);

    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setFocusPolicy(Qt::NoFocus);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setPlainText(frmImpxPag::text1().replace(QLatin1String("\r\n"), QLatin1String("\n")));
    text1_->setMinimumWidth(text1_->fontMetrics().horizontalAdvance(
                                QStringLiteral("Se recomienda imprimir en rangos no mayores a 10 "
                                               "páginas.")) +
                            24);
    text1_->setFixedHeight(text1_->fontMetrics().lineSpacing() * 7 + 12);

    // the page count stands over the run of blanks of the first sentence
    txtTotPaginas_ = new QLineEdit(model.txtTotPaginas(), text1_->viewport());
    txtTotPaginas_->setObjectName(QStringLiteral("txtTotPaginas"));
    txtTotPaginas_->setReadOnly(true);
    txtTotPaginas_->setFocusPolicy(Qt::NoFocus);
    txtTotPaginas_->setFrame(false);
    txtTotPaginas_->setAlignment(Qt::AlignCenter);
    txtTotPaginas_->setBackgroundRole(QPalette::Window);
    txtTotPaginas_->setAutoFillBackground(true);

    auto* frame = new QGroupBox(QStringLiteral("Imprimir"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    txtPagDesde_ = new QLineEdit(model.txtPagDesde, frame);
    txtPagDesde_->setObjectName(QStringLiteral("txtPagDesde"));
    txtPagHasta_ = new QLineEdit(model.txtPagHasta, frame);
    txtPagHasta_->setObjectName(QStringLiteral("txtPagHasta"));
    auto* label2 = new QLabel(QStringLiteral("&Desde :"), frame);
    label2->setBuddy(txtPagDesde_);
    auto* label1 = new QLabel(QStringLiteral("&Hasta :"), frame);
    label1->setBuddy(txtPagHasta_);
    auto* range = new QHBoxLayout(frame);
    range->addWidget(label2);
    range->addWidget(txtPagDesde_);
    range->addSpacing(16);
    range->addWidget(label1);
    range->addWidget(txtPagHasta_);
    for (QLineEdit* box : {txtPagDesde_, txtPagHasta_})
        box->installEventFilter(this);

    preliminar_ = new QPushButton(QStringLiteral("&Preliminar"), this);
    preliminar_->setObjectName(QStringLiteral("cmdAccion0"));
    cancelar_ = new QPushButton(QStringLiteral("&Cancelar"), this);
    cancelar_->setObjectName(QStringLiteral("cmdAccion1"));
    for (QPushButton* b : {preliminar_, cancelar_})
        b->setAutoDefault(false); // Enter in the range boxes moves the focus on
    connect(preliminar_, &QPushButton::clicked, this, &frmImpxPagDialog::preliminar);
    connect(cancelar_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(preliminar_);
    buttons->addWidget(cancelar_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1_);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    txtPagDesde_->setFocus();
}

void frmImpxPagDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeCount();
}

void frmImpxPagDialog::placeCount() {
    QTextCursor at(text1_->document());
    at.setPosition(int(frmImpxPag::textBeforeCount().size()));
    const QRect before = text1_->cursorRect(at);
    at.setPosition(at.position() + 18);
    const QRect after = text1_->cursorRect(at);
    txtTotPaginas_->setGeometry(before.left() + 2, before.top(), after.left() - before.left() - 4,
                                before.height());
}

bool frmImpxPagDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || (watched != txtPagDesde_ && watched != txtPagHasta_))
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        PasaFoco(QStringLiteral("TAB"));
        return true;
    }
    const QString text = key->text();
    if (key->key() == Qt::Key_Backspace || text.isEmpty() || !text.at(0).isPrint())
        return false; // moving and deleting keys stay the box's own
    return !frmImpxPag::acceptsKey(text.at(0));
}

void frmImpxPagDialog::preliminar() {
    model_.txtPagDesde = txtPagDesde_->text();
    model_.txtPagHasta = txtPagHasta_->text();
    model_.preliminar();
}

} // namespace ret::reports
