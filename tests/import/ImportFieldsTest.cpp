#include "import/ImportFields.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;
using namespace ret::import;

namespace {

const QString kCompany = "20512345671|empresa andina sac||||E001|1|20/07/2010|1000.00|1|F001|123|"
                         "20/07/2010|1000.00|";

class ImportFieldsTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    struct Outcome {
        QString code; // empty when the line passes
        QStringList fields;
    };
    // The line checked as the import checks it: field by field, stopping at the first failure.
    Outcome check(const QString& line, const QString& period = "201007") {
        FieldChecker checker(*db, rules, "20100070970", period, QDate(2026, 12, 10));
        LineCutter cut(line);
        Outcome o;
        for (int i = 0; i < kFields; ++i) {
            auto field = cut.next();
            if (!field)
                return {"0201", o.fields};
            if (!checker.Val_Transf_CVS(*field, i))
                return {checker.errorCode(), o.fields};
            o.fields << *field;
        }
        return o;
    }
    // The company line with field `i` replaced.
    static QString with(int i, const QString& value, QString line = kCompany) {
        QStringList f = line.split('|');
        f[i] = value;
        return f.join('|');
    }
};

RET_ON_BOTH_ENGINES(ImportFieldsTest);

} // namespace

TEST_P(ImportFieldsTest, AValidLineIsNormalised) {
    const Outcome o = check(kCompany);
    ASSERT_EQ(o.code, QString());
    EXPECT_EQ(o.fields, QStringList({"20512345671", "EMPRESA ANDINA SAC", "", "", "", "E001",
                                     "00000001", "20/07/2010", "1000.00", "01", "F001", "00000123",
                                     "20/07/2010", "1000.00"}));
    const Outcome person = check("10412345679||quispe|mamani|ana maria|12|345|20/07/2010|50|99|"
                                 "0001|123456789012345|01/07/2010|50|");
    ASSERT_EQ(person.code, QString());
    EXPECT_EQ(person.fields[5], "0012");
    EXPECT_EQ(person.fields[6], "00000345");
    EXPECT_EQ(person.fields[11], "123456789012345"); // type 99 takes 15 digits
    EXPECT_EQ(person.fields[2], "QUISPE");
}

TEST_P(ImportFieldsTest, EachFieldsFailures) {
    struct Case {
        int field;
        const char* value;
        const char* code;
    } cases[] = {
        {0, "20512345672", "0001"},
        {0, "20100070970", "0221"},
        {1, "", "0003"},
        {2, "PEREZ", "0993"},
        {4, "ANA", "0993"},
        {1, "EMPRESA @", "0239"},
        {5, "xxx", "0857"},
        {5, "E0001", "0857"},
        {5, "E0A1", "0857"},
        // a serie begins with a letter A to Z or a digit, whatever its date and type
        {5, "Ñ001", "0857"},
        {5, "ñ001", "0857"},
        {10, "Ñ001", "0857"},
        {6, "123456789", "0858"},
        {6, "0", "0858"},
        {6, "12A", "0858"},
        {7, "31/02/2010", "0859"},
        {7, "20/07/10", "0859"},
        {7, "20/08/2010", "0991"},
        {7, "11/12/2027", "0989"},
        {8, "", "0996"},
        {8, "0", "0884"},
        {8, "00", "0884"}, // what reads as a whole zero is refused as "0" is
        {8, ".", "0884"},
        {8, "0.", "0884"},
        {8, "000000000000", "0884"},
        {8, "1,000", "0885"},
        {8, "10\b5", "0885"}, // editing keys are characters in a file
        {5, "F01\b", "0857"},
        {8, "1.0.0", "0886"},
        {8, "1234567890123", "0887"},
        {8, "1234567890123.4", "0887"},
        {9, "", "0883"},
        {9, "03", "0883"},
        {11, "", "0858"},
        {12, "01/08/2010", "0868"},
        {12, "01/01/2027", "0990"},
        {13, "", "0984"},
        {13, "0", "0988"},
        {13, "00", "0988"},
        {13, ".", "0988"},
        {13, "00.", "0988"},
        {13, "-50", "0987"},
        {13, "7\r0", "0987"},
        {13, "1.2.3", "0986"},
        {13, "1234567890123", "0985"},
        {13, "123456789012.345", "0877"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.value);
        EXPECT_EQ(check(with(c.field, c.value)).code, c.code);
    }
    // a byte-order mark that the engines' binding drops from a bound text is no type of table
    // 233 (a line read as UTF-8 keeps one inside a field)
    EXPECT_EQ(check(with(9, QChar(0xFEFF) + QStringLiteral("01"))).code, "0883");
    // a credit note may carry a minus sign, but an amount must still be positive
    EXPECT_EQ(check(with(13, "-50", with(9, "07"))).code, "0983");
    // nor may a till receipt's serie begin with an enye, though its serie has no rule by date
    EXPECT_EQ(check(with(10, "Ñ001", with(9, "12"))).code, "0857");
    EXPECT_EQ(check(with(10, "A001", with(9, "12"))).code, QString());
    // 12 digits, a point and 2 decimals fit; "0.00" passes the base check
    EXPECT_EQ(check(with(8, "123456789012.34")).code, QString());
    EXPECT_EQ(check(with(8, "0.00")).code, QString());
    // a person's RUC with a business name
    EXPECT_EQ(check("10412345679|X|A|B|C|E001|1|20/07/2010|1|01|F001|1|01/07/2010|1|").code,
              "0992");
    // the line ends before its 14th field
    EXPECT_EQ(check(kCompany.left(kCompany.lastIndexOf("1000.00"))).code, "0201");
}

TEST_P(ImportFieldsTest, SeriesByTheVouchersDates) {
    struct Case {
        const char* serie;
        const char* date;
        const char* period;
        bool accepted;
    } cases[] = {
        {"E001", "15/07/2010", "201007", true},
        {"E001", "15/12/2008", "200812", false},
        {"F001", "20/07/2010", "201007", true},
        {"FF01", "20/07/2010", "201007", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.serie) + " " + c.date);
        const QString line = with(10, "0001", with(12, c.date, with(7, c.date, with(5, c.serie))));
        const QString code = check(line, c.period).code;
        if (c.accepted)
            EXPECT_EQ(code, QString());
        else
            EXPECT_EQ(code, "0857");
    }
}

TEST_P(ImportFieldsTest, WholeFileChecksAndTexts) {
    EXPECT_TRUE(CuentaPye({kCompany, kCompany}));
    EXPECT_FALSE(CuentaPye({kCompany, kCompany.left(kCompany.size() - 1)})); // 13
    EXPECT_FALSE(CuentaPye({kCompany + "|"}));                               // 15
    EXPECT_EQ(firstUnterminatedLine({kCompany, "  ", "a|b"}), 2);
    EXPECT_FALSE(firstUnterminatedLine({kCompany, "", kCompany + "  "}).has_value());
    EXPECT_EQ(CadDev(kCompany), "E001 1");
    EXPECT_TRUE(Fechadesistema("10/12/2026", QDate(2026, 12, 10)));
    EXPECT_FALSE(Fechadesistema("11/12/2026", QDate(2026, 12, 10)));
    EXPECT_TRUE(Fechadesistema("no es fecha", QDate(2026, 12, 10)));
    EXPECT_EQ(errorText(*db, "0992"),
              QString::fromUtf8("El RUC no es de una Empresa, no debe ingresar la razón social"));
    EXPECT_EQ(errorText(*db, "0001"), "El número de RUC no es válido"); // from the error table
    EXPECT_EQ(errorText(*db, "0777"),
              "Otro Error : Verifique Estructura de Tablas y datos a transferir");
}
