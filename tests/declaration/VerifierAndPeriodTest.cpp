#include "declaration/Period.h"
#include "declaration/RetentionRate.h"
#include "declaration/Verifier.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

TEST(Verifier, CheckDigits) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"00000000", "000000001"}, // sum 0: 11 becomes 1
        {"6", "60"},               // 6 x 2 = 12, remainder 1: 10 becomes 0
        {"1", "19"},               // 2, remainder 2: 9
        {"12345678", "123456785"}, // weighted sum 138, remainder 6: 5
        {"  42  ", "426"},         // trimmed first
        {"", ""},
        {"A1", "A19"},                                // other characters count 0
        {"123456789012345678", "123456789012345673"}, // only the first 17 count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DigitoVerificador(c.text), c.expected);
    }
}

TEST(Verifier, TheVerifierOfAnOrderNumber) {
    const QString control = "12345678";
    const QString d1 = DigitoVerificador(control).right(1);
    for (const QString orden : {"00001234", "987654321", "1234567890"}) {
        SCOPED_TRACE(orden.toStdString());
        const QString v = CalculaVerificador(control, orden);
        ASSERT_EQ(v.size(), 2);
        EXPECT_EQ(v.left(1), d1); // the first digit depends on the control number alone
        EXPECT_EQ(v.right(1), DigitoVerificador(control + orden + d1).right(1));
        EXPECT_TRUE(ValidaVerificador(control, orden, v));
        EXPECT_FALSE(ValidaVerificador(control, orden, v.left(1)));
    }
    // with a 10-digit order number its last digit does not count
    EXPECT_EQ(CalculaVerificador(control, "1234567890"), CalculaVerificador(control, "1234567899"));
    EXPECT_NE(CalculaVerificador(control, "00001234"), CalculaVerificador(control, "00001235"));
}

TEST(Period, FromJune2002ToTheCurrentMonth) {
    const QDate today(2026, 12, 10);
    struct Case {
        const char* text;
        PeriodCheck expected;
    } cases[] = {
        {"05/2002", PeriodCheck::Invalid},    {"06/2002", PeriodCheck::Valid},
        {"12/2026", PeriodCheck::Valid},      {"01/2027", PeriodCheck::Invalid},
        {"13/2003", PeriodCheck::Invalid},    {"00/2003", PeriodCheck::Invalid},
        {"01/20__", PeriodCheck::Incomplete}, {"__/____", PeriodCheck::Incomplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(checkPeriod(c.text, today), c.expected);
    }
    EXPECT_EQ(periodFromText("07/2010"), "201007");
    EXPECT_EQ(periodFromText("072010"), "201007");
    EXPECT_EQ(periodToText("201007"), "07/2010");
}

class RetentionRateTest : public test::SampleEnvironmentTest {};

TEST_F(RetentionRateTest, TheRateInForceByClassAndPeriod) {
    db->execute("INSERT INTO PARAM VALUES ('969', '010909120110101', '0 0.03 RETENCIONES', '')");
    db->execute("INSERT INTO PARAM VALUES ('969', '010909220050101', '0 0.10 OTRA', '')");
    struct Case {
        const char* cls;
        const char* period;
        const char* rate;
    } cases[] = {
        {"1", "200206", "0.06"}, {"1", "201012", "0.06"}, {"1", "201101", "0.03"},
        {"1", "202612", "0.03"}, {"1", "200205", "0"},    {"", "201007", "0"},
        {"2", "200412", "0"},    {"2", "200501", "0.10"}, {"9", "201007", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + "/" + c.period);
        EXPECT_EQ(BuscaTasaRetencion(*db, c.cls, c.period), c.rate);
    }
}
