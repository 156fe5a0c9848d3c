#pragma once

#include <QDate>
#include <QString>

namespace ret {

class FieldRules;

// The rules for the serie of a retention voucher and of a payment voucher. Which characters a
// serie may hold depends on the voucher's date of issue: letters first came in for electronic
// series ("E...") from 2009, and for any serie from 19/07/2010. Typed entry and the import
// apply different forms of these rules; both are here so that they stay side by side.
namespace serie {

// From this day on a serie may begin with a letter.
inline const QDate kLettersFrom(2010, 7, 19);
// From this day on the import accepts electronic series ("E...") before kLettersFrom.
inline const QDate kElectronicFrom(2009, 1, 1);

// Why a typed serie is refused; each has its own message (faultMessage).
enum class Fault { None, NotNumeric, FirstNotLetterOrDigit, Incomplete, LetterAfterFirst };

// A letter as the serie rules see it (the Spanish enye included).
bool isLetter(QChar c);
bool isDigit(QChar c);
// What a serie may begin with: a letter A to Z (either case) or a digit; the enye, though a
// letter for the positions after it, opens no serie.
bool opensSerie(QChar c);

// The payment-voucher types whose serie may begin with a letter: invoices, credit and debit
// notes ("01", "07", "08"). The type is compared by its two-digit code.
bool lettersAllowedFor(const QString& tipo);

// Typed retention voucher: before kLettersFrom digits only; from then on a letter or digit
// first and digits (no letters) in positions 2 to 4, all four present.
Fault retentionFault(const QString& serie, const QDate& date);
// Typed payment voucher: as the retention voucher for types "01", "07", "08" from
// kLettersFrom on; digits only for any other type, and for every type before.
Fault paymentFault(const QString& tipo, const QString& serie, const QDate& date);
// The text the window shows for a fault (empty for Fault::None).
QString faultMessage(Fault fault);

// Import: the serie of a retention voucher (already zero-filled to 4) for its date.
bool importRetentionAllowed(const QString& serie, const QDate& date);
// Import: the serie of a payment voucher of the type, for its date.
bool importPaymentAllowed(const QString& tipo, const QString& serie, const QDate& date);

// A key typed in a serie field (a character code, 8 for Backspace; Enter is the caller's): it
// goes through the field-rules conversion first, "." is cancelled, and the result is the key
// the field receives, 0 when it is cancelled. `lettersAllowed` false lets only digits and Backspace
// through; otherwise no letter may follow the first character, and nothing may be typed before a
// leading letter unless text is selected (it is then replaced).
int filterKey(const FieldRules& rules, const QString& serie, int caret, bool hasSelection, int key,
              bool lettersAllowed);

// On leaving a serie field: a serie without letters is zero-filled on the left to 4.
QString padOnLeave(const FieldRules& rules, const QString& serie);

} // namespace serie
} // namespace ret
