#include "common/Decimal.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace ret;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

Decimal dec(const char* text) {
    return Decimal::parse(QString::fromLatin1(text)).value();
}

struct TextUnits {
    const char* text;
    std::int64_t units;
};

} // namespace

TEST(DecimalParse, AcceptsPlainNumbersAndRoundsPastFourDecimals) {
    const TextUnits cases[] = {
        {"12", 120000},
        {"-3.5", -35000},
        {" 0.125 ", 1250},
        {"+7", 70000},
        {".5", 5000},
        {"5.", 50000},
        {"\t-0\n", 0},
        {"0007.0100", 70100},
        {"00000000000000000000000001", 10000},
        {"1.00005", 10001},
        {"-1.00005", -10001},
        {"0.00004999", 0},
        {"-0.00004999", 0},
        {"2.99995", 30000},
        {"922337203685477.5807", kMax},
        {"-922337203685477.5807", -kMax},
        {"922337203685477.58074999", kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto value = Decimal::parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->units(), c.units);
    }
}

TEST(DecimalParse, RejectsAnythingButAPlainNumber) {
    for (const char* text : {"", "   ", ".", "-", "+", "-.", "+-1", "--1", "1,000", "12a", "a12",
                             "1.2.3", "5-", "(5)", "1 2", "- 5", "1e3", "0x10", "$5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Decimal::parse(QString::fromLatin1(text)).has_value());
    }
}

TEST(DecimalParse, OutOfRangeThrows) {
    for (const char* text : {"922337203685477.5808", "-922337203685477.58075", "922337203685478",
                             "340282366920938463463374607431768211457"}) { // 2^128 + 1
        SCOPED_TRACE(text);
        EXPECT_THROW(Decimal::parse(QString::fromLatin1(text)), DecimalOverflow);
    }
}

TEST(DecimalParseNumericText, AcceptsGroupingSignsAndParentheses) {
    const TextUnits cases[] = {
        {"1,234,567.50", 12345675000},
        {"(300)", -3000000},
        {"(1,200)", -12000000},
        {"( 7.5 )", -75000},
        {"300-", -3000000},
        {"300+", 3000000},
        {" -12.5 ", -125000},
        {"+.5", 5000},
        {"5.", 50000},
        {"12,34.5", 12345000}, // commas are not checked for position
        {"1,2,3", 1230000},
        {"0.00005", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto value = Decimal::parseNumericText(QString::fromLatin1(c.text));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->units(), c.units);
    }
}

TEST(DecimalParseNumericText, RejectsNonNumericText) {
    for (const char* text : {"", "  ", "abc", "12abc", "1.2.3", "1-2", "-5-", "+5-", "(300", "300)",
                             "(-300)", "-(300)", "()", ".", ",", "1.2,3", "1 2", "--5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Decimal::parseNumericText(QString::fromLatin1(text)).has_value());
    }
    EXPECT_THROW(Decimal::parseNumericText("1,000,000,000,000,000"), DecimalOverflow);
}

TEST(DecimalLeadingValue, ReadsLikeVal) {
    const TextUnits cases[] = {
        {"12abc", 120000},
        {"1,000", 10000},
        {"abc", 0},
        {"", 0},
        {"-5.25x", -52500},
        {"1 2", 120000},
        {"  -  3 . 5", -35000},
        {"\t7\n", 70000},
        {"1.2.3", 12000},
        {"+.5", 5000},
        {"-", 0},
        {"--5", 0},
        {"300-", 3000000},
        {"(300)", 0},
        {"0.12345", 1235},
        {"-0.12345", -1235},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Decimal::leadingValue(QString::fromLatin1(c.text)).units(), c.units);
    }
    EXPECT_THROW(Decimal::leadingValue("922337203685478x"), DecimalOverflow);
}

TEST(DecimalArithmetic, SumsAreExactAndOverflowThrows) {
    EXPECT_EQ(dec("0.1") + dec("0.2"), dec("0.3"));
    EXPECT_EQ(dec("0.1") - dec("0.3"), dec("-0.2"));
    Decimal total;
    for (int i = 0; i < 10; ++i)
        total += dec("0.1");
    EXPECT_EQ(total, Decimal::fromInt(1));
    total -= dec("1.0001");
    EXPECT_EQ(total.units(), -1);

    const Decimal max = Decimal::fromUnits(kMax);
    EXPECT_EQ((max - max) + max, max);
    EXPECT_THROW(max + Decimal::fromUnits(1), DecimalOverflow);
    EXPECT_THROW(-max - Decimal::fromUnits(1), DecimalOverflow);
    EXPECT_THROW(-max + -max, DecimalOverflow);
}

TEST(DecimalArithmetic, ProductsAndQuotientsRoundHalfAwayFromZero) {
    struct Case {
        const char* a;
        char op;
        const char* b;
        const char* expected;
    };
    const Case cases[] = {
        {"0.0001", '*', "0.5", "0.0001"},
        {"-0.0001", '*', "0.5", "-0.0001"},
        {"0.0001", '*', "0.4999", "0"},
        {"1.0001", '*', "1.0001", "1.0002"},
        {"1234.5678", '*', "-0.0625", "-77.1605"},
        {"0.06", '*', "100", "6"},
        {"-922337203685477.5807", '*', "-1", "922337203685477.5807"},
        {"1", '/', "3", "0.3333"},
        {"2", '/', "3", "0.6667"},
        {"-2", '/', "3", "-0.6667"},
        {"2", '/', "-3", "-0.6667"},
        {"-2", '/', "-3", "0.6667"},
        {"0.0001", '/', "2", "0.0001"},
        {"-0.0001", '/', "2", "-0.0001"},
        {"0.0001", '/', "3", "0"},
        {"1", '/', "0.0001", "10000"},
        {"922337203685477.5807", '/', "922337203685477.5807", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + ' ' + c.op + ' ' + c.b);
        const Decimal result = c.op == '*' ? dec(c.a) * dec(c.b) : dec(c.a) / dec(c.b);
        EXPECT_EQ(result, dec(c.expected));
    }
}

TEST(DecimalArithmetic, ProductOrQuotientOutOfRangeThrows) {
    const Decimal max = Decimal::fromUnits(kMax);
    EXPECT_THROW(max * dec("1.0001"), DecimalOverflow);
    EXPECT_THROW(max * max, DecimalOverflow);
    EXPECT_THROW(max / dec("0.5"), DecimalOverflow);
    EXPECT_THROW(max / dec("-0.9999"), DecimalOverflow);
    EXPECT_THROW(dec("1") / Decimal(), DecimalOverflow);
    EXPECT_THROW(Decimal() / Decimal(), DecimalOverflow);
    // reported as every failure with a number is: the old run-time's number and text
    const auto failure = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const DbError& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(failure([&] { (void)(max * max); }), "Desbordamiento\n6");
    EXPECT_EQ(failure([] { (void)(dec("1") / Decimal()); }),
              QString::fromUtf8("División por cero\n11"));
}

TEST(DecimalRange, FromIntAndSignChangesStayInRange) {
    EXPECT_EQ(Decimal::fromInt(922337203685477).units(), 9223372036854770000);
    EXPECT_EQ(Decimal::fromInt(-922337203685477).units(), -9223372036854770000);
    EXPECT_THROW(Decimal::fromInt(922337203685478), DecimalOverflow);
    EXPECT_THROW(Decimal::fromInt(-922337203685478), DecimalOverflow);

    EXPECT_EQ(Decimal::fromUnits(-kMax).abs(), Decimal::fromUnits(kMax));
    EXPECT_EQ(-Decimal::fromUnits(kMax), Decimal::fromUnits(-kMax));
    EXPECT_EQ(dec("-2.5").abs(), dec("2.5"));
    EXPECT_THROW(Decimal::fromUnits(kMin).abs(), DecimalOverflow);
    EXPECT_THROW(-Decimal::fromUnits(kMin), DecimalOverflow);
}

TEST(DecimalRounding, HalvesGoAwayFromZero) {
    struct Case {
        const char* value;
        int places;
        const char* expected;
    };
    const Case cases[] = {
        {"2.5", 0, "3"},         {"-2.5", 0, "-3"},      {"2.4999", 0, "2"},
        {"-0.4999", 0, "0"},     {"6.015", 2, "6.02"},   {"-6.015", 2, "-6.02"},
        {"6.0149", 2, "6.01"},   {"1.2345", 3, "1.235"}, {"-0.0005", 3, "-0.001"},
        {"1.2345", 4, "1.2345"}, {"99.95", 1, "100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " to " + std::to_string(c.places));
        EXPECT_EQ(dec(c.value).rounded(c.places), dec(c.expected));
    }
    EXPECT_EQ(dec("2.5").roundedToWhole(), 3);
    EXPECT_EQ(dec("-2.5").roundedToWhole(), -3);
    EXPECT_EQ(dec("-2.4999").roundedToWhole(), -2);
    // The whole part of the largest amount rounds up past the range of the type, which only
    // rounded() has to represent.
    EXPECT_EQ(Decimal::fromUnits(kMax).roundedToWhole(), 922337203685478);
    EXPECT_THROW(Decimal::fromUnits(kMax).rounded(0), DecimalOverflow);
    EXPECT_EQ(Decimal::fromUnits(kMax).rounded(4), Decimal::fromUnits(kMax));
}

TEST(DecimalText, PlainAndShortStrings) {
    struct Case {
        const char* value;
        int places;
        const char* plain;
        const char* shortest;
    };
    const Case cases[] = {
        {"6.015", 2, "6.02", "6.015"},
        {"-0.5", 0, "-1", "-0.5"},
        {"0", 2, "0.00", "0"},
        {"-0.004", 2, "0.00", "-0.004"},
        {"-0.005", 2, "-0.01", "-0.005"},
        {"12.5", 1, "12.5", "12.5"},
        {"-3", 2, "-3.00", "-3"},
        {"0.0001", 4, "0.0001", "0.0001"},
        {"1234567.8", 4, "1234567.8000", "1234567.8"},
        {"0.5", 6, "0.500000", "0.5"},
        {"922337203685477.5807", 2, "922337203685477.58", "922337203685477.5807"},
        {"922337203685477.5807", 0, "922337203685478", "922337203685477.5807"},
        {"-922337203685477.5807", 3, "-922337203685477.581", "-922337203685477.5807"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(dec(c.value).toPlainString(c.places), QString::fromLatin1(c.plain));
        EXPECT_EQ(dec(c.value).toShortString(), QString::fromLatin1(c.shortest));
    }
    EXPECT_EQ(dec("1.5").toPlainString(), QStringLiteral("1.50"));
    // the stored form of an amount: two decimals at least, and every decimal it has
    for (const auto& [value, stored] : {std::pair{"1000", "1000.00"},
                                        {"-0.5", "-0.50"},
                                        {"3.125", "3.125"},
                                        {"3.1251", "3.1251"},
                                        {"123456789012.34", "123456789012.34"}})
        EXPECT_EQ(dec(value).toAmountString(), QString::fromLatin1(stored)) << value;
}
