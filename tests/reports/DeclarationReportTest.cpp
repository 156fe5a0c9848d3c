#include "common/Cp1252.h"
#include "common/PrintScript.h"
#include "reports/Compose.h"
#include "tools/hub/Sending.h"

#include "tests/reports/Golden.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QFile>

using namespace ret;
using namespace ret::reports;

namespace {

const QString kRuc = "20100070970";

struct Item {
    int x;
    int y;
    QString text;
    bool bold;
    int size;
};

class DeclarationReportTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        test::SampleDeclaration sample(*db);
        id.ruc = kRuc;
        id.period = "201007";
    }

    // Composes the printout and reads it back line by line.
    void compose(const DeclarationId& which) {
        ComposeSettings s;
        s.kind = ReportKind::Declaration;
        s.reportPath = path("00000001.PRN");
        s.id = which;
        s.name = "EMPRESA DE PRUEBA SOCIEDAD ANONIMA CERRADA";
        ASSERT_TRUE(GenerarReporte(*db, s, messages, &pages));
        lines.clear();
        for (QByteArray l : readFile("00000001.PRN").split('\n')) {
            if (l.isEmpty())
                continue;
            ASSERT_TRUE(l.endsWith('\r'));
            l.chop(1);
            lines.push_back(readPrintScriptLine(cp1252::decode(l)));
        }
    }
    // The text item at (x, y) of a page, if any.
    const PsItem* at(int x, int y, int page = 0) const {
        for (const PsLine& l : lines)
            if (const auto* i = std::get_if<PsItem>(&l))
                if (i->kind == PsItem::Kind::Text && i->x == x && i->y == y && i->page == page)
                    return i;
        return nullptr;
    }
    void expectItems(const std::vector<Item>& items, int page = 0) const {
        for (const Item& e : items) {
            SCOPED_TRACE(QString("%1,%2 %3").arg(e.x).arg(e.y).arg(e.text).toStdString());
            const PsItem* i = at(e.x, e.y, page);
            ASSERT_NE(i, nullptr);
            EXPECT_EQ(i->text, e.text);
            EXPECT_EQ(i->bold, e.bold);
            EXPECT_EQ(i->size, e.size);
        }
    }
    bool hasText(const QString& text) const {
        for (const PsLine& l : lines)
            if (const auto* i = std::get_if<PsItem>(&l); i && i->text == text)
                return true;
        return false;
    }
    int breaks() const {
        int n = 0;
        for (const PsLine& l : lines)
            n += std::holds_alternative<PsPageBreak>(l);
        return n;
    }
    // Adds subjects sorted after the sample's two and sets box 501 to the new count.
    void addSubjects(int n) {
        for (int i = 0; i < n; ++i)
            db->execute("INSERT INTO F947RPCAB VALUES (6, ?, '201007', '0947', 'R', 6, ?, NULL, "
                        "'PEREZ', 'DIAZ', 'ANA', 1, '10.00', '0.60', 1, '000000')",
                        {kRuc, QString("3%1").arg(i, 10, 10, QChar('0'))});
        db->execute("UPDATE DET SET i_valor = ? WHERE casilla = '501'", {QString::number(n + 2)});
    }

    DeclarationId id;
    std::vector<PsLine> lines;
    int pages = 0;
};

QString pad(const QString& t, int w) {
    return t.rightJustified(w);
}

TEST_F(DeclarationReportTest, ARegisteredDeclarationPaidInCash) {
    compose(id);
    ASSERT_GE(lines.size(), 4u);
    const auto tag = [&](int i) { return std::get<PsTag>(lines[i]); };
    EXPECT_EQ(tag(0).value, "Courier New");
    EXPECT_EQ(tag(1).name, "nHojas");
    EXPECT_EQ(tag(1).value, "1");
    EXPECT_EQ(tag(2).value, "V");
    EXPECT_EQ(tag(3).value, "&H00FFFFC0&");
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(breaks(), 0);

    // two subjects below the list head: rows at 3050 and 3320, totals at 3590, block at 4190
    const int Y = 4190;
    expectItems({
        {380, 350, "KORVA", true, 16},
        {3500, 1170, kRuc, true, 8},
        {3500, 1450, "EMPRESA DE PRUEBA SOCIEDAD ANONI", true, 8},
        {7740, 1450, "07/2010", true, 8},
        {8750, 700, "Contribuyente (1/1)", false, 9},
        {370, 2240, "RETENCIONES - PROVEEDORES", true, 9},
        {9440, 2540, QString::fromUtf8("RETENCIÓN"), true, 9},
        {300, 3100, "10412345679    ", false, 8},
        {7000, 3100, pad("200.00", 18), false, 8},
        {9070, 3100, pad("12.00", 18), false, 8},
        {300, 3370, "20512345671    ", false, 8},
        {7000, 3370, pad("1,000.60", 18), false, 8},
        {6200, 3640, "TOTAL", false, 8},
        {7000, 3640, pad("1,201", 18), false, 8},
        {9070, 3640, pad("72", 18), false, 8},
        {300, Y + 300, "DETERMINACION DE LA DEUDA TRIBUTARIA", true, 9},
        {8825, Y + 590, "401", false, 8},
        {9220, Y + 590, pad("72", 16), false, 8},
        {9220, Y + 860, pad("", 16), false, 8},
        {270, Y + 1940, "IMPORTE A PAGAR", true, 8},
        {9220, Y + 1940, pad("72", 16), true, 8},
        {8825, Y + 2210, " X ", false, 8}, // does not rectify
        {6600, Y + 2480, " X ", false, 8}, // cash
    });
    EXPECT_FALSE(hasText("NRO. DE CHEQUE"));
    EXPECT_FALSE(hasText("NRO. ORDEN: "));
    EXPECT_FALSE(hasText("NRO. CONTROL: "));
}

TEST_F(DeclarationReportTest, AChequeARectificationAndANegativeBox) {
    db->execute("UPDATE CAB SET efectivo = '', nrocheque = '123456', bcolibrad = '02'");
    db->execute("DELETE FROM DET WHERE casilla = '402'");
    db->execute("INSERT INTO DET VALUES (6, ?, '201007', '0947', '402', 0, '-1500', '', '000000')",
                {kRuc});
    ASSERT_EQ(db->execute("UPDATE DET SET i_valor = '1' WHERE casilla = '871'"), 1);
    compose(id);
    const int Y = 4190;
    expectItems({
        {9220, Y + 860, pad("(1,500)", 17), false, 8},
        {6600, Y + 2210, " X ", false, 8},
        {8825, Y + 2480, " X ", false, 8},
        {9380, Y + 2750, pad("123456", 14), false, 8},
        {8825, Y + 3020, "015", false, 8},
        {9200, Y + 3020, QString::fromUtf8("BANCO DE CRÉDITO "), false, 8},
    });
    EXPECT_EQ(at(6600, Y + 2480), nullptr);
}

TEST_F(DeclarationReportTest, ASentCopyPrintsItsOwnRowsAndNumbers) {
    const hub::SendResult sent = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 10));
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    db->execute("UPDATE HCAB SET norden = '1234567' WHERE correl = ?", {sent.correl});
    // the registered declaration changes after the sending: the copy must not
    db->execute("DELETE FROM F947RPCAB WHERE num_doc_ret = '10412345679'");
    db->execute("UPDATE DET SET i_valor = '99' WHERE casilla = '401'");
    id.sent = true;
    id.correl = sent.correl;
    compose(id);
    expectItems({
        {300, 1720, "NRO. CONTROL: ", false, 8},
        {1800, 1720, pad(sent.control, 8), true, 8},
        {8620, 1720, "NRO. ORDEN: ", false, 8},
        {9800, 1720, pad("1234567", 10), true, 8},
        {300, 3100, "10412345679    ", false, 8},
        {9220, 4190 + 590, pad("72", 16), false, 8},
    });
}

TEST_F(DeclarationReportTest, SubjectsBreakThePageAfterNineteenRows) {
    struct Case {
        int extra;    // subjects added to the sample's two
        int lastPage; // page index of the totals row
        int totalsY;  // y of the totals row's texts
        QString copy; // the copy label of the last page
    } cases[] = {
        {-2, 0, 0, "Contribuyente (1/1)"}, // no subjects: the block alone at 2300
        {17, 1, 2020, "Contribuyente (2/1)"},
        {18, 1, 2290, "Contribuyente (2/2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        if (c.extra < 0) {
            db->execute("UPDATE DET SET i_valor = '0' WHERE casilla = '501'");
        } else {
            db->execute("DELETE FROM F947RPCAB WHERE num_doc_ret LIKE '3%'");
            addSubjects(c.extra);
        }
        compose(id);
        EXPECT_EQ(pages, c.lastPage + 1);
        EXPECT_EQ(breaks(), c.lastPage);
        const PsItem* copy = at(8750, 700, c.lastPage);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->text, c.copy);
        if (c.extra < 0) {
            EXPECT_FALSE(hasText("TOTAL"));
            EXPECT_FALSE(hasText("RETENCIONES - PROVEEDORES"));
            ASSERT_NE(at(270, 2300 + 590), nullptr);
            EXPECT_EQ(at(270, 2300 + 590)->text, "RETENCIONES EFECTUADAS");
            continue;
        }
        // the form header is repeated on the new page, the list head is not
        EXPECT_NE(at(380, 350, 1), nullptr);
        EXPECT_EQ(at(370, 2240, 1), nullptr);
        ASSERT_NE(at(6200, c.totalsY, 1), nullptr);
        EXPECT_EQ(at(6200, c.totalsY, 1)->text, "TOTAL");
        // the 19th subject closes page 0; the block follows the totals on the last page
        EXPECT_NE(at(300, 3100 + 18 * 270, 0), nullptr);
        EXPECT_EQ(at(300, 3100 + 19 * 270, 0), nullptr);
        ASSERT_NE(at(270, c.totalsY - 50 + 600 + 590, 1), nullptr);
        // page indexes never go back, and a break stands between them
        int page = 0;
        for (const PsLine& l : lines) {
            if (std::holds_alternative<PsPageBreak>(l)) {
                ++page;
            } else if (const auto* i = std::get_if<PsItem>(&l)) {
                EXPECT_EQ(i->page, page);
            }
        }
    }
}

// Whole printouts, line by line: the sample paid in cash, by cheque, without subjects, with 19
// and 20 subjects (the page break), and a sent copy with its order and control numbers.
TEST_F(DeclarationReportTest, PrintoutsMatchTheirGoldenFiles) {
    compose(id);
    test::expectGolden("declaracion-efectivo.PRN", readFile("00000001.PRN"));

    db->execute("UPDATE CAB SET efectivo = NULL, nrocheque = '123456', bcolibrad = '02'");
    compose(id);
    test::expectGolden("declaracion-cheque.PRN", readFile("00000001.PRN"));

    for (const int extra : {17, 18}) {
        db->execute("DELETE FROM F947RPCAB WHERE num_doc_ret LIKE '3%'");
        addSubjects(extra);
        compose(id);
        test::expectGolden(QString("declaracion-%1-sujetos.PRN").arg(extra + 2),
                           readFile("00000001.PRN"));
    }

    db->execute("DELETE FROM F947RPCAB");
    db->execute("UPDATE DET SET i_valor = '0' WHERE casilla = '501'");
    compose(id);
    test::expectGolden("declaracion-sin-sujetos.PRN", readFile("00000001.PRN"));
}

TEST_F(DeclarationReportTest, SentCopyMatchesItsGoldenFile) {
    const hub::SendResult sent = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 10));
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    db->execute("UPDATE HCAB SET norden = '1234567', control = '87654321'");
    id.sent = true;
    id.correl = sent.correl;
    compose(id);
    test::expectGolden("declaracion-enviada.PRN", readFile("00000001.PRN"));
}

TEST_F(DeclarationReportTest, ATechnicalErrorIsShownAndLeavesWhatWasWritten) {
    ComposeSettings s;
    s.id = id;
    s.reportPath = path("missing/dir/00000001.PRN");
    EXPECT_FALSE(GenerarReporte(*db, s, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Impresión"));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(messages.shown[0].text,
              QString::fromUtf8("Error Técnico : (76) No se pudo grabar el archivo ") +
                  path("missing/dir/00000001.PRN") + ": No se ha encontrado la ruta de acceso.");

    // a database failure part-way: the tags and the form header stay in the file
    messages.shown.clear();
    db->execute("DROP TABLE F947RPCAB");
    s.reportPath = path("00000002.PRN");
    EXPECT_FALSE(GenerarReporte(*db, s, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QString::fromUtf8("Error Técnico : (")));
    const QByteArray partial = readFile("00000002.PRN");
    EXPECT_TRUE(partial.startsWith("<!font!>Courier New<!/font!>\r\n"));
    EXPECT_TRUE(partial.contains("pPos|380|350|KORVA|True|16|0|\r\n"));
    EXPECT_FALSE(partial.contains("DETERMINACION"));
}

} // namespace
