#include "reports/AnnexReport.h"
#include "common/Cp1252.h"
#include "common/PrintScript.h"
#include "reports/Compose.h"
#include "tools/hub/Sending.h"

#include "tests/reports/Golden.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <set>

using namespace ret;
using namespace ret::reports;

namespace {

const QString kRuc = "20100070970";
const QString kRule = " " + QString(154, '_');

class AnnexReportTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        test::SampleDeclaration sample(*db);
        id.ruc = kRuc;
        id.period = "201007";
    }

    void compose() {
        ComposeSettings s;
        s.kind = ReportKind::Annex;
        s.reportPath = path("annex.PRN");
        s.id = id;
        s.name = "EMPRESA DE PRUEBA SAC";
        s.now = QDateTime(QDate(2010, 8, 9), QTime(14, 5, 6));
        ASSERT_TRUE(GenerarReporte(*db, s, messages, &pages));
        lines.clear();
        for (QByteArray l : readFile("annex.PRN").split('\n')) {
            if (l.isEmpty())
                continue;
            l.chop(1); // CR
            lines.push_back(readPrintScriptLine(cp1252::decode(l)));
        }
    }
    // The flowing texts in file order, a page break as "<break>".
    QStringList texts() const {
        QStringList out;
        for (const PsLine& l : lines) {
            if (std::holds_alternative<PsPageBreak>(l)) {
                out << "<break>";
            } else if (const auto* i = std::get_if<PsItem>(&l)) {
                out << i->text;
            }
        }
        return out;
    }
    // Adds subjects after the sample's, each with one voucher and two payment vouchers.
    void addSubjects(int n) {
        for (int i = 0; i < n; ++i) {
            const QString ruc = QString("3%1").arg(i, 10, 10, QChar('0'));
            db->execute("INSERT INTO F947RPCAB VALUES (6, ?, '201007', '0947', 'R', 6, ?, NULL, "
                        "'PEREZ', 'DIAZ', 'ANA', 1, '10.00', '0.60', 1, '000000')",
                        {kRuc, ruc});
            db->execute("INSERT INTO F947RPDET VALUES (6, ?, '201007', '0947', 'R', 6, ?, 'E001', "
                        "'00000001', '2010-07-05', '10.00', '0.06', '0.60', '000000')",
                        {kRuc, ruc});
            for (const char* n : {"00000001", "00000002"})
                db->execute("INSERT INTO F947RPDETDET VALUES (6, ?, '201007', '0947', ?, 'E001', "
                            "'00000001', '01', 'F001', ?, '2010-07-01', '5.00', '000000')",
                            {kRuc, ruc, QString(n)});
        }
    }

    DeclarationId id;
    std::vector<PsLine> lines;
    int pages = 0;
};

QString voucherPart(const char* serie, const char* number, const char* date, const char* base,
                    const char* retention) {
    return QString("  %1 %2 %3").arg(serie, -4).arg(number, -8).arg(date) +
           QString(base).rightJustified(19) + QString(retention).rightJustified(19);
}

TEST_P(AnnexReportTest, TheSampleDeclarationListedWithItsTotalsAndLegend) {
    compose();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::get<PsTag>(lines[1]).value, "1");
    EXPECT_EQ(std::get<PsTag>(lines[2]).value, "H");
    EXPECT_EQ(pages, 1);
    const QStringList t = texts();
    ASSERT_EQ(t.last(), "<break>");
    EXPECT_EQ(t.count("<break>"), 1);

    // the page header
    ASSERT_GE(t.size(), 20);
    EXPECT_EQ(t.mid(0, 3), QStringList({"", "", ""}));
    EXPECT_TRUE(t[3].startsWith("KORVA"));
    EXPECT_EQ(t[3].mid(145), "F94701  ");
    EXPECT_TRUE(t[3].contains("Velkar 0947 - AGENTES DE RETENCION"));
    EXPECT_TRUE(t[4].startsWith("09/08/2010"));
    EXPECT_TRUE(t[4].contains("REPORTE DE AGENTES DE RETENCION - PERIODO 07/2010"));
    EXPECT_EQ(t[4].mid(146), "Pag:1  ");
    EXPECT_EQ(t[5], "14:05:06  ");
    EXPECT_EQ(t[8], ("  DECLARANTE   : " + kRuc + "  EMPRESA DE PRUEBA SAC").leftJustified(105));
    EXPECT_EQ(t[9], kRule);
    EXPECT_EQ(t[10], "  RETENCIONES - PROVEEDORES");
    EXPECT_EQ(t[16], kRule);

    // the body, subjects in RUC order
    const QString payment = "   01  F001  00000009        ";
    const QStringList body = {
        "  10412345679    ",
        voucherPart("E001", "00000001", "05/07/2010", "200.00", "12.00") + payment + "01/07/2010" +
            "  " + QString("200.00").rightJustified(15),
        kRule,
        "    1 Registros " + QString(10, ' ') + " " + QString("200.00").rightJustified(18) + " " +
            QString("12.00").rightJustified(18),
        kRule,
        "  20512345671  X",
    };
    EXPECT_EQ(t.mid(17, body.size()), body);
    EXPECT_TRUE(t.contains("    2 Registros " + QString(10, ' ') + " " +
                           QString("1,000.60").rightJustified(18) + " " +
                           QString("60.04").rightJustified(18)));

    // the legend closes the report
    const QString shortRule = QString(50, '_') + " ";
    const int legend = t.indexOf(" DOC. QUE DIO ORIGEN A RETENCION");
    ASSERT_GT(legend, 0);
    EXPECT_EQ(t[legend - 2], "");
    EXPECT_EQ(t.mid(legend - 1, 5), QStringList({shortRule, " DOC. QUE DIO ORIGEN A RETENCION",
                                                 shortRule, " TIPO    DESCRIPCION", shortRule}));
    EXPECT_EQ(t[legend + 4], "  01  " + QString("FACTURA").leftJustified(35));
    EXPECT_EQ(t[t.size() - 2], shortRule);
    EXPECT_FALSE(t.join("").contains("Sub-Totales"));
}

TEST_P(AnnexReportTest, PaymentVouchersUnderOneVoucherNegativesAndNullAmounts) {
    const QString subject = "10412345679";
    db->execute("INSERT INTO F947RPDETDET VALUES (6, ?, '201007', '0947', ?, 'E001', '00000001', "
                "'07', 'F001', '00000010', '2010-07-02', '-50.5', '000000')",
                {kRuc, subject});
    db->execute("INSERT INTO F947RPDETDET VALUES (6, ?, '201007', '0947', ?, 'E001', '00000001', "
                "'08', 'F001', '00000011', '2010-07-03', '1234.00', '000000')",
                {kRuc, subject});
    // a voucher without payment vouchers and without amounts
    db->execute("INSERT INTO F947RPDET VALUES (6, ?, '201007', '0947', 'R', 6, ?, 'E002', "
                "'00000003', '2010-07-09', NULL, '0.06', NULL, '000000')",
                {kRuc, subject});
    compose();
    const QStringList t = texts();
    const int first = t.indexOf("  10412345679    ") + 1;
    ASSERT_GT(first, 0);
    EXPECT_TRUE(
        t[first].startsWith(voucherPart("E001", "00000001", "05/07/2010", "200.00", "12.00")));
    EXPECT_EQ(t[first + 1], QString(64, ' ') + "   07  F001  00000010        02/07/2010  " +
                                QString("(50.50)").rightJustified(15));
    EXPECT_EQ(t[first + 2], QString(64, ' ') + "   08  F001  00000011        03/07/2010  " +
                                QString("1,234.00").rightJustified(15));
    EXPECT_EQ(t[first + 3], kRule); // the voucher without payment vouchers writes no line
    EXPECT_EQ(t[first + 4], "    2 Registros " + QString(10, ' ') + " " +
                                QString("200.00").rightJustified(18) + " " +
                                QString("12.00").rightJustified(18));
}

// Rows of no listed subject stay out of the annex, and a subject without vouchers is listed with
// none.
TEST_P(AnnexReportTest, OnlyTheRetentionSubjectsAndTheirOwnRowsAreListed) {
    db->execute("INSERT INTO F947RPCAB VALUES (6, ?, '201007', '0947', 'R', 6, '10000000001', "
                "NULL, 'SOLO', 'SIN', 'COMPROBANTES', 0, '0', '0', 1, '000000')",
                {kRuc});
    // a voucher and a payment voucher of a RUC that is no subject, and a perception voucher of
    // a listed subject
    db->execute("INSERT INTO F947RPDET VALUES (6, ?, '201007', '0947', 'R', 6, '10999999990', "
                "'E009', '00000099', '2010-07-05', '70.00', '0.06', '4.20', '000000')",
                {kRuc});
    db->execute("INSERT INTO F947RPDETDET VALUES (6, ?, '201007', '0947', '10999999990', 'E009', "
                "'00000099', '01', 'F009', '00000099', '2010-07-01', '70.00', '000000')",
                {kRuc});
    db->execute("INSERT INTO F947RPDET VALUES (6, ?, '201007', '0947', 'P', 6, '10412345679', "
                "'E008', '00000088', '2010-07-05', '80.00', '0.06', '4.80', '000000')",
                {kRuc});
    compose();
    const QStringList t = texts();
    const int alone = t.indexOf("  10000000001  SOLO SIN,COMPROBANTES");
    ASSERT_GT(alone, 0);
    EXPECT_EQ(t.mid(alone + 1, 3), QStringList({kRule,
                                                "    0 Registros " + QString(10, ' ') + " " +
                                                    QString(".00").rightJustified(18) + " " +
                                                    QString(".00").rightJustified(18),
                                                kRule}));
    const QString all = t.join("\n");
    for (const char* absent : {"10999999990", "E009", "F009", "E008"})
        EXPECT_FALSE(all.contains(absent)) << absent;
    const int first = t.indexOf("  10412345679    ") + 1;
    ASSERT_GT(first, 0);
    EXPECT_EQ(t[first + 2], "    1 Registros " + QString(10, ' ') + " " +
                                QString("200.00").rightJustified(18) + " " +
                                QString("12.00").rightJustified(18));
}

TEST_P(AnnexReportTest, ALongAnnexBreaksWithTheHeaderRepeated) {
    // each added subject writes six body lines; the counter starts at 10 and a detail line
    // waits for a new page once it is above 50
    addSubjects(8);
    compose();
    const QStringList t = texts();
    EXPECT_EQ(pages, t.count("<break>"));
    EXPECT_EQ(pages, 2);
    // the page index of every item grows by one at each break; y starts again at 175
    int page = 0;
    int lastY = 0;
    for (const PsLine& l : lines) {
        if (std::holds_alternative<PsPageBreak>(l)) {
            ++page;
            lastY = 0;
        } else if (const auto* i = std::get_if<PsItem>(&l)) {
            EXPECT_EQ(i->page, page);
            EXPECT_EQ(i->x, 10);
            EXPECT_EQ(i->y, lastY + 175);
            lastY = i->y;
        }
    }
    const int brk = t.indexOf("<break>");
    // the sample's subjects write 5 + 6 lines, each added one 6: the 6th added subject's line
    // is the last of page 0 (counter 52), its detail lines follow the new page's header
    EXPECT_EQ(t[brk - 1], "  30000000005  PEREZ DIAZ,ANA");
    EXPECT_TRUE(t[brk + 4].startsWith("KORVA"));
    EXPECT_EQ(t[brk + 5].mid(146), "Pag:2  ");
    EXPECT_EQ(t[brk + 9],
              ("  DECLARANTE   : " + kRuc + "  EMPRESA DE PRUEBA SAC").leftJustified(105));
    EXPECT_EQ(t[brk + 17], kRule);
    EXPECT_EQ(t[brk + 18], kRule);
    // a zero integer part shows nothing in this column's pattern
    EXPECT_TRUE(
        t[brk + 19].startsWith(voucherPart("E001", "00000001", "05/07/2010", "10.00", ".60")));
}

TEST_P(AnnexReportTest, AFullLastPageSendsTheLegendToANewPageWithSubTotals) {
    // 10 + 11 + 5 * 6 body lines bring the counter to 51 after the last subject (above 45)
    addSubjects(5);
    compose();
    const QStringList t = texts();
    EXPECT_EQ(pages, 2);
    const int brk = t.indexOf("<break>");
    ASSERT_GT(brk, 0);
    EXPECT_EQ(t[brk + 18], kRule);
    EXPECT_EQ(t[brk + 19], " Sub-Totales:" + QString(49, ' ') + " " +
                               QString("10.00").rightJustified(15) + " " +
                               QString("0.60").rightJustified(15));
    EXPECT_EQ(t[brk + 20], kRule);
    EXPECT_TRUE(t[brk + 24].startsWith("KORVA")); // the header again, then the legend
    EXPECT_EQ(t[brk + 38], "");
    EXPECT_EQ(t[brk + 40], " DOC. QUE DIO ORIGEN A RETENCION");
    // nothing is printed over the sub-totals
    std::set<int> ys;
    for (const PsLine& l : lines) {
        if (const auto* i = std::get_if<PsItem>(&l); i && i->page == 1) {
            EXPECT_TRUE(ys.insert(i->y).second) << i->y;
        }
    }
}

TEST_P(AnnexReportTest, ASentCopyListsItsHistoryRows) {
    const hub::SendResult sent = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 10));
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    db->execute("DELETE FROM F947RPDETDET");
    db->execute("UPDATE F947RPCAB SET des_razon = 'CAMBIADA'");
    id.sent = true;
    id.correl = sent.correl;
    compose();
    const QStringList t = texts();
    EXPECT_TRUE(t.contains("  10412345679    "));
    EXPECT_FALSE(t.contains("  10412345679  CAMBIADA"));
    EXPECT_EQ(t[t.indexOf("  10412345679    ") + 1].mid(64, 12), "   01  F001 ");
}

// Whole annexes, line by line: the sample declaration, one long enough to break its pages, one
// without subjects, and a sent copy.
TEST_P(AnnexReportTest, AnnexesMatchTheirGoldenFiles) {
    compose();
    test::expectGolden("anexo-muestra.PRN", readFile("annex.PRN"));
    const hub::SendResult sent = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 10));
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();

    addSubjects(20);
    compose();
    test::expectGolden("anexo-dos-paginas.PRN", readFile("annex.PRN"));

    db->execute("DELETE FROM F947RPCAB");
    compose();
    test::expectGolden("anexo-sin-sujetos.PRN", readFile("annex.PRN"));

    id.sent = true;
    id.correl = sent.correl;
    compose();
    test::expectGolden("anexo-enviado.PRN", readFile("annex.PRN"));
}

RET_ON_BOTH_ENGINES(AnnexReportTest);

TEST(AnnexFitAmount, SeparatorsGiveWayFromTheLeft) {
    struct Case {
        const char* amount;
        QString fitted;
    } cases[] = {
        {"1234.5", "        1,234.50"},
        {"1234567890.12", " 1234,567,890.12"},     // one too wide: one separator goes
        {"123456789012.34", " 123456789012.34"},   // three too wide: all three go
        {"1234567890123.45", " 1234567890123.45"}, // still too wide: appended whole
        {"-12345678901.5", " -12345678901.50"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitAmount(*Decimal::parse(c.amount)), c.fitted) << c.amount;
}

} // namespace
