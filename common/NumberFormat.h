#pragma once

#include "common/Decimal.h"

#include <QString>

namespace ret {

// The one formatting routine for the display patterns of the module, with the old platform's
// rules:
//  - up to three sections separated by ";": positive, negative, zero. With one section a
//    negative value gets a leading "-"; with a negative section the value is shown without sign
//    in that section ("###,##0;(###,##0)" shows -300 as "(300)"). The section is chosen by the
//    sign of the value rounded to the places the pattern shows.
//  - "0" shows a digit always, "#" only when significant; integer digits beyond the placeholders
//    are all shown. A "," between integer placeholders groups thousands with ",".
//  - "." starts the decimals; their count is the number of placeholders after it, the value is
//    rounded there (halves away from zero), and trailing zeros are dropped only down to the
//    last "0" placeholder (".#0" always shows two decimals; "#.##" shows 1.5 as "1.5").
//  - Without a "0" in the integer part, a zero integer part shows nothing (".50" for 0.5 with
//    "############.#0", and an empty text for 0 with "###,###,###,###,###").
//  - Any other character is a literal; "\x" is the literal x, and "..." quotes literals.
QString formatNumber(Decimal value, const QString& pattern);

// Formatting a text the way the old platform's Format did: a text that reads as a number
// (Decimal::parseNumericText) is formatted with the pattern; any other text, the empty text
// included, is returned unchanged.
QString formatText(const QString& text, const QString& pattern);

// Reading a box or field as a number: the text formatted with a plain pattern (as the callers
// state it, e.g. "#########0"), then its leading numeric value; empty or non-numeric reads 0.
Decimal readNumber(const QString& text, const QString& pattern);

} // namespace ret
