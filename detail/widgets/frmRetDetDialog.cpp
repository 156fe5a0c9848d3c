#include "frmRetDetDialog.h"

#include "VoucherEntry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ret {
namespace {

bool userMove(QEvent* event) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

frmRetDetDialog::frmRetDetDialog(Session& session, QWidget* parent)
    : QDialog(parent), model_(session) {
    setWindowTitle(frmRetDet::kCaption);
    cmbTipoDoc_ = new QComboBox(this);
    cmbTipoDoc_->setObjectName(QStringLiteral("CmbTipoDoc"));
    // the drop-down shows the whole entry, 40 characters of name included
    cmbTipoDoc_->view()->setMinimumWidth(
        QFontMetrics(cmbTipoDoc_->font()).horizontalAdvance(QString(45, QLatin1Char('X'))));
    lblDesDoc_ = new QLabel(this);
    lblDesDoc_->setObjectName(QStringLiteral("LblDesDoc"));
    txtSerie_ = new QLineEdit(this);
    txtSerie_->setObjectName(QStringLiteral("TxtSerie"));
    txtSerie_->setMaxLength(4);
    txtNumero_ = new QLineEdit(this);
    txtNumero_->setObjectName(QStringLiteral("TxtNumero"));
    mkeFecEmis_ = new QLineEdit(this);
    mkeFecEmis_->setObjectName(QStringLiteral("MkeFecEmis"));
    mkeFecEmis_->setInputMask(QStringLiteral("99/99/9999;_"));
    txtMtoDet_ = new QLineEdit(this);
    txtMtoDet_->setObjectName(QStringLiteral("TxtMtoDet"));
    txtMtoDet_->setAlignment(Qt::AlignRight);

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(cmbTipoDoc_);
    typeRow->addWidget(lblDesDoc_, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Tipo de doc. :"), typeRow);
    form->addRow(QStringLiteral("Serie :"), txtSerie_);
    form->addRow(QStringLiteral("Nro. documento :"), txtNumero_);
    form->addRow(QString::fromUtf8("Fecha de emisión:"), mkeFecEmis_);
    form->addRow(QStringLiteral("Valor Total del Comprobante de Pago :"), txtMtoDet_);
    cmdAceptar_ = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdSalir_ = new QPushButton(QStringLiteral("&Salir"), this);
    cmdAceptar_->setAutoDefault(false);
    cmdSalir_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAceptar_);
    buttons->addWidget(cmdSalir_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setTabOrder(cmbTipoDoc_, txtSerie_);
    setTabOrder(txtSerie_, txtNumero_);
    setTabOrder(txtNumero_, mkeFecEmis_);
    setTabOrder(mkeFecEmis_, txtMtoDet_);

    cmbTipoDoc_->installEventFilter(this);
    for (QLineEdit* e : {txtSerie_, txtNumero_, mkeFecEmis_, txtMtoDet_})
        voucher::watch(*e, this);
    connect(cmbTipoDoc_, &QComboBox::activated, this, [this](int i) { model_.chooseType(i); });
    connect(txtSerie_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setSerie(t); });
    connect(txtNumero_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setNumero(t); });
    connect(txtMtoDet_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setTotal(t); });
    connect(mkeFecEmis_, &QLineEdit::textChanged, this, [this] {
        if (!syncing_)
            model_.setFecha(mkeFecEmis_->displayText());
    });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] {
        cmdAceptar_->setFocus();
        if (model_.aceptar())
            accept();
    });
    connect(cmdSalir_, &QPushButton::clicked, this, [this] {
        cmdSalir_->setFocus();
        if (model_.salir())
            accept();
    });

    model_.onChange = [this] { sync(); };
    model_.load();
    move(2800 / 15, 2600 / 15); // 2800, 2600 twips
    sync();
}

bool frmRetDetDialog::filterKey(QObject* watched, QKeyEvent* key) {
    if (watched == cmbTipoDoc_) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextChild(); // Enter moves on like Tab
            return true;
        }
        return false;
    }
    if (voucher::isPaste(*key)) {
        QApplication::clipboard()->clear();
        return true;
    }
    const int code = voucher::keyCode(*key);
    if (code < 0)
        return false;
    bool taken = false;
    if (watched == txtSerie_) {
        const int r =
            model_.serieKey(code, txtSerie_->cursorPosition(), txtSerie_->hasSelectedText());
        taken = voucher::applyKey(*txtSerie_, code, r);
    } else if (watched == txtNumero_) {
        taken = voucher::applyKey(*txtNumero_, code, model_.numeroKey(code));
    } else if (watched == txtMtoDet_) {
        const int r = model_.totalKey(code);
        voucher::setLimit(*txtMtoDet_, model_.totalMaxLength());
        taken = voucher::applyKey(*txtMtoDet_, code, r);
    } else if (watched == mkeFecEmis_) {
        if (code == 13) {
            focusNextChild();
            return true;
        }
        return false; // the mask takes digits only
    }
    if (model_.takeMoveOn())
        focusNextChild();
    return taken;
}

bool frmRetDetDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != cmbTipoDoc_ && voucher::clearsClipboard(*event))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return filterKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        if (watched == txtMtoDet_ && userMove(event)) {
            model_.totalFocusIn();
            voucher::setLimit(*txtMtoDet_, model_.totalMaxLength());
        }
        break;
    case QEvent::FocusOut:
        if (!userMove(event))
            break;
        if (watched == txtSerie_)
            model_.serieFocusOut();
        else if (watched == txtNumero_)
            model_.numeroFocusOut();
        else if (watched == txtMtoDet_) {
            model_.totalFocusOut();
            voucher::setLimit(*txtMtoDet_, model_.totalMaxLength());
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmRetDetDialog::sync() {
    if (syncing_)
        return;
    syncing_ = true;
    const bool readOnly = model_.readOnly();
    const bool keys = model_.keyEnabled();
    if (cmbTipoDoc_->count() != model_.types().size()) {
        cmbTipoDoc_->clear();
        cmbTipoDoc_->addItems(model_.types());
    }
    cmbTipoDoc_->setCurrentIndex(model_.typeIndex());
    cmbTipoDoc_->setEnabled(keys);
    cmbTipoDoc_->setStyleSheet(voucher::greyStyle(keys));
    lblDesDoc_->setText(model_.desDoc());
    voucher::setText(*txtSerie_, model_.serie());
    voucher::setText(*txtNumero_, model_.numero());
    voucher::setLimit(*txtNumero_, model_.numeroMaxLength());
    voucher::setDateText(*mkeFecEmis_, model_.fecha());
    voucher::setText(*txtMtoDet_, model_.total());
    if (!txtMtoDet_->hasFocus())
        voucher::setLimit(*txtMtoDet_, model_.totalMaxLength());
    for (QLineEdit* e : {txtSerie_, txtNumero_}) {
        e->setEnabled(keys);
        e->setStyleSheet(voucher::greyStyle(keys));
    }
    for (QLineEdit* e : {mkeFecEmis_, txtMtoDet_}) {
        e->setEnabled(!readOnly);
        e->setStyleSheet(voucher::greyStyle(!readOnly));
    }
    cmdAceptar_->setVisible(!readOnly);
    syncing_ = false;
    applyFocus();
}

void frmRetDetDialog::applyFocus() {
    QWidget* target = nullptr;
    switch (model_.takeFocusRequest()) {
    case frmRetDet::Focus::Tipo:
        target = cmbTipoDoc_;
        break;
    case frmRetDet::Focus::Serie:
        target = txtSerie_;
        break;
    case frmRetDet::Focus::Numero:
        target = txtNumero_;
        break;
    case frmRetDet::Focus::Fecha:
        target = mkeFecEmis_;
        break;
    case frmRetDet::Focus::Total:
        target = txtMtoDet_;
        break;
    case frmRetDet::Focus::None:
        break;
    }
    if (target && target->isEnabled())
        target->setFocus();
}

void frmRetDetDialog::reject() {
    if (model_.salir())
        QDialog::reject();
}

} // namespace ret
