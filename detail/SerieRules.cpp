#include "detail/SerieRules.h"

#include "common/FieldRules.h"

namespace ret::serie {
namespace {

constexpr int kBackspace = 8;

bool allDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool hasLetter(QStringView text) {
    for (const QChar c : text) {
        if (isLetter(c))
            return true;
    }
    return false;
}

// A letter or digit first, then positions 2 to 4 present and without letters.
Fault alphanumericFault(const QString& serie) {
    const QString t = serie.trimmed();
    if (t.isEmpty() || !opensSerie(t[0]))
        return Fault::FirstNotLetterOrDigit;
    for (int i = 1; i < 4; ++i) {
        if (i >= serie.size() || serie[i] == u' ')
            return Fault::Incomplete;
        if (isLetter(serie[i]))
            return Fault::LetterAfterFirst;
    }
    return Fault::None;
}

QString twoDigitType(const QString& tipo) {
    return tipo.trimmed().rightJustified(2, u'0');
}

} // namespace

bool isLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == QChar(0x00D1) ||
           c == QChar(0x00F1);
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool opensSerie(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || isDigit(c);
}

bool lettersAllowedFor(const QString& tipo) {
    const QString t = twoDigitType(tipo);
    return t == u"01" || t == u"07" || t == u"08";
}

Fault retentionFault(const QString& serie, const QDate& date) {
    if (date < kLettersFrom)
        return allDigits(serie) ? Fault::None : Fault::NotNumeric;
    return alphanumericFault(serie);
}

Fault paymentFault(const QString& tipo, const QString& serie, const QDate& date) {
    if (date >= kLettersFrom && lettersAllowedFor(tipo))
        return alphanumericFault(serie);
    return allDigits(serie) ? Fault::None : Fault::NotNumeric;
}

QString faultMessage(Fault fault) {
    switch (fault) {
    case Fault::None:
        return {};
    case Fault::NotNumeric:
        return QString::fromUtf8("El número de serie debe ser numérico");
    case Fault::FirstNotLetterOrDigit:
        // the date and the text run together, as the message always read
        return QStringLiteral("Desde el ") + kLettersFrom.toString(QStringLiteral("yyyy/MM/dd")) +
               QString::fromUtf8("sólo se permite letras o dígitos en la primera posición del "
                                 "número de serie");
    case Fault::Incomplete:
        return QString::fromUtf8("Debe registrar correctamente el número de serie.");
    case Fault::LetterAfterFirst:
        return QString::fromUtf8(
            "No se permite letras desde la segunda a la cuarta posición en el número de serie.");
    }
    return {};
}

bool importRetentionAllowed(const QString& serie, const QDate& date) {
    if (!date.isValid() || serie.isEmpty())
        return false;
    if (date >= kLettersFrom)
        return alphanumericFault(serie) == Fault::None;
    if (serie.startsWith(u'E'))
        return date >= kElectronicFrom;
    return isDigit(serie[0]);
}

bool importPaymentAllowed(const QString& tipo, const QString& serie, const QDate& date) {
    if (!date.isValid() || serie.isEmpty())
        return false;
    if (date >= kLettersFrom)
        return !lettersAllowedFor(tipo) || alphanumericFault(serie) == Fault::None;
    const bool electronicTime = date >= kElectronicFrom;
    if (serie.startsWith(u'E') && (twoDigitType(tipo) == u"12" || !electronicTime))
        return false;
    if (serie == u"E000")
        return false;
    return isDigit(serie[0]) || (serie[0] == u'E' && electronicTime);
}

int filterKey(const FieldRules& rules, const QString& serie, int caret, bool hasSelection, int key,
              bool lettersAllowed) {
    const int k = rules.ConvertKey(key);
    if (k == '.')
        return 0;
    if (!lettersAllowed)
        return (k >= '0' && k <= '9') || k == kBackspace ? k : 0;
    if (k != kBackspace && !serie.trimmed().isEmpty()) {
        if (caret > 0) {
            const QString after = serie + QChar(k);
            if (hasLetter(QStringView(after).mid(1)))
                return 0;
        } else if (isLetter(serie[0]) && !hasSelection) {
            return 0;
        }
    }
    return rules.IsLetterOrDigitKey(k) ? k : 0;
}

QString padOnLeave(const FieldRules& rules, const QString& serie) {
    if (serie.isEmpty() || hasLetter(serie))
        return serie;
    return rules.PadLeftWith(serie, 4, u'0');
}

} // namespace ret::serie
