#pragma once

#include <QString>
#include <QVariantList>

namespace ret {

// The 6-digit row check value stored in the last column (cnumero) of every saved row.
// `row` holds all the row's columns in the table's column order (the last one, the check column
// itself, is ignored); `keyLength` is the number of leading columns that form the key part.
// Column texts: integers and doubles as their shortest decimal text, dates (QDate) as
// "yyyymmdd", texts trimmed; null, invalid and Boolean values give an empty text.
QString CalculaCNumero(const QVariantList& row, int keyLength);

} // namespace ret
