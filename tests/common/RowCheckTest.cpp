#include "common/RowCheck.h"

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include <limits>

using namespace ret;

namespace {

// Key columns 6, "12345678901", "200701", "0947"; further columns hold only "AB".
// A = 12345880555, B = 1*65 + 2*66 = 197.
QVariantList sampleRow(const QVariant& checkColumn) {
    return {6,
            QStringLiteral("12345678901"),
            QStringLiteral("200701"),
            QStringLiteral("0947"),
            QStringLiteral("AB"),
            QString(),
            checkColumn};
}

} // namespace

TEST(RowCheck, SampleRowGivesLastDigitsOfBothSums) {
    EXPECT_EQ(CalculaCNumero(sampleRow(QVariant()), 4), "555197");
}

TEST(RowCheck, CheckColumnIsIgnoredButTheColumnBeforeItCounts) {
    const QString first = CalculaCNumero(sampleRow(QVariant()), 4);
    EXPECT_EQ(CalculaCNumero(sampleRow(first), 4), first);
    EXPECT_EQ(CalculaCNumero(sampleRow(QStringLiteral("ZZZZZZ")), 4), first);

    QVariantList row = sampleRow(first);
    row[row.size() - 2] = QStringLiteral("A"); // second to last: 197 + 65
    EXPECT_EQ(CalculaCNumero(row, 4), "555262");
}

TEST(RowCheck, ColumnTextsAreTrimmed) {
    const QVariantList row = {6,
                              QStringLiteral(" 12345678901"),
                              QStringLiteral("200701\t"),
                              QStringLiteral("  0947  "),
                              QStringLiteral("  AB "),
                              QStringLiteral("   "),
                              QString()};
    EXPECT_EQ(CalculaCNumero(row, 4), "555197");
}

TEST(RowCheck, DatesCountAsYyyymmdd) {
    const QDate date(2007, 1, 5);
    // A = 20070105; B of "20070105" = 1804.
    EXPECT_EQ(CalculaCNumero({date, date, QString()}, 1), "105804");
    EXPECT_EQ(CalculaCNumero({QDateTime(date, QTime(23, 59)), QDateTime(date, QTime(0, 1)), 0}, 1),
              "105804");
}

TEST(RowCheck, KeyColumnsThatAreNotPlainNumbersAddNothing) {
    const char* const notNumbers[] = {"R", "12a",   "1.2.3", "+", ".",
                                      "-", "1 000", "1e5",   "",  "--1"};
    for (const char* text : notNumbers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(CalculaCNumero({6, QString::fromLatin1(text), QString()}, 2), "006000");
    }
}

TEST(RowCheck, KeySumIsExactAndRoundsHalvesAwayFromZero) {
    struct Case {
        QVariantList keys;
        const char* expected; // first three digits of the result
    };
    const Case cases[] = {
        {{QStringLiteral("+12"), QStringLiteral("-2")}, "010"},
        {{6, QStringLiteral("-1240")}, "234"}, // -1234: the sign never reaches the result
        {{12.5}, "013"},
        {{-2.5}, "003"},
        {{QStringLiteral("2.49")}, "002"},
        {{QStringLiteral("0.25"), QStringLiteral(".25")}, "001"},
        {{QStringLiteral("1.5"), QStringLiteral("-1.0000000000000000001")}, "000"},
        {{QStringLiteral("12345678901234567890"), 1}, "891"},
        {{QStringLiteral("99999999999999999999"), 1}, "000"},
        {{QStringLiteral("123456789012345678901234567890123456789012345")}, "345"},
        // about the 36 digits that fit a 128-bit sum, in whole and scaled numbers
        {{QStringLiteral("999999999999999999999999999999999999"), 1}, "000"},
        {{QStringLiteral("1234567890123456789012345678901234567")}, "567"},
        {{QStringLiteral("123456789012345678901234567890123.4567")}, "123"},
        {{QStringLiteral("12345678901234567890123456789012.5"), QStringLiteral("-0.0001")}, "012"},
        {{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()}, "614"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        QVariantList row = c.keys;
        row.append(QString());
        EXPECT_EQ(CalculaCNumero(row, int(c.keys.size())), QString::fromLatin1(c.expected) + "000");
    }
}

TEST(RowCheck, ContentUsesWindows1252Codes) {
    EXPECT_EQ(CalculaCNumero({QString::fromUtf8("Ñ"), QString()}, 0), "000209");
    EXPECT_EQ(CalculaCNumero({QString::fromUtf8("ñ"), QString()}, 0), "000241");
    EXPECT_EQ(CalculaCNumero({QString::fromUtf8("ÑANDÚ"), QString()}, 0), "000935");
    EXPECT_EQ(CalculaCNumero({QByteArray("\xD1"), QString()}, 0), "000209");
}

TEST(RowCheck, LongTextsDoNotOverflow) {
    // 65 * (10001 * 10002 / 2) = 3250975065, beyond 32 bits.
    EXPECT_EQ(CalculaCNumero({QString(10001, u'A'), QString()}, 0), "000065");
}

TEST(RowCheck, ValuesOfOtherTypesCountAsTheirText) {
    struct Case {
        QVariant value;
        const char* text;
    };
    const Case cases[] = {
        {QVariant(int(-7)), "-7"},
        {QVariant(uint(4294967295u)), "4294967295"},
        {QVariant(qint64(12345678901)), "12345678901"},
        {QVariant(quint64(18446744073709551615ull)), "18446744073709551615"},
        {QVariant(12.5), "12.5"},
        {QVariant(3.0), "3"},
        {QVariant(1e20), "100000000000000000000"},
        {QVariant(1.1f), "1.1"},
        {QVariant(true), ""},
        {QVariant(), ""},
        {QVariant(QString()), ""},
        {QVariant(QByteArray(" 0947 ")), "0947"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(CalculaCNumero({c.value, c.value, QString()}, 1),
                  CalculaCNumero({text, text, QString()}, 1));
    }
    // Confirms the comparison above is not vacuous: the text of -7 counts in both sums.
    EXPECT_EQ(CalculaCNumero({-7, -7, QString()}, 1), "007155");
}

TEST(RowCheck, KeyLengthIsLimitedToTheColumnsBeforeTheCheckColumn) {
    EXPECT_EQ(CalculaCNumero({6, QStringLiteral("AB"), 7}, 5), "006000");
    EXPECT_EQ(CalculaCNumero({6, QStringLiteral("AB"), 7}, -1), "000251"); // "6": 54, "AB": 197
    EXPECT_EQ(CalculaCNumero({}, 3), "000000");
    EXPECT_EQ(CalculaCNumero({QStringLiteral("AB")}, 0), "000000");
}
