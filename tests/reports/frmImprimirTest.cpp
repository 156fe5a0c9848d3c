#include "reports/frmImprimir.h"
#include "common/Cp1252.h"
#include "common/PrintScript.h"
#include "reports/ReportScreens.h"
#include "reports/frmImpxPag.h"
#include "tools/hub/Sending.h"

#include "tests/support/FullDisk.h"
#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QDir>
#include <QFile>

using namespace ret;
using namespace ret::reports;

namespace {

const QString kRuc = "20100070970";

// Records what the print window opens; the range dialog plays a script of ranges.
class RecordingScreens final : public ReportScreens {
public:
    struct Range {
        QString desde;
        QString hasta;
    };
    std::vector<Range> ranges; // typed into the range dialog, one preview each
    QString dialogCaption;
    QString dialogPages;
    QString dialogTag;
    std::vector<std::pair<QString, RangoPaginas>> previews;
    std::vector<QString> prints;

    void chooseRange(frmImpxPag& dialog) override {
        dialogCaption = dialog.caption();
        dialogPages = dialog.txtTotPaginas();
        dialogTag = dialog.tag();
        EXPECT_EQ(dialog.txtPagDesde, "1");
        EXPECT_EQ(dialog.txtPagHasta, "");
        for (const Range& r : ranges) {
            dialog.txtPagDesde = r.desde;
            dialog.txtPagHasta = r.hasta;
            dialog.preliminar();
        }
    }
    void preview(const QString& file, const RangoPaginas& range) override {
        previews.emplace_back(file, range);
    }
    bool print(const QString& file) override {
        prints.push_back(file);
        return true;
    }
};

class frmImprimirTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        test::SampleDeclaration sample(*db);
        session.config.currentUser = "CONTADOR";
    }

    // A further registered declaration, header and boxes only.
    void registerDeclaration(const QString& ruc, const QString& period, const char* rectifica,
                             const char* efectivo = nullptr) {
        db->execute(
            "INSERT INTO CAB (doc_id_d, tip_doc_d, periodo, formulario, estado, "
            "rectifica, efectivo) VALUES (?, 6, ?, '0947', 0, ?, ?)",
            {ruc, period, QString(rectifica), efectivo ? QVariant(QString(efectivo)) : QVariant()});
        db->execute("INSERT INTO DET (doc_id_d, tip_doc_d, periodo, formulario, casilla, "
                    "i_valor) VALUES (?, 6, ?, '0947', '401', '0')",
                    {ruc, period});
    }

    QStringList reportLines(const QString& file) const {
        const QString full = reportFilePath(session.config.reportDirectory, file);
        QFile f(full);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << full.toStdString();
        return cp1252::decode(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }
    int spoolRows() { return count("SELECT COUNT(*) FROM SPOOL"); }

    RecordingScreens screens;
};

TEST_F(frmImprimirTest, RegisteredListGivesEachContributorsLatestPeriodFirst) {
    registerDeclaration(kRuc, "201008", "1");
    registerDeclaration("20512345671", "201001", "0");
    registerDeclaration("20456789014", "201001", "0"); // another user's contributor
    frmImprimir w(session, screens);
    w.load();
    ASSERT_EQ(w.rowCount(), 3);
    EXPECT_EQ(w.displayText(0, frmImprimir::Periodof), "08/2010");
    EXPECT_EQ(w.displayText(0, frmImprimir::Rectifica), "SI");
    EXPECT_EQ(w.displayText(1, frmImprimir::Periodof), "07/2010");
    EXPECT_EQ(w.displayText(2, frmImprimir::Ruc), "20512345671");
    EXPECT_EQ(w.displayText(2, frmImprimir::Rectifica), "NO");
    EXPECT_EQ(w.displayText(0, frmImprimir::Norden), "");
    EXPECT_EQ(w.caption(), "Imprimir ");
    EXPECT_EQ(w.frameCaption(), "Declaraciones registradas");
    EXPECT_EQ(w.helpTopic(), 1016);
    std::vector<int> shown;
    for (int i = 0; i < int(w.columns().size()); ++i)
        if (!w.columns()[size_t(i)].hidden)
            shown.push_back(i);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 3, 4, 10}));

    // the status bar and the hand-over values follow the row
    w.setCurrentRow(1);
    EXPECT_EQ(session.status.ruc, kRuc);
    EXPECT_EQ(session.status.period, "07/2010");
    EXPECT_EQ(session.status.form, "0947");
    EXPECT_EQ(session.CurrentPeriod, "201007");
}

TEST_F(frmImprimirTest, SentListHoldsOnlyCopiesInStateOne) {
    const hub::SendResult first = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 10));
    const hub::SendResult second = hub::sendDeclaration(*db, kRuc, "201007", QDate(2010, 8, 11));
    ASSERT_TRUE(first.ok && second.ok);
    db->execute("UPDATE HCAB SET estado = 1, norden = '777' WHERE correl = ?", {second.correl});
    db->execute("UPDATE HCAB SET estado = 0 WHERE correl = ?", {first.correl});
    session.SentMode = true;
    frmImprimir w(session, screens);
    w.load();
    ASSERT_EQ(w.rowCount(), 1);
    EXPECT_EQ(w.displayText(0, frmImprimir::Correl), second.correl);
    EXPECT_EQ(w.displayText(0, frmImprimir::Norden), "777");
    EXPECT_EQ(w.displayText(0, frmImprimir::FecEnv), "11/08/2010");
    EXPECT_EQ(w.displayText(0, frmImprimir::Control), second.control);
    EXPECT_EQ(w.caption(), "Imprimir");
    EXPECT_EQ(w.frameCaption(), "Declaraciones Enviadas");
    EXPECT_EQ(w.columnWidthTwips(frmImprimir::Nombre), 3300);

    // its printout is the copy's, with the order and control numbers
    w.imprimir();
    ASSERT_EQ(screens.prints.size(), 1u);
    EXPECT_EQ(session.SelectedOrderNumber, "777");
    EXPECT_EQ(session.SelectedCorrel, second.correl);
    EXPECT_TRUE(reportLines(screens.prints[0]).join('\n').contains(second.control));
}

TEST_F(frmImprimirTest, PreviewComposesThenOpensTheRangeDialogAndComesBackToItsRow) {
    registerDeclaration("20512345671", "201001", "0");
    frmImprimir w(session, screens);
    w.load();
    w.setCurrentRow(1);
    screens.ranges = {{"1", "50"}};
    w.preliminar();
    EXPECT_EQ(session.OperationMode, 2);
    EXPECT_EQ(screens.dialogTag, "00000001.PRN");
    EXPECT_EQ(screens.dialogCaption, "Impresión de 1 páginas");
    EXPECT_EQ(screens.dialogPages, "1");
    ASSERT_EQ(screens.previews.size(), 1u);
    EXPECT_EQ(screens.previews[0].first, "00000001.PRN");
    EXPECT_TRUE(screens.previews[0].second.bRango);
    EXPECT_EQ(screens.previews[0].second.nHasta, 50);
    EXPECT_EQ(w.currentRow(), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL WHERE CodRep = 'RYP002' AND Doc_id_d = ?",
                    {QString("20512345671")}),
              1);
    EXPECT_TRUE(reportLines("00000001.PRN").join('\n').contains("20512345671"));

    // every start registers and composes a new file
    w.imprimir();
    ASSERT_EQ(screens.prints.size(), 1u);
    EXPECT_EQ(screens.prints[0], "00000002.PRN");
}

TEST_F(frmImprimirTest, TheRangeDialogOffersThePagesTheCompositionWrote) {
    // 20 subjects: the printout's totals go to page index 1
    for (int i = 0; i < 18; ++i)
        db->execute("INSERT INTO F947RPCAB VALUES (6, ?, '201007', '0947', 'R', 6, ?, NULL, "
                    "'PEREZ', 'DIAZ', 'ANA', 1, '10.00', '0.60', 1, '000000')",
                    {kRuc, QString("3%1").arg(i, 10, 10, QChar('0'))});
    frmImprimir w(session, screens);
    w.load();
    w.preliminar();
    EXPECT_EQ(screens.dialogCaption, "Impresión de 2 páginas");
    EXPECT_EQ(screens.dialogPages, "2");
    const auto pagesIn = [&](const QString& file) {
        ReportDocument doc;
        EXPECT_TRUE(doc.open(reportFilePath(session.config.reportDirectory, file)));
        return QString::number(doc.pageCount());
    };
    EXPECT_EQ(pagesIn(screens.dialogTag), "2");

    // the annex ends with a page break: its page counter is the count
    w.setOption(frmImprimir::Anexos);
    w.preliminar();
    EXPECT_EQ(screens.dialogPages, "3");
    EXPECT_EQ(pagesIn(screens.dialogTag), "3");
}

TEST_F(frmImprimirTest, AnnexIsRefusedOnlyWithoutBox501) {
    frmImprimir w(session, screens);
    w.load();
    w.setOption(frmImprimir::Anexos);
    EXPECT_EQ(w.reportCode(), "RYP003");

    db->execute("UPDATE DET SET i_valor = '0' WHERE casilla = '501'");
    EXPECT_TRUE(w.imprimir());
    EXPECT_EQ(spoolRows(), 1);

    db->execute("DELETE FROM DET WHERE casilla = '501'");
    messages.shown.clear();
    EXPECT_FALSE(w.imprimir());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kNoAnnex);
    EXPECT_EQ(messages.shown[0].title, "Anexos");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(spoolRows(), 1);
    EXPECT_EQ(screens.prints.size(), 1u);
}

TEST_F(frmImprimirTest, PaymentDataAreReadAfreshForEveryReport) {
    registerDeclaration(kRuc, "201008", "0", "1"); // paid in cash, listed first
    frmImprimir w(session, screens);
    w.load();
    const auto cashMark = [&](const QString& file) {
        for (const QString& l : reportLines(file)) {
            const PsLine line = readPrintScriptLine(l);
            const auto* i = std::get_if<PsItem>(&line);
            if (i && i->x == 6600 && i->text == " X ")
                return true;
        }
        return false;
    };
    db->execute("UPDATE CAB SET efectivo = NULL WHERE periodo = '201007'");
    w.imprimir();
    w.setCurrentRow(1);
    w.imprimir();
    ASSERT_EQ(screens.prints.size(), 2u);
    EXPECT_TRUE(cashMark(screens.prints[0]));
    EXPECT_FALSE(cashMark(screens.prints[1]));
}

// The report's file cannot be written (no report directory; a file that cannot grow): the
// message names the file and why, nothing is registered, nothing is printed, and the next
// report takes the number that was not used.
TEST_F(frmImprimirTest, AReportThatCannotBeWrittenRegistersNothing) {
    frmImprimir w(session, screens);
    w.load();
    const QString reports = session.config.reportDirectory;
    const QString renamed = reports + ".fuera";
    ASSERT_TRUE(QDir().rename(reports, renamed));
    EXPECT_FALSE(w.imprimir());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Impresión"));
    EXPECT_EQ(messages.shown[0].text,
              QString::fromUtf8("Error Técnico : (76) No se pudo grabar el archivo ") +
                  reportFilePath(reports, "00000001.PRN") +
                  ": No se ha encontrado la ruta de acceso.");
    EXPECT_TRUE(w.lastReport().isEmpty());
    ASSERT_TRUE(QDir().rename(renamed, reports));
    {
        test::FileSizeLimit limit(2000); // the printout is larger; the database is not written
        messages.shown.clear();
        EXPECT_FALSE(w.imprimir());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.contains("00000001.PRN"))
            << messages.shown[0].text.toStdString();
    }
    EXPECT_EQ(spoolRows(), 0);
    EXPECT_TRUE(screens.prints.empty());
    EXPECT_TRUE(QDir(reports).entryList(QDir::Files).isEmpty());

    EXPECT_TRUE(w.imprimir());
    EXPECT_EQ(w.lastReport(), "00000001.PRN");
    EXPECT_EQ(spoolRows(), 1);
}

TEST_F(frmImprimirTest, AnEmptyListDisablesTheGridAndTheButtonsDoNothing) {
    session.config.currentUser = "NADIE";
    frmImprimir w(session, screens);
    w.load();
    EXPECT_FALSE(w.gridEnabled());
    w.preliminar();
    EXPECT_FALSE(w.imprimir());
    EXPECT_EQ(spoolRows(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

// The range dialog on a three-page report.
struct RangeCase {
    const char* desde;
    const char* hasta;
    const char* message; // nullptr: the viewer opens
    int nDesde = 0;
    int nHasta = 0;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << '"' << c.desde << "\" to \"" << c.hasta << '"';
}

class RangeDialogTest : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeDialogTest, ChecksRunInOrder) {
    const RangeCase& c = GetParam();
    test::ScriptedMessages messages;
    RecordingScreens screens;
    frmImpxPag dialog(screens, messages);
    dialog.load("00000007.PRN", 3);
    dialog.txtPagDesde = c.desde;
    dialog.txtPagHasta = c.hasta;
    EXPECT_EQ(dialog.preliminar(), c.message == nullptr);
    if (c.message) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(messages.shown[0].title, "Impresión de 3 páginas");
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(screens.previews.empty());
        return;
    }
    ASSERT_EQ(screens.previews.size(), 1u);
    EXPECT_EQ(screens.previews[0].first, "00000007.PRN");
    EXPECT_EQ(screens.previews[0].second.nDesde, c.nDesde);
    EXPECT_EQ(screens.previews[0].second.nHasta, c.nHasta);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeDialogTest,
    testing::Values(RangeCase{"  ", "2", "Ingrese página de inicio."},
                    RangeCase{"0", "2", "Página inicial debe ser a partir de 1."},
                    RangeCase{"...", "2", "Página inicial debe ser a partir de 1."},
                    RangeCase{"4", "",
                              "Página inicial no debe ser mayor a total de páginas del "
                              "reporte."},
                    RangeCase{"1", " ", "Ingrese página de Fin."},
                    RangeCase{"2", "1", "Página de Inicio debe ser mayor a página de Fin."},
                    RangeCase{"1", "50", nullptr, 1, 50}, RangeCase{"2", "3", nullptr, 2, 3},
                    RangeCase{"2.5", "3.5", nullptr, 2, 4},     // halves to the even page
                    RangeCase{"1 . 5", "2.9.9", nullptr, 2, 3}, // a second point ends it
                    RangeCase{"1", "1 2", nullptr, 1, 12},      // blanks between digits skipped
                    RangeCase{"1", "99999999999", nullptr, 1, 32767}));

TEST(RangeDialog, KeepsItsValuesForAnotherRangeAndTakesOnlyItsKeys) {
    test::ScriptedMessages messages;
    RecordingScreens screens;
    frmImpxPag dialog(screens, messages);
    dialog.load("00000001.PRN", 5);
    EXPECT_EQ(dialog.caption(), "Impresión de 5 páginas");
    const QStringList text = dialog.text1().split("\r\n");
    ASSERT_EQ(text.size(), 7); // six lines, the last ended too
    EXPECT_EQ(text[0], "El reporte generado contiene" + QString(18, ' ') + "páginas. ");
    EXPECT_EQ(text[3], "ocasionar la caida del programa debido a la saturación de ");
    EXPECT_EQ(text[6], "");

    dialog.txtPagHasta = "3";
    EXPECT_TRUE(dialog.preliminar());
    dialog.txtPagDesde = "4";
    dialog.txtPagHasta = "5";
    EXPECT_TRUE(dialog.preliminar());
    ASSERT_EQ(screens.previews.size(), 2u);
    EXPECT_EQ(screens.previews[1].second.nDesde, 4);

    for (const QChar k : QStringLiteral("0123456789. \b"))
        EXPECT_TRUE(frmImpxPag::acceptsKey(k)) << int(k.unicode());
    for (const QChar k : QStringLiteral("a-,+\t"))
        EXPECT_FALSE(frmImpxPag::acceptsKey(k)) << int(k.unicode());
}

} // namespace
