#include "common/Decimal.h"

#include <limits>

namespace ret {
namespace {

__extension__ typedef __int128 Wide; // products of two amounts need 127 bits

constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max();
// The range is symmetric, so negating or taking the absolute value of a valid amount never
// overflows.
constexpr std::int64_t kMaxWhole = kMaxUnits / Decimal::kUnit;

Decimal checked(Wide units) {
    if (units > kMaxUnits || units < -kMaxUnits)
        throw DecimalOverflow();
    return Decimal::fromUnits(static_cast<std::int64_t>(units));
}

Wide pow10(int n) {
    Wide r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// n / d with halves rounded away from zero; d > 0.
Wide divRound(Wide n, Wide d) {
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0)
        r = -r;
    if (2 * r >= d)
        q += n < 0 ? -1 : 1;
    return q;
}

// Val() strips these anywhere; the parsers allow them around the number.
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QStringView trimBlanks(QStringView s) {
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// Builds the amount from its digits; decimals past the fourth are rounded.
Decimal fromDigits(bool negative, QStringView whole, QStringView fraction) {
    Wide units = 0;
    for (const QChar c : whole) {
        units = units * 10 + (c.unicode() - u'0');
        if (units > kMaxWhole) // checked per digit so a long run of digits cannot wrap
            throw DecimalOverflow();
    }
    units *= Decimal::kUnit;
    for (int i = 0; i < Decimal::kScale; ++i)
        units += (i < fraction.size() ? fraction[i].unicode() - u'0' : 0) *
                 pow10(Decimal::kScale - 1 - i);
    if (fraction.size() > Decimal::kScale && fraction[Decimal::kScale] >= u'5')
        units += 1;
    return checked(negative ? -units : units);
}

// Digits with at most one "." and at least one digit; with `grouping`, commas may appear
// anywhere before the point and are ignored.
std::optional<Decimal> plainNumber(QStringView s, bool negative, bool grouping) {
    QString whole;
    qsizetype i = 0;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i]))
            whole.append(s[i]);
        else if (!(grouping && s[i] == u','))
            break;
    }
    QStringView fraction;
    if (i < s.size() && s[i] == u'.') {
        const qsizetype start = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        fraction = s.sliced(start, i - start);
    }
    if (i != s.size() || (whole.isEmpty() && fraction.isEmpty()))
        return std::nullopt;
    return fromDigits(negative, whole, fraction);
}

bool isSign(QChar c) {
    return c == u'+' || c == u'-';
}

} // namespace

Decimal Decimal::fromInt(std::int64_t whole) {
    if (whole > kMaxWhole || whole < -kMaxWhole)
        throw DecimalOverflow();
    return Decimal(whole * kUnit);
}

std::optional<Decimal> Decimal::parse(const QString& text) {
    QStringView s = trimBlanks(text);
    bool negative = false;
    if (!s.isEmpty() && isSign(s.front())) {
        negative = s.front() == u'-';
        s = s.sliced(1);
    }
    return plainNumber(s, negative, false);
}

std::optional<Decimal> Decimal::parseNumericText(const QString& text) {
    QStringView s = trimBlanks(text);
    if (s.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (s.front() == u'(') {
        if (s.size() < 2 || s.back() != u')')
            return std::nullopt;
        negative = true;
        s = trimBlanks(s.sliced(1, s.size() - 2));
    } else if (isSign(s.front())) {
        negative = s.front() == u'-';
        s = trimBlanks(s.sliced(1));
    } else if (isSign(s.back())) {
        negative = s.back() == u'-';
        s.chop(1);
        s = trimBlanks(s);
    }
    return plainNumber(s, negative, true);
}

Decimal Decimal::leadingValue(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (!isBlank(c))
            s.append(c);
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && isSign(s[i]))
        negative = s[i++] == u'-';
    const qsizetype wholeStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    const QStringView whole = QStringView(s).sliced(wholeStart, i - wholeStart);
    QStringView fraction;
    if (i < s.size() && s[i] == u'.') {
        const qsizetype start = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        fraction = QStringView(s).sliced(start, i - start);
    }
    return fromDigits(negative, whole, fraction);
}

Decimal Decimal::abs() const {
    return units_ < 0 ? -*this : *this;
}

Decimal Decimal::rounded(int places) const {
    if (places < 0)
        throw std::invalid_argument("negative number of places");
    if (places >= kScale)
        return *this;
    const Wide step = pow10(kScale - places);
    return checked(divRound(units_, step) * step);
}

std::int64_t Decimal::roundedToWhole() const {
    return static_cast<std::int64_t>(divRound(units_, kUnit));
}

QString Decimal::toPlainString(int places) const {
    if (places < 0)
        throw std::invalid_argument("negative number of places");
    const int kept = places < kScale ? places : kScale;
    const Wide scaled = divRound(units_, pow10(kScale - kept)); // units of 10^-kept
    const Wide magnitude = scaled < 0 ? -scaled : scaled;
    const Wide step = pow10(kept);
    QString text;
    if (scaled < 0)
        text.append(u'-');
    text.append(QString::number(static_cast<quint64>(magnitude / step)));
    if (places > 0) {
        text.append(u'.');
        if (kept > 0)
            text.append(
                QString::number(static_cast<quint64>(magnitude % step)).rightJustified(kept, u'0'));
        text.append(QString(places - kept, u'0'));
    }
    return text;
}

QString Decimal::toShortString() const {
    const Wide magnitude = units_ < 0 ? -Wide(units_) : Wide(units_);
    QString text;
    if (units_ < 0)
        text.append(u'-');
    text.append(QString::number(static_cast<quint64>(magnitude / kUnit)));
    QString fraction =
        QString::number(static_cast<quint64>(magnitude % kUnit)).rightJustified(kScale, u'0');
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    if (!fraction.isEmpty())
        text.append(u'.').append(fraction);
    return text;
}

QString Decimal::toAmountString() const {
    int places = kScale;
    while (places > 2 && units_ % pow10(kScale - places + 1) == 0)
        --places;
    return toPlainString(places);
}

Decimal Decimal::operator-() const {
    return checked(-Wide(units_));
}

Decimal Decimal::operator+(Decimal o) const {
    return checked(Wide(units_) + o.units_);
}

Decimal Decimal::operator-(Decimal o) const {
    return checked(Wide(units_) - o.units_);
}

Decimal Decimal::operator*(Decimal o) const {
    return checked(divRound(Wide(units_) * o.units_, kUnit));
}

Decimal Decimal::operator/(Decimal o) const {
    if (o.units_ == 0)
        throw DecimalOverflow(11, QStringLiteral("División por cero"));
    Wide n = Wide(units_) * kUnit;
    Wide d = o.units_;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    return checked(divRound(n, d));
}

} // namespace ret
