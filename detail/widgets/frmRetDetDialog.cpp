#include "detail/widgets/frmRetDetDialog.h"

#include "common/widgets/FormHelpers.h"
#include "detail/widgets/VoucherEntry.h"

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

// A frozen drop-down list is flat grey as the frozen fields are; the style's own disabled list
// keeps its raised gradient.
const QString kFrozenList = QStringLiteral(
    "QComboBox { background-color: #d4d0c8; color: #000000; border: 1px solid #a0a0a0;"
    " border-radius: 2px; padding: 1px 4px; }");

} // namespace

void frmRetDetDialog::fitTypeName() {
    // the name beside the list takes the room of the longest one, so that the window keeps
    // its width whatever type is chosen
    const QFontMetrics metrics(lblDesDoc_->font());
    int widest = 0;
    for (const QString& entry : model_.types())
        widest = std::max(widest, metrics.horizontalAdvance(entry.right(40).trimmed()));
    lblDesDoc_->setFixedWidth(widest);
}

frmRetDetDialog::frmRetDetDialog(Session& session, QWidget* parent)
    : QDialog(parent), model_(session) {
    setWindowTitle(frmRetDet::kCaption);
    workButtonsFromKeyboard(*this);
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

    fields_ = std::make_unique<voucher::VoucherFieldFilter<frmRetDet>>(
        model_,
        voucher::VoucherFieldFilter<frmRetDet>::Fields{txtSerie_, txtNumero_, txtMtoDet_,
                                                       mkeFecEmis_},
        voucher::VoucherFieldFilter<frmRetDet>::Amount{
            &frmRetDet::totalKey, &frmRetDet::totalMaxLength, &frmRetDet::totalFocusIn,
            &frmRetDet::totalFocusOut},
        [this] { focusNextChild(); });
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
    return fields_->key(watched, *key);
}

bool frmRetDetDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != cmbTipoDoc_ && voucher::clearsClipboard(*event))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return filterKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        fields_->focus(watched, *event);
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
        fitTypeName();
    }
    cmbTipoDoc_->setCurrentIndex(model_.typeIndex());
    cmbTipoDoc_->setEnabled(keys);
    cmbTipoDoc_->setStyleSheet(keys ? QString() : kFrozenList);
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
