#pragma once

#include "common/DbError.h"

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace ret {

// An amount past the range, or a division by zero: the old run-time's errors 6 and 11. They
// carry a number and a Spanish text like a database failure, so that every handler that
// reports those reports these as well instead of letting them end the program.
class DecimalOverflow : public DbError {
public:
    explicit DecimalOverflow(int number = 6, const QString& text = QStringLiteral("Desbordamiento"))
        : DbError(number, text) {}
};

// An exact amount with four decimal places (the range of the old currency type:
// +-922,337,203,685,477.5807). Every rounding rounds halves away from zero.
class Decimal {
public:
    static constexpr int kScale = 4;
    static constexpr std::int64_t kUnit = 10000;

    constexpr Decimal() = default;
    static Decimal fromUnits(std::int64_t units) { return Decimal(units); } // units of 0.0001
    static Decimal fromInt(std::int64_t whole);                             // throws on overflow

    // Strict parse of a plain number: optional blanks, optional sign, digits with at most one
    // ".", no grouping. More than four decimals are rounded. Empty or malformed: nullopt.
    static std::optional<Decimal> parse(const QString& text);

    // The platform's reading of a text as a number, as used when a text is formatted: blanks
    // around, a leading or trailing sign, "," grouping, one ".", or the whole in parentheses
    // (negative). Anything else (or an empty text) is not numeric: nullopt.
    static std::optional<Decimal> parseNumericText(const QString& text);

    // The leading numeric value of a text, the way the old Val() read it: leading blanks
    // skipped, an optional sign, digits with at most one "."; reading stops at the first other
    // character. Empty or non-numeric reads 0.
    static Decimal leadingValue(const QString& text);

    std::int64_t units() const { return units_; }
    bool isZero() const { return units_ == 0; }
    bool isNegative() const { return units_ < 0; }
    Decimal abs() const;

    // Rounded to `places` decimals (0..4), halves away from zero.
    Decimal rounded(int places) const;
    // The whole part after rounding to no decimals (halves away from zero).
    std::int64_t roundedToWhole() const;

    // Plain text: "-" when negative, the integer digits, and exactly `places` decimals
    // (rounded). Used for storing amounts as text.
    QString toPlainString(int places = 2) const;
    // Shortest plain text: no trailing decimal zeros, no "." for whole values ("12.5", "-3").
    QString toShortString() const;
    // An amount as stored in a text column: two decimals, or as many as the value has up to
    // four ("1000.00", "3.1251"), so that it is exact and as short as the amounts it adds up.
    QString toAmountString() const;

    Decimal operator-() const;
    Decimal operator+(Decimal o) const;
    Decimal operator-(Decimal o) const;
    Decimal operator*(Decimal o) const; // exact product rounded to four places
    Decimal operator/(Decimal o) const; // quotient rounded to four places; throws on zero
    Decimal& operator+=(Decimal o) { return *this = *this + o; }
    Decimal& operator-=(Decimal o) { return *this = *this - o; }

    friend bool operator==(Decimal, Decimal) = default;
    friend auto operator<=>(Decimal a, Decimal b) { return a.units_ <=> b.units_; }

private:
    constexpr explicit Decimal(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

} // namespace ret
