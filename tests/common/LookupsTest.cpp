#include "common/Lookups.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Schema.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <stdexcept>

using namespace ret;

namespace {

// A document-type record of table 044: length at 46-47, digits-only flag at 128, exact-length
// flag at 130.
QString docType(int length, char digitsOnly, char exact) {
    QString r =
        QString("TIPO").leftJustified(45, ' ') + QString::number(length).rightJustified(2, '0');
    r = r.leftJustified(127, ' ') + QChar(digitsOnly) + ' ' + QChar(exact);
    return r;
}

class LookupsTest : public test::TempDirTest {
protected:
    void SetUp() override {
        db = Database::create(path("shared.db"));
        for (const char* t : {"PARAM", "CLAVES", "ERROR", "CONT"})
            for (const QString& sql : db->dialect().createTable(tableDef(t)))
                db->execute(sql);
        db->execute("INSERT INTO CLAVES VALUES ('ANA', '2'), ('JEFE', '0')");
        db->execute("INSERT INTO ERROR VALUES ('0151', ?)",
                    {QString::fromUtf8("Grabación exitosa")});
        db->execute("INSERT INTO CONT VALUES (6, '20100070970', 'ANA', 'UNO'), "
                    "(6, '20512345671', 'LUIS', 'DOS'), (6, '2051234', 'ANA', 'CORTO'), "
                    "(1, '12345678', 'ANA', 'DNI')");
    }
    QStringList contributors(const QString& user) {
        const SqlText q = SqlContribuyentes(*db, "0947", user);
        Cursor c = db->query(q.sql, q.params);
        QStringList out;
        while (c.next())
            out << c.text(1).trimmed(); // doc_id_d is the second column
        return out;
    }
    std::unique_ptr<Database> db;
    test::ScriptedMessages messages;
    FieldRules rules{messages};
};

} // namespace

TEST_F(LookupsTest, UserKindAndErrorTexts) {
    EXPECT_EQ(TipoUsuario(*db, "ANA"), "2");
    EXPECT_EQ(TipoUsuario(*db, "NADIE"), "1");
    EXPECT_EQ(DescripcionError(*db, 151), QString::fromUtf8("Grabación exitosa"));
    EXPECT_EQ(DescripcionError(*db, 152), QString());
}

TEST_F(LookupsTest, ContributorsOfferedForANewDeclaration) {
    // without a RUC row the default record applies: no exact length asked
    EXPECT_EQ(contributors("ANA"), QStringList({"20100070970", "2051234"}));
    EXPECT_EQ(contributors("JEFE"), QStringList({"20100070970", "2051234", "20512345671"}));
    EXPECT_EQ(contributors("O'BRIEN; --"), QStringList());

    db->execute("INSERT INTO PARAM VALUES ('044', '6', ?, '')", {docType(11, '1', '1')});
    EXPECT_EQ(contributors("ANA"), QStringList({"20100070970"}));
    EXPECT_EQ(contributors("JEFE"), QStringList({"20100070970", "20512345671"}));
}

TEST_F(LookupsTest, DocumentNumbersByTheirType) {
    db->execute("INSERT INTO PARAM VALUES ('044', '6', ?, ''), ('044', '1', ?, ''), "
                "('044', '7', ?, '')",
                {docType(11, '1', '1'), docType(8, '0', '0'), docType(12, '0', '1')});
    struct Case {
        const char* type;
        const char* number;
        bool valid;
    } cases[] = {
        {"6", "20100070970", true},
        {"06", "20100070970", true}, // "06" finds the row "6"
        {"6", "2010007097", false},
        {"6", "2010007097A", false}, // exact length, digits only
        {"1", "ABC1234", true},
        {"1", "ABC12345", true}, // at most 8, letters allowed
        {"1", "ABC123456", false},
        {"1", "AB-1234", false},
        {"7", "AB1234567890", true},
        {"7", "AB123456789", false},
        {"9", "123", false}, // no such type
        {"9", "", false},
        {"", "123", false}, // empty number or type
        {"6", "  20100070970  ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + "/" + c.number);
        EXPECT_EQ(ValidaDocumento(*db, rules, c.type, c.number), c.valid);
    }
}

TEST(Incrementa, StepsWithinSixteenBits) {
    std::int16_t counter = 32000;
    EXPECT_EQ(Incrementa(counter, 767), "32767");
    EXPECT_EQ(counter, 32767);
    EXPECT_THROW(Incrementa(counter, 1), std::overflow_error);
    EXPECT_EQ(counter, 32767);
    std::int16_t low = -32768;
    EXPECT_THROW(Incrementa(low, -1), std::overflow_error);
    EXPECT_EQ(Incrementa(low, 10), "-32758");
}
