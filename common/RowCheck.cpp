#include "common/RowCheck.h"

#include "common/Cp1252.h"

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

namespace ret {
namespace {

// Shortest text that reads back as the same value, never in exponent form ("12.5", "3").
template <typename Float> QString floatText(Float value) {
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString columnText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QString();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::Char:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
        return floatText(value.toDouble());
    case QMetaType::Float:
        return floatText(value.toFloat()); // as a float, or 1.1f would read 1.100000023841858
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyyMMdd"));
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(QStringLiteral("yyyyMMdd"));
    case QMetaType::QByteArray:
        return cp1252::decode(value.toByteArray()).trimmed();
    default:
        return value.toString().trimmed();
    }
}

// A non-negative whole number, one decimal digit per element, least significant first.
using Digits = std::vector<int>;

void trim(Digits& d) {
    while (!d.empty() && d.back() == 0)
        d.pop_back();
}

void addTo(Digits& sum, const Digits& term) {
    if (sum.size() < term.size())
        sum.resize(term.size(), 0);
    int carry = 0;
    for (size_t i = 0; i < sum.size(); ++i) {
        const int v = sum[i] + (i < term.size() ? term[i] : 0) + carry;
        sum[i] = v % 10;
        carry = v / 10;
    }
    if (carry)
        sum.push_back(carry);
}

int compare(const Digits& a, const Digits& b) { // both trimmed
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Digits subtract(Digits a, const Digits& b) { // a >= b
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int v = a[i] - (i < b.size() ? b[i] : 0) - borrow;
        borrow = v < 0 ? 1 : 0;
        a[i] = v + 10 * borrow;
    }
    trim(a);
    return a;
}

struct KeyNumber {
    bool negative = false;
    QString whole;
    QString fraction;
};

// A plain decimal: optional sign, digits with at most one ".", at least one digit.
bool readNumber(const QString& text, KeyNumber& number) {
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        number.negative = text[i] == u'-';
        ++i;
    }
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && !point)
            point = true;
        else if (c >= u'0' && c <= u'9')
            (point ? number.fraction : number.whole).append(c);
        else
            return false;
    }
    return !number.whole.isEmpty() || !number.fraction.isEmpty();
}

// Sums the numbers exactly, however many digits they carry: every number is scaled by the
// longest fraction, positive and negative terms are summed apart and subtracted at the end.
QString keySumText(const std::vector<KeyNumber>& numbers) {
    qsizetype scale = 0;
    for (const KeyNumber& n : numbers)
        scale = std::max(scale, n.fraction.size());
    Digits positive;
    Digits negative;
    for (const KeyNumber& n : numbers) {
        const QString all = n.whole + n.fraction.leftJustified(scale, u'0');
        Digits term;
        term.reserve(size_t(all.size()));
        for (qsizetype i = all.size(); i-- > 0;)
            term.push_back(all[i].unicode() - u'0');
        addTo(n.negative ? negative : positive, term);
    }
    trim(positive);
    trim(negative);
    const bool isNegative = compare(positive, negative) < 0;
    Digits magnitude = isNegative ? subtract(negative, positive) : subtract(positive, negative);

    // Halves round away from zero: on the magnitude that is simply "first dropped digit >= 5".
    const bool roundUp =
        scale > 0 && size_t(scale) <= magnitude.size() && magnitude[size_t(scale) - 1] >= 5;
    magnitude.erase(magnitude.begin(),
                    magnitude.begin() + std::min(magnitude.size(), size_t(scale)));
    if (roundUp)
        addTo(magnitude, Digits{1});
    trim(magnitude);

    QString text;
    for (size_t i = magnitude.size(); i-- > 0;)
        text.append(QChar(u'0' + magnitude[i]));
    text = text.rightJustified(20, u'0');
    if (isNegative && !magnitude.empty())
        text.prepend(u'-'); // the old format pattern did so; the sign never reaches the result
    return text;
}

} // namespace

QString CalculaCNumero(const QVariantList& row, int keyLength) {
    const qsizetype checked = std::max<qsizetype>(0, row.size() - 1); // the check column itself
    const qsizetype keyEnd = std::clamp<qsizetype>(keyLength, 0, checked);

    std::vector<KeyNumber> numbers;
    for (qsizetype c = 0; c < keyEnd; ++c) {
        KeyNumber number;
        if (readNumber(columnText(row[c]), number))
            numbers.push_back(number);
    }
    const QString keyText = keySumText(numbers).right(15);

    // Only the last 15 digits are kept, so the sum is kept modulo 10^15: it never overflows,
    // whatever the length of the texts.
    constexpr std::uint64_t kKeep = 1'000'000'000'000'000ULL;
    std::uint64_t content = 0;
    for (qsizetype c = keyEnd; c < checked; ++c) {
        const QString text = columnText(row[c]);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const std::uint64_t position = std::uint64_t(i + 1) % kKeep;
            content = (content + position * std::uint64_t(cp1252::code(text[i]))) % kKeep;
        }
    }
    const QString contentText = QString::number(content).rightJustified(15, u'0');

    return keyText.right(3) + contentText.right(3);
}

} // namespace ret
