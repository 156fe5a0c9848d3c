#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/RowCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace ret;

namespace {

// Records every message and answers with the scripted answer.
class RecordingSink final : public MessageSink {
public:
    MsgAnswer show(const Message& message) override {
        shown.push_back(message);
        return answer;
    }
    std::vector<Message> shown;
    MsgAnswer answer = MsgAnswer::Cancel;
};

class FieldRulesTest : public ::testing::Test {
protected:
    RecordingSink sink;
    FieldRules rules{sink};
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

TEST_F(FieldRulesTest, RucNeedsKnownPrefixAndCheckDigit) {
    struct Case {
        const char* ruc;
        bool valid;
    };
    const Case cases[] = {
        {"20100070970", true},                           // sum 89, 11 - 1 = 10 gives 0
        {"20131312955", true},                           // sum 94, 11 - 6 = 5
        {"10200000001", true},                           // sum 11, 11 - 0 = 11 gives 1
        {"15000000008", true},                           // sum 25
        {"16000000004", true},                           // sum 29
        {"17000000001", true},                           // sum 33
        {"20100070971", false},                          // check digit off by one
        {"20131312954", false},  {"10200000000", false}, // 11 taken as is instead of 1
        {"12000000009", false},                          // right check digit, unknown prefix
        {"30000000007", false},  {"2010007097", false},
        {"201000709700", false}, {"2010007097A", false},
        {" 20100070970", false}, {"20100070970 ", false},
        {"2010 070970", false},  {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ruc);
        EXPECT_EQ(rules.IsValidRuc(QString::fromLatin1(c.ruc)), c.valid);
    }
    QString arabicDigit = QStringLiteral("20100070970");
    arabicDigit[3] = QChar(0x0660); // ARABIC-INDIC DIGIT ZERO
    EXPECT_FALSE(rules.IsValidRuc(arabicDigit));
}

TEST_F(FieldRulesTest, PaddingFillsButNeverCuts) {
    EXPECT_EQ(rules.PadRight("AB", 5), "AB   ");
    EXPECT_EQ(rules.PadLeft("AB", 5), "   AB");
    EXPECT_EQ(rules.PadLeftWith("7", 4, u'0'), "0007");
    EXPECT_EQ(rules.PadRightWith(u8("Ñ"), 3, u'*'), u8("Ñ**"));
    EXPECT_EQ(rules.PadRight("", 2), "  ");
    for (const int width : {-1, 0, 3, 5}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(rules.PadRight("ABCDE", width), "ABCDE");
        EXPECT_EQ(rules.PadLeft("ABCDE", width), "ABCDE");
        EXPECT_EQ(rules.PadRightWith("ABCDE", width, u'0'), "ABCDE");
        EXPECT_EQ(rules.PadLeftWith("ABCDE", width, u'0'), "ABCDE");
    }
}

TEST_F(FieldRulesTest, DateRangeIsInclusiveAndStrict) {
    struct Case {
        const char* date;
        const char* lower;
        const char* upper;
        bool inside;
    };
    const Case cases[] = {
        {"05/03/2022", "01/01/2022", "31/12/2022", true},
        {"01/01/2022", "01/01/2022", "31/12/2022", true},
        {"31/12/2022", "01/01/2022", "31/12/2022", true},
        {"31/12/2021", "01/01/2022", "31/12/2022", false},
        {"01/01/2023", "01/01/2022", "31/12/2022", false},
        {"20/01/2023", "15/06/2022", "10/02/2023", true}, // compared as dates, not as texts
        {"05/03/2022", "31/12/2022", "01/01/2022", false},
        {"29/02/2024", "01/01/2024", "31/12/2024", true},
        {"29/02/2023", "01/01/2023", "31/12/2023", false},
        {"31/04/2022", "01/01/2022", "31/12/2022", false},
        {"00/01/2022", "01/01/2021", "31/12/2022", false},
        {"15/13/2022", "01/01/2022", "31/12/2022", false},
        {"5/03/2022", "01/01/2022", "31/12/2022", false},
        {"05/3/2022", "01/01/2022", "31/12/2022", false},
        {"05/03/22", "01/01/2022", "31/12/2022", false},
        {"05-03-2022", "01/01/2022", "31/12/2022", false},
        {" 05/03/2022", "01/01/2022", "31/12/2022", false},
        {"aa/03/2022", "01/01/2022", "31/12/2022", false},
        {"", "01/01/2022", "31/12/2022", false},
        {"05/03/2022", "", "31/12/2022", false},
        {"05/03/2022", "01/01/2022", "32/12/2022", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " in " + c.lower + ".." + c.upper);
        EXPECT_EQ(rules.IsDateInRange(QString::fromLatin1(c.date), QString::fromLatin1(c.lower),
                                      QString::fromLatin1(c.upper)),
                  c.inside);
    }
}

TEST_F(FieldRulesTest, DigitsAndAlphanumericTexts) {
    struct Case {
        QString text;
        bool digits;
        bool alphanumeric;
    };
    const Case cases[] = {
        {"0123456789", true, true},
        {"0", true, true},
        {"", false, false},
        {"AbC123", false, true},
        {u8("ÑAÑU ñandu"), false, false},
        {u8("ÑAÑUñandu"), false, true},
        {"12 3", false, false},
        {"-12", false, false},
        {"1.5", false, false},
        {u8("CAFÉ"), false, false},
        {QString(QChar(0x0661)), false, false}, // ARABIC-INDIC DIGIT ONE
        {"A_1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(rules.IsAllDigits(c.text), c.digits);
        EXPECT_EQ(rules.IsAlphanumeric(c.text), c.alphanumeric);
    }
}

TEST_F(FieldRulesTest, NameTextAllowsRegistryCharactersOnly) {
    struct Case {
        QString text;
        bool valid;
    };
    const Case cases[] = {
        {u8("PEÑA GARCÍA, JOSÉ MARÍA"), true},
        {u8("Güemes & Asociados S.A.C."), true},
        {u8("AV. LOS ÁLAMOS N° 123 - DPTO. 4ª (ALT. Nº 5) #7"), true},
        {u8("O'HIGGINS \"EL SOL\": 1/2; 3+4_5"), true},
        {u8("ÁÉÍÓÚáéíóúÜüÑñ"), true},
        {"  ACME  ", true},
        {"", false},
        {"   ", false},
        {"ACME|SAC", false},
        {"ACME\tSAC", false},
        {QString("ACME") + QChar(0x0001), false},
        {"ACME @ SAC", false},
        {"50% SAC", false},
        {u8("ACME€"), false},
        {u8("ÇA VA"), false},
        {u8("ACME") + QChar(0x00A0) + u8("SAC"), false}, // no-break space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(rules.IsValidNameText(c.text), c.valid);
    }
}

TEST_F(FieldRulesTest, ReplaceEnyeGivesCapitalPrecomposedEnye) {
    const QChar tilde(0x0303);
    EXPECT_EQ(rules.ReplaceEnye(u8("PEña")), u8("PEÑa"));
    EXPECT_EQ(rules.ReplaceEnye(QString("PEN") + tilde + "A"), u8("PEÑA"));
    EXPECT_EQ(rules.ReplaceEnye(QString("pen") + tilde + "a"), u8("peÑa"));
    EXPECT_EQ(rules.ReplaceEnye(QString("N") + tilde + "N" + tilde), u8("ÑÑ"));
    EXPECT_EQ(rules.ReplaceEnye(u8("ÑANDÚ nina")), u8("ÑANDÚ nina"));
    EXPECT_EQ(rules.ReplaceEnye(QString("A") + tilde), QString("A") + tilde);
    EXPECT_EQ(rules.ReplaceEnye(QString(tilde) + "N"), QString(tilde) + "N");
    EXPECT_EQ(rules.ReplaceEnye(""), "");
}

TEST_F(FieldRulesTest, KeyFilters) {
    struct Case {
        int key;
        int digitKey;     // FilterDigitKey without the decimal point
        int digitOrPoint; // ... with it
        bool letterOrDigit;
        int converted;
    };
    const Case cases[] = {
        {'0', '0', '0', true, '0'}, {'9', '9', '9', true, '9'}, {8, 8, 8, true, 8},
        {'.', 0, '.', false, '.'},  {',', 0, 0, false, ','},    {'-', 0, 0, false, '-'},
        {' ', 0, 0, false, ' '},    {'/', 0, 0, false, '/'},    {':', 0, 0, false, ':'},
        {'a', 0, 0, true, 'A'},     {'z', 0, 0, true, 'Z'},     {'A', 0, 0, true, 'A'},
        {'Z', 0, 0, true, 'Z'},     {'@', 0, 0, false, '@'},    {'[', 0, 0, false, '['},
        {'`', 0, 0, false, '`'},    {'{', 0, 0, false, '{'},    {13, 0, 0, false, 13},
        {0xF1, 0, 0, true, 0xD1},  // ñ
        {0xD1, 0, 0, true, 0xD1},  // Ñ
        {0xE1, 0, 0, false, 0xC1}, // á
        {0xE9, 0, 0, false, 0xC9}, // é
        {0xED, 0, 0, false, 0xCD}, // í
        {0xF3, 0, 0, false, 0xD3}, // ó
        {0xFA, 0, 0, false, 0xDA}, // ú
        {0xFC, 0, 0, false, 0xDC}, // ü
        {0xE7, 0, 0, false, 0xE7}, // ç stays
        {0xF7, 0, 0, false, 0xF7}, // ÷ is no letter
        {0xFF, 0, 0, false, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(rules.FilterDigitKey(c.key, false), c.digitKey);
        EXPECT_EQ(rules.FilterDigitKey(c.key, true), c.digitOrPoint);
        EXPECT_EQ(rules.IsLetterOrDigitKey(c.key), c.letterOrDigit);
        EXPECT_EQ(rules.ConvertKey(c.key), c.converted);
    }
}

TEST_F(FieldRulesTest, ShowMessageShowsOneExclamationWithOk) {
    rules.ShowMessage(u8("El RUC no es válido"), "Retenciones");
    ASSERT_EQ(sink.shown.size(), 1u);
    const Message& m = sink.shown.front();
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.text, u8("El RUC no es válido"));
    EXPECT_EQ(m.title, "Retenciones");
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.defaultAnswer, MsgAnswer::Ok);
}

TEST_F(FieldRulesTest, ReportFileMustBeAReadableRegularFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("reporte.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0001|20100070970|\r\n");
    file.close();

    EXPECT_TRUE(rules.DecipherReportFile(path));
    EXPECT_FALSE(rules.DecipherReportFile(dir.filePath("falta.txt")));
    EXPECT_FALSE(rules.DecipherReportFile(dir.path()));
    EXPECT_FALSE(rules.DecipherReportFile(""));
}

TEST_F(FieldRulesTest, ReportFileWithoutReadPermissionIsRefused) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("reporte.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::WriteOwner));
    if (file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    EXPECT_FALSE(rules.DecipherReportFile(file.fileName()));
}
