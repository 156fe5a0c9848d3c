#include "common/NumberFormat.h"

#include <gtest/gtest.h>

using namespace ret;

namespace {

Decimal dec(const char* text) {
    return Decimal::parse(QString::fromLatin1(text)).value();
}

struct Case {
    const char* pattern;
    const char* value;
    const char* expected;
};

void expectFormats(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        SCOPED_TRACE(std::string(c->pattern) + " <- " + c->value);
        EXPECT_EQ(formatNumber(dec(c->value), QString::fromUtf8(c->pattern)),
                  QString::fromUtf8(c->expected));
    }
}

} // namespace

TEST(FormatNumber, PatternsOfTheModule) {
    const Case cases[] = {
        {"###,###,###,##0.#0", "1234567.891", "1,234,567.89"},
        {"###,###,###,##0.#0", "0", "0.00"},
        {"###,###,###,##0.#0", "-1234.5", "-1,234.50"},
        {"###########0.#0", "1234567.5", "1234567.50"},
        {"############.#0", "0.5", ".50"},
        {"############.#0", "0", ".00"},
        {"############.#0", "12.345", "12.35"},
        {"##0.#0", "6", "6.00"},
        {"(###,###,###,##0)", "300", "(300)"},
        {"(###,###,###,##0)", "-300", "-(300)"},
        {"(###,###,###,##0)", "1234567", "(1,234,567)"},
        {"(#,###,###,##0)", "0", "(0)"},
        {"###,###,###,##0;(###,###,###,##0)", "-300", "(300)"},
        {"###,###,###,##0;(###,###,###,##0)", "1234567", "1,234,567"},
        {"###,###,###,##0;(###,###,###,##0)", "0", "0"},
        {"###,###,###,##0.00;(###,###,###,##0.00)", "-1234.5", "(1,234.50)"},
        {"###,###,###,##0.00;(###,###,###,##0.00)", "-0.004", "0.00"},
        {"#########0", "-12.6", "-13"},
        {"###########0", "0", "0"},
        {"##############0", "123456789012345", "123456789012345"},
        {"############", "0", ""},
        {"############", "12.5", "13"},
        {"#,###,###,##0", "1000", "1,000"},
        {"###,###,###,###,###", "0", ""},
        {"###,###,###,###,###", "0.4", ""},
        {"###,###,###,###,###", "1234.5", "1,235"},
        {"###,###,###,###,##0", "0", "0"},
        {"###,###,###,###.00", "0.5", ".50"},
        {"###,###,###,###.00", "1234567.5", "1,234,567.50"},
        {"00000000", "7", "00000007"},
        {"000000", "123", "000123"},
        {"00", "5", "05"},
        {"##", "3", "3"},
        {"##", "0", ""},
        {"##,###,###,###,##0", "-9876543210", "-9,876,543,210"},
        {"#,###,###,##0.00", "0.125", "0.13"},
        {"00000000000000000000", "42", "00000000000000000042"},
        {"00000000000000000000", "-42", "-00000000000000000042"},
    };
    expectFormats(std::begin(cases), std::end(cases));
    EXPECT_EQ(formatNumber(dec("0.06") * Decimal::fromInt(100), "##0.#0"), "6.00");
}

TEST(FormatNumber, DigitsBeyondThePlaceholdersAreAllShown) {
    const Case cases[] = {
        {"00", "123", "123"},
        {"0", "-123456", "-123456"},
        {"#,##0", "123456789", "123,456,789"},
        {"(#,##0)", "1234567", "(1,234,567)"},
        {"##", "1234567", "1234567"},
        {"###,###,###,##0.00", "922337203685477.5807", "922,337,203,685,477.58"},
        {"0", "922337203685477.5807", "922337203685478"},
        {"#,##0.0000;(#,##0.0000)", "-922337203685477.5807", "(922,337,203,685,477.5807)"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumber, RoundsHalvesAwayFromZeroAndKeepsDecimalsDownToTheLastZero) {
    const Case cases[] = {
        {"0", "2.5", "3"},
        {"0", "-2.5", "-3"},
        {"0", "2.4999", "2"},
        {"#", "0.5", "1"},
        {"0.00", "0.125", "0.13"},
        {"0.00", "-0.125", "-0.13"},
        {"###,##0.00", "1234.995", "1,235.00"},
        {"0.0", "9.95", "10.0"},
        {"#.##", "1.5", "1.5"},
        {"#.##", "1", "1."},
        {"0.0#", "1.5", "1.5"},
        {"0.0#", "1.255", "1.26"},
        {"0.0#", "1", "1.0"},
        {"0.000000", "1.5", "1.500000"},
        {".00", "12.5", "12.50"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumber, SectionFollowsTheSignOfTheRoundedValue) {
    const Case cases[] = {
        {"0", "-0.4", "0"},
        {"0;(0)", "-0.4", "0"},
        {"0;(0)", "-0.5", "(1)"},
        {"0.0;(0.0)", "-0.04", "0.0"},
        {"0.00;(0)", "-0.4", "0.00"}, // the negative section's places decide
        {"0;(0.00)", "-0.4", "(0.40)"},
        {"0;(0);\"cero\"", "0", "cero"},
        {"0;(0);\"cero\"", "-0.4", "cero"},
        {"0;(0);\"cero\"", "0.4", "cero"},
        {"0;(0);\"cero\"", "5", "5"},
        {"0;(0);\"cero\"", "-5", "(5)"},
        {"#;-#;Z", "0", "Z"},
        {"#;-#;Z", "-5", "-5"},
        {"#;-#;Z", "5", "5"},
        {"0;;Z", "-5", "-5"}, // an empty section falls back to the positive one
        {"0;(0);", "0", "0"},
        {"0;(0);0.00", "0", "0.00"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumber, Literals) {
    const Case cases[] = {
        {"ABC", "5", "ABC"},
        {"ABC", "0", "ABC"},
        {"\\#0", "5", "#5"},
        {"\"N.º \"0", "7", "N.º 7"},
        {"0\" pts\"", "12", "12 pts"},
        {"0\" pts", "12", "12 pts"}, // an unclosed quote runs to the end
        {"\"a;b\"0", "1", "a;b1"},
        {"\\;0;(0)", "-1", "(1)"},
        {"\"0,0.0\"#", "3", "0,0.03"},
        {"#,##0 €", "1234.5", "1,235 €"},
        {",##0", "1234", ",1234"}, // only a comma between placeholders groups
        {"#.##.\"x\"", "1.5", "1.5.x"},
        {"Total.", "5", "Total."},
        {"000-000", "123456", "123-456"},
        {"000-000", "5", "000-005"},
        {"###-###", "12345", "12-345"},
        {"###-###", "5", "5"},
        {"", "1234.5", "1234.5"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatText, FormatsNumericTextAndLeavesTheRestAlone) {
    const Case cases[] = {
        {"#########0", "(300)", "-300"},
        {"###########0", "1,234", "1234"},
        {"0", "abc", "abc"},
        {"###", "", ""},
        {"0", "  ", "  "},
        {"0", "1.2.3", "1.2.3"},
        {"0;(0)", "300-", "(300)"},
        {"0.00", "12.345", "12.35"},
        {"00", " 7 ", "07"},
        {"##", "0", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " <- " + c.value);
        EXPECT_EQ(formatText(QString::fromLatin1(c.value), QString::fromLatin1(c.pattern)),
                  QString::fromLatin1(c.expected));
    }
    EXPECT_THROW(formatText("99999999999999999999", "0"), DecimalOverflow);
}

TEST(ReadNumber, FormatsThenReadsTheLeadingValue) {
    struct ReadCase {
        const char* text;
        const char* pattern;
        const char* expected;
    };
    const ReadCase cases[] = {
        {"(1,200)", "#########0", "-1200"},
        {"", "#########0", "0"},
        {"abc", "#########0", "0"},
        {"12abc", "#########0", "12"},
        {"12.6", "#########0", "13"},
        {"-0.4", "#########0", "0"},
        {"1,234.567", "###########0.#0", "1234.57"},
        {"1234", "#,##0", "1"}, // a grouping pattern stops the reading at the first comma
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " with " + c.pattern);
        EXPECT_EQ(readNumber(QString::fromLatin1(c.text), QString::fromLatin1(c.pattern)),
                  dec(c.expected));
    }
}
