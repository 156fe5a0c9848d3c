#include "declaration/Period.h"

namespace ret {

PeriodCheck checkPeriod(const QString& text, const QDate& today) {
    if (text.contains(QLatin1Char('_')) || text.size() != 7)
        return PeriodCheck::Incomplete;
    const QString yyyymm = periodFromText(text);
    const QString current = today.toString(QStringLiteral("yyyyMM"));
    if (yyyymm < QLatin1String("200206") || yyyymm > current)
        return PeriodCheck::Invalid;
    const int month = text.left(2).toInt();
    if (month < 1 || month > 12)
        return PeriodCheck::Invalid;
    return PeriodCheck::Valid;
}

} // namespace ret
