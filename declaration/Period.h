#pragma once

#include <QDate>
#include <QString>

namespace ret {

// The period as the window shows it, "mm/yyyy" with "_" for what is not typed yet.
inline const QString kEmptyPeriod = QStringLiteral("__/____");

// "mm/yyyy" (or "mmyyyy") read as yyyymm: its last four characters followed by its first two.
inline QString periodFromText(const QString& text) {
    return text.right(4) + text.left(2);
}
// yyyymm shown as "mm/yyyy".
inline QString periodToText(const QString& yyyymm) {
    return yyyymm.mid(4, 2) + QLatin1Char('/') + yyyymm.left(4);
}

enum class PeriodCheck { Incomplete, Invalid, Valid };

// June 2002 up to the current month, with a month from 1 to 12.
PeriodCheck checkPeriod(const QString& text, const QDate& today);

} // namespace ret
