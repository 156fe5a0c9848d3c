#pragma once

#include "declaration/PaymentForm.h"

#include <QStringList>

namespace ret {

// What decides whether a declaration is stored as complete.
struct Completeness {
    QString box401;
    QString box405;
    QString box410;
    PaymentForm payment;
};

// The inconsistencies, one line each in the order the user sees them. Validation counts a
// cheque number of blanks as given; saving (trimCheckNumber) counts it as missing.
QStringList inconsistencies(const Completeness& c, bool trimCheckNumber = false);

// 9 when the declaration is incomplete, otherwise 0.
inline int estadoOf(const Completeness& c) {
    return inconsistencies(c, true).isEmpty() ? 0 : 9;
}

// The information messages comparing the amount to pay (410) with the debt (405), in order.
QStringList amountMessages(const QString& box405, const QString& box410);

} // namespace ret
