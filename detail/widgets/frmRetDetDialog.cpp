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
    auto* buttons = voucher::closeButtons(this, cmdAceptar_, cmdSalir_);
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
    voucher::closeOn(*this, model_, cmdAceptar_, cmdSalir_);

    fields_ = std::make_unique<voucher::VoucherFieldFilter<frmRetDet>>(
        model_,
        voucher::VoucherFieldFilter<frmRetDet>::Fields{txtSerie_, txtNumero_, txtMtoDet_,
                                                       mkeFecEmis_},
        voucher::VoucherFieldFilter<frmRetDet>::Amount{
            &frmRetDet::total, &frmRetDet::setTotal, &frmRetDet::totalKey,
            &frmRetDet::totalMaxLength, &frmRetDet::totalFocusIn, &frmRetDet::totalFocusOut},
        [this] { focusNextChild(); });
    fields_->forwardEdits(this, syncing_);
    model_.onChange = [this] { sync(); };
    model_.load();
    move(2800 / 15, 2600 / 15); // 2800, 2600 twips
    sync();
}

bool frmRetDetDialog::typeKey(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    focusNextChild(); // Enter moves on like Tab
    return true;
}

bool frmRetDetDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmbTipoDoc_) {
        if (event->type() == QEvent::KeyPress)
            return typeKey(static_cast<const QKeyEvent&>(*event));
        return QDialog::eventFilter(watched, event);
    }
    if (const std::optional<bool> taken = fields_->filter(watched, *event))
        return *taken;
    return QDialog::eventFilter(watched, event);
}

void frmRetDetDialog::sync() {
    if (syncing_)
        return;
    syncing_ = true;
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
    const bool typingTotal = txtMtoDet_->hasFocus(); // its limit is the typing one then
    fields_->show();
    voucher::setLimit(*txtNumero_, model_.numeroMaxLength());
    if (!typingTotal)
        voucher::setLimit(*txtMtoDet_, model_.totalMaxLength());
    cmdAceptar_->setVisible(!model_.readOnly());
    syncing_ = false;
    applyFocus();
}

void frmRetDetDialog::applyFocus() {
    using Focus = frmRetDet::Focus;
    voucher::giveFocus<Focus>(model_.takeFocusRequest(), {{Focus::Tipo, cmbTipoDoc_},
                                                          {Focus::Serie, txtSerie_},
                                                          {Focus::Numero, txtNumero_},
                                                          {Focus::Fecha, mkeFecEmis_},
                                                          {Focus::Total, txtMtoDet_}});
}

void frmRetDetDialog::reject() {
    if (model_.salir())
        QDialog::reject();
}

} // namespace ret
