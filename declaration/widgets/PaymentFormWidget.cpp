#include "declaration/widgets/PaymentFormWidget.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace ret {
namespace {
const QString kNoBank = QStringLiteral("XX");
}

PaymentFormWidget::PaymentFormWidget(const std::vector<std::pair<QString, QString>>& banks,
                                     QWidget* parent)
    : QWidget(parent), cash_(new QRadioButton(QStringLiteral("E&fectivo"), this)),
      cheque_(new QRadioButton(QStringLiteral("C&heque"), this)), bank_(new QComboBox(this)),
      number_(new QLineEdit(this)), amount_(new QLabel(this)) {
    auto* kind = new QButtonGroup(this);
    kind->addButton(cash_);
    kind->addButton(cheque_);
    bank_->addItem(QStringLiteral("(Ninguno)"), kNoBank);
    for (const auto& [code, name] : banks)
        bank_->addItem(code + QStringLiteral(" - ") + name, code);
    number_->setMaxLength(15);
    number_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    // a styled panel draws all four sides; a plain sunken one loses two in the light
    amount_->setFrameShape(QFrame::StyledPanel);
    amount_->setFrameShadow(QFrame::Sunken);
    amount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amount_->setMinimumWidth(120);
    amount_->setMinimumHeight(number_->sizeHint().height()); // a line like the fields above

    auto* choice = new QHBoxLayout;
    choice->addWidget(cash_);
    choice->addWidget(cheque_);
    choice->addStretch();
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Forma de pago :"), choice);
    layout->addRow(QStringLiteral("Banco :"), bank_);
    layout->addRow(QStringLiteral("Nro. de cheque :"), number_);
    layout->addRow(QStringLiteral("Importe :"), amount_);

    connect(cash_, &QRadioButton::toggled, this, [this] { emitEdited(); });
    connect(cheque_, &QRadioButton::toggled, this, [this] { emitEdited(); });
    connect(bank_, &QComboBox::activated, this, [this] { emitEdited(); });
    connect(number_, &QLineEdit::textEdited, this, [this] { emitEdited(); });
}

void PaymentFormWidget::show(const PaymentForm& f) {
    const QSignalBlocker b1(cash_), b2(cheque_), b3(bank_), b4(number_);
    importe_ = f.importe;
    cash_->setAutoExclusive(false);
    cheque_->setAutoExclusive(false);
    cash_->setChecked(f.formapago == QLatin1String("E"));
    cheque_->setChecked(f.formapago == QLatin1String("C"));
    cash_->setAutoExclusive(true);
    cheque_->setAutoExclusive(true);
    const int bank = bank_->findData(f.banco.trimmed());
    bank_->setCurrentIndex(bank < 0 ? 0 : bank);
    if (number_->text() != f.numcheque)
        number_->setText(f.numcheque);
    amount_->setText(f.importe);
    const bool cheque = f.formapago == QLatin1String("C");
    bank_->setEnabled(cheque);
    number_->setEnabled(cheque);
    setEnabled(f.habilitado != QLatin1String("0"));
}

PaymentForm PaymentFormWidget::form() const {
    PaymentForm f;
    f.importe = importe_;
    f.formapago = cash_->isChecked()     ? QStringLiteral("E")
                  : cheque_->isChecked() ? QStringLiteral("C")
                                         : QStringLiteral("X");
    f.banco = bank_->currentData().toString();
    f.numcheque = number_->text();
    f.habilitado = isEnabled() ? QStringLiteral("1") : QStringLiteral("0");
    return f;
}

void PaymentFormWidget::emitEdited() {
    emit edited(form());
}

} // namespace ret
