#pragma once

#include <QString>

namespace ret {

// What the payment-form control holds: the window talks to it through these texts only.
struct PaymentForm {
    QString importe;                          // amount to pay, "#,###,###,##0"
    QString formapago = QStringLiteral("X");  // "E" cash, "C" cheque, "X" none chosen
    QString banco;                            // bank code of table 004; "XX" or empty: none
    QString numcheque;                        // cheque number
    QString habilitado = QStringLiteral("1"); // "0" disables the control
};

} // namespace ret
