#include "common/RowCheck.h"

#include "common/Cp1252.h"

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
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

// yyyyMMdd, as the old platform wrote a date for the check; written here rather than through
// the locale's formatting, as every row saved has a date or two.
QString compactDate(const QDate& date) {
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return date.toString(QStringLiteral("yyyyMMdd"));
    const int digits[] = {date.year() / 1000, date.year() / 100 % 10, date.year() / 10 % 10,
                          date.year() % 10,   date.month() / 10,      date.month() % 10,
                          date.day() / 10,    date.day() % 10};
    QString text(8, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i)
        text[i] = QChar(u'0' + digits[i]);
    return text;
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
        return compactDate(value.toDate());
    case QMetaType::QDateTime:
        return compactDate(value.toDateTime().date());
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

// Whole numbers of up to 36 digits, and sums of a few of them, fit a 128-bit integer.
constexpr qsizetype kWideDigits = 36;

__extension__ typedef unsigned __int128 Wide;

Wide wideValue(QStringView digits) {
    Wide v = 0;
    for (const QChar c : digits)
        v = v * 10 + (c.unicode() - u'0');
    return v;
}

Wide tenTo(qsizetype n) {
    Wide v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

// The last three digits of the rounded magnitude of the sum, as keySumText gives them, when
// every scaled number fits kWideDigits digits (as nearly all keys do); nullopt otherwise.
std::optional<int> lastKeyDigits(const std::vector<KeyNumber>& numbers, qsizetype scale) {
    Wide positive = 0;
    Wide negative = 0;
    for (const KeyNumber& n : numbers) {
        qsizetype lead = 0; // leading zeros take no room
        while (lead < n.whole.size() && n.whole[lead] == u'0')
            ++lead;
        if (n.whole.size() - lead + scale > kWideDigits)
            return std::nullopt;
        const Wide term = wideValue(QStringView(n.whole).mid(lead)) * tenTo(scale) +
                          wideValue(n.fraction) * tenTo(scale - n.fraction.size());
        (n.negative ? negative : positive) += term;
    }
    Wide magnitude = positive >= negative ? positive - negative : negative - positive;
    const bool roundUp = scale > 0 && magnitude / tenTo(scale - 1) % 10 >= 5;
    magnitude = magnitude / tenTo(scale) + (roundUp ? 1 : 0);
    return int(magnitude % 1000);
}

// Sums the numbers exactly, however many digits they carry: every number is scaled by the
// longest fraction, positive and negative terms are summed apart and subtracted at the end.
QString keySumText(const std::vector<KeyNumber>& numbers) {
    qsizetype scale = 0;
    for (const KeyNumber& n : numbers)
        scale = std::max(scale, n.fraction.size());
    if (const auto last = lastKeyDigits(numbers, scale))
        return QString::number(*last).rightJustified(20, u'0');
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
    // a column of up to 10^8 characters sums within 64 bits (under 255 * 10^16 / 2), so that
    // it is reduced once rather than at every character
    constexpr qsizetype kSummedAtOnce = 100'000'000;
    for (qsizetype c = keyEnd; c < checked; ++c) {
        const QString text = columnText(row[c]);
        if (text.size() <= kSummedAtOnce) {
            std::uint64_t sum = 0;
            for (qsizetype i = 0; i < text.size(); ++i)
                sum += std::uint64_t(i + 1) * std::uint64_t(cp1252::code(text[i]));
            content = (content + sum % kKeep) % kKeep;
            continue;
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            const std::uint64_t position = std::uint64_t(i + 1) % kKeep;
            content = (content + position * std::uint64_t(cp1252::code(text[i]))) % kKeep;
        }
    }
    const QString contentText = QString::number(content).rightJustified(15, u'0');

    return keyText.right(3) + contentText.right(3);
}

} // namespace ret
