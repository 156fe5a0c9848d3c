#include "detail/widgets/FrmDetAgeRetDialog.h"

#include "common/widgets/FormHelpers.h"
#include "detail/widgets/VoucherEntry.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ret {
namespace {

constexpr int kTypeColumn = 4;

// The widest amount of a payment voucher: twelve digits before the point, or eleven in the
// brackets of a credit note.
QString widestPaymentAmount(const QFontMetrics& metrics) {
    const QString credit = QStringLiteral("(99,999,999,999.99)");
    return metrics.horizontalAdvance(credit) > metrics.horizontalAdvance(kWidestAmount)
               ? credit
               : kWidestAmount;
}

QLineEdit* computedField(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setEnabled(false);
    e->setAlignment(Qt::AlignRight);
    e->setStyleSheet(voucher::greyStyle(false));
    return e;
}

} // namespace

FrmDetAgeRetDialog::FrmDetAgeRetDialog(Session& session, QWidget* parent)
    : QDialog(parent), model_(session) {
    setWindowTitle(FrmDetAgeRet::kCaption);
    workButtonsFromKeyboard(*this);

    auto* frame = new QGroupBox(QString::fromUtf8("Comprobante de Retención emitida"), this);
    txtNumRuc_ = new QLineEdit(frame);
    txtNumRuc_->setObjectName(QStringLiteral("TxtNumRuc"));
    txtNumRuc_->setMaxLength(11);
    txtNumRuc_->setReadOnly(true);
    txtNumRuc_->setFocusPolicy(Qt::NoFocus);
    txtNumRuc_->setStyleSheet(voucher::greyStyle(false));
    txtSerie_ = new QLineEdit(frame);
    txtSerie_->setObjectName(QStringLiteral("TxtSerie"));
    txtSerie_->setMaxLength(4);
    txtNumero_ = new QLineEdit(frame);
    txtNumero_->setObjectName(QStringLiteral("TxtNumero"));
    txtNumero_->setMaxLength(8);
    mkeFecEmis_ = new QLineEdit(frame);
    mkeFecEmis_->setObjectName(QStringLiteral("MkeFecEmis"));
    mkeFecEmis_->setInputMask(QStringLiteral("99/99/9999;_"));
    txtMtoBase_ = new QLineEdit(frame);
    txtMtoBase_->setObjectName(QStringLiteral("TxtMtoBase"));
    txtMtoBase_->setMaxLength(18);
    txtMtoBase_->setAlignment(Qt::AlignRight);
    txtTasa_ = computedField(frame);
    txtTasa_->setObjectName(QStringLiteral("TxtTasa"));
    txtRetencion_ = computedField(frame);
    txtRetencion_->setObjectName(QStringLiteral("TxtRetencion"));
    auto* form = new QFormLayout(frame);
    form->addRow(QStringLiteral("RUC :"), txtNumRuc_);
    form->addRow(QStringLiteral("Serie :"), txtSerie_);
    form->addRow(QString::fromUtf8("Número :"), txtNumero_);
    form->addRow(QString::fromUtf8("Fecha de emisión :"), mkeFecEmis_);
    form->addRow(QStringLiteral("Monto Pagado :"), txtMtoBase_);
    form->addRow(QStringLiteral("Tasa (%) :"), txtTasa_);
    form->addRow(QString::fromUtf8("Retención :"), txtRetencion_);

    auto* list =
        new QGroupBox(QStringLiteral("Detalle de comprobantes de pago involucrados"), this);
    grdDetRet_ = new QTableWidget(0, 6, list);
    grdDetRet_->setObjectName(QStringLiteral("GrdDetRet"));
    grdDetRet_->setHorizontalHeaderLabels(
        {QStringLiteral("Tipo de Documento"), QStringLiteral("Serie"), QString::fromUtf8("Número"),
         QString::fromUtf8("Fec. Emisión"), QStringLiteral("TIP_CP_DET"), QStringLiteral("Monto")});
    grdDetRet_->setColumnHidden(kTypeColumn, true); // the name beside it says the same
    grdDetRet_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDetRet_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDetRet_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDetRet_->verticalHeader()->hide();
    grdDetRet_->setTabKeyNavigation(false); // Tab moves on to the buttons, not along the row
    // a type-99 number takes 15 digits; a credit note's amount shows in brackets
    grdDetRet_->setMinimumWidth(fitColumns(*grdDetRet_, 0,
                                           {{1, QStringLiteral("E001")},
                                            {2, QString(15, QLatin1Char('0'))},
                                            {3, QStringLiteral("00/00/0000")},
                                            {5, widestPaymentAmount(grdDetRet_->fontMetrics())}}));
    const char* captions[] = {"&Nuevo", "&Modificar", "&Eliminar"};
    auto* listButtons = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        cmdOpciones1_[i] = new QPushButton(QString::fromUtf8(captions[i]), list);
        cmdOpciones1_[i]->setAutoDefault(false);
        listButtons->addWidget(cmdOpciones1_[i]);
    }
    listButtons->addStretch();
    lblNumTrab_ = new QLabel(list);
    lblNumTrab_->setObjectName(QStringLiteral("lblNumTrab"));
    auto* grid = new QGridLayout(list);
    grid->addWidget(grdDetRet_, 0, 0);
    grid->addLayout(listButtons, 0, 1);
    grid->addWidget(lblNumTrab_, 1, 0);

    auto* buttons = voucher::closeButtons(this, cmdAceptar_, cmdSalir_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    setTabOrder(txtSerie_, txtNumero_);
    setTabOrder(txtNumero_, mkeFecEmis_);
    setTabOrder(mkeFecEmis_, txtMtoBase_);

    for (QLineEdit* e : {txtSerie_, txtNumero_, mkeFecEmis_, txtMtoBase_})
        voucher::watch(*e, this);
    run(cmdOpciones1_[0], &FrmDetAgeRet::nuevo);
    run(cmdOpciones1_[1], &FrmDetAgeRet::modificar);
    run(cmdOpciones1_[2], &FrmDetAgeRet::eliminar);
    voucher::closeOn(*this, model_, cmdAceptar_, cmdSalir_);
    connect(grdDetRet_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (!model_.readOnly())
            model_.modificar();
    });
    connect(grdDetRet_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!syncing_)
            model_.setCurrentPayment(row);
    });

    fields_ = std::make_unique<voucher::VoucherFieldFilter<FrmDetAgeRet>>(
        model_,
        voucher::VoucherFieldFilter<FrmDetAgeRet>::Fields{txtSerie_, txtNumero_, txtMtoBase_,
                                                          mkeFecEmis_},
        voucher::VoucherFieldFilter<FrmDetAgeRet>::Amount{
            &FrmDetAgeRet::base, &FrmDetAgeRet::setBase, &FrmDetAgeRet::baseKey,
            &FrmDetAgeRet::baseMaxLength, &FrmDetAgeRet::baseFocusIn, &FrmDetAgeRet::baseFocusOut},
        [this] { focusNextChild(); }, [this] { model_.fechaKey(); });
    fields_->forwardEdits(this, syncing_);
    model_.onChange = [this] { sync(); };
    model_.load();
    move(1050 / 15, 350 / 15); // 1050, 350 twips
    sync();
}

void FrmDetAgeRetDialog::run(QPushButton* button, void (FrmDetAgeRet::*action)()) {
    connect(button, &QPushButton::clicked, this, [this, button, action] {
        button->setFocus();
        (model_.*action)();
    });
}

bool FrmDetAgeRetDialog::eventFilter(QObject* watched, QEvent* event) {
    if (const std::optional<bool> taken = fields_->filter(watched, *event))
        return *taken;
    return QDialog::eventFilter(watched, event);
}

void FrmDetAgeRetDialog::sync() {
    if (syncing_)
        return;
    syncing_ = true;
    const bool readOnly = model_.readOnly();
    voucher::setText(*txtNumRuc_, model_.ruc());
    fields_->show();
    voucher::setText(*txtTasa_, model_.tasa());
    voucher::setText(*txtRetencion_, model_.retencion());
    for (QPushButton* b : cmdOpciones1_)
        b->setVisible(!readOnly);
    cmdAceptar_->setVisible(!readOnly);
    syncList();
    syncing_ = false;
    applyFocus();
}

void FrmDetAgeRetDialog::syncList() {
    const auto& rows = model_.payments();
    grdDetRet_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const FrmDetAgeRet::PaymentRow& p = rows[size_t(r)];
        const QString cells[] = {p.nombre, p.serie, p.numero, p.fecha, p.tipo, p.montoShown()};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDetRet_->setItem(r, c, item);
        }
    }
    if (model_.currentPayment() >= 0)
        grdDetRet_->setCurrentCell(model_.currentPayment(), 0);
    lblNumTrab_->setText(model_.countCaption());
}

void FrmDetAgeRetDialog::applyFocus() {
    using Focus = FrmDetAgeRet::Focus;
    voucher::giveFocus<Focus>(model_.takeFocusRequest(), {{Focus::Serie, txtSerie_},
                                                          {Focus::Numero, txtNumero_},
                                                          {Focus::Fecha, mkeFecEmis_},
                                                          {Focus::Base, txtMtoBase_}});
}

void FrmDetAgeRetDialog::reject() {
    if (model_.salir())
        QDialog::reject();
}

} // namespace ret
