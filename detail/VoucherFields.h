#pragma once

#include "common/Decimal.h"

#include <QDate>
#include <QString>

namespace ret {

// Small helpers shared by the voucher and payment-voucher windows.
namespace voucher {

// The empty masked date, as the field shows it.
inline const QString kEmptyDate = QStringLiteral("__/__/____");

// Characters 8 for Backspace and 13 for Enter, as the key handlers receive them.
constexpr int kBackspace = 8;
constexpr int kEnter = 13;

// A date text "dd/mm/yyyy" as a date; invalid when it is not one.
QDate readDate(const QString& text);
// The year and month of a date text "dd/mm/yyyy" as yyyymm (characters 7-10 and 4-5).
QString yearMonth(const QString& text);
// yyyymm shown as mm/yyyy.
QString periodShown(const QString& yyyymm);

// An amount field's text (plain or with "," grouping) as the exact amount of its
// "###########0.#0" form: rounded to two decimals; a text that is no number reads 0.
Decimal amountOf(const QString& text);

// The count under a list: the number followed by "   Registros      ".
QString countCaption(int rows);

// What an amount field allows while typed: `withoutPoint` characters while its text holds no
// point, `withPoint` once it holds one or the key is the point.
int typingLength(const QString& text, int key, int withoutPoint, int withPoint);

} // namespace voucher
} // namespace ret
