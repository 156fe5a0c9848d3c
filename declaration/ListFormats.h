#pragma once

#include <QString>
#include <QVariant>

namespace ret {

// A period held as month and year (mmyyyy) shown through the mask "0#/####": "062002" is
// "06/2002". Anything but six digits is shown as it is.
QString maskedPeriod(const QString& mmyyyy);

// A period as shown in a list (mmyyyy or mm/yyyy) back in its stored form yyyymm: the last
// four characters followed by the first two.
QString storedPeriod(const QString& shown);

// A stored date column as dd/mm/yyyy; empty when null or unreadable.
QString shownDate(const QVariant& stored);

} // namespace ret
