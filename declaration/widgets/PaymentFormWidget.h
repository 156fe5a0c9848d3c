#pragma once

#include "declaration/PaymentForm.h"

#include <QWidget>

#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace ret {

// The payment form of a declaration: cash or cheque, the bank, the cheque number and the amount
// to pay (which follows box 410).
class PaymentFormWidget : public QWidget {
    Q_OBJECT
public:
    PaymentFormWidget(const std::vector<std::pair<QString, QString>>& banks, QWidget* parent);

    void show(const PaymentForm& form);
    PaymentForm form() const;

signals:
    void edited(const ret::PaymentForm& form);

private:
    void emitEdited();

    QRadioButton* cash_;
    QRadioButton* cheque_;
    QComboBox* bank_;
    QLineEdit* number_;
    QLabel* amount_;
    QString importe_;
};

} // namespace ret
