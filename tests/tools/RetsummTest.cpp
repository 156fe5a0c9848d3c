#include "common/PrintScript.h"
#include "common/Profile.h"
#include "tools/retsumm/SendSummary.h"
#include "tools/retsumm/Summary.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QBuffer>
#include <QDir>

using namespace ret;
using namespace ret::summary;

namespace {

const QDateTime kNow(QDate(2010, 8, 5), QTime(9, 30, 15));

class RetsummTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        test::SampleDeclaration declaration(*db); // paid in cash, 72
    }
    CommandRecord record(const QString& period = "201007") {
        CommandRecord r;
        r.documentType = "06";
        r.documentNumber = "20100070970";
        r.form = "0947";
        r.period = period;
        r.week = "0";
        r.further = "00000042";
        return r;
    }
    // The report's items as "x,y: text".
    QStringList report(const SummaryData& s) {
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        EstadoReporte state;
        state.nArchivo = &file;
        ImpLinea out(state);
        writeReport(out, s);
        QStringList items;
        for (const QString& line : QString::fromLatin1(file.data()).split("\r\n")) {
            const PsLine l = readPrintScriptLine(line);
            if (const auto* i = std::get_if<PsItem>(&l))
                items << QString("%1,%2: %3").arg(i->x).arg(i->y).arg(i->text);
        }
        return items;
    }
    void setHeader(const QString& assignments) { db->execute("UPDATE CAB SET " + assignments); }
};

RET_ON_BOTH_ENGINES(RetsummTest);

} // namespace

TEST_P(RetsummTest, TheReportOfACashPayment) {
    const auto s = readSummary(*db, record(), kNow);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(
        report(*s),
        QStringList(
            {"300,350: 05/08/2010", "300,600: 09:30:15",
             QString::fromUtf8("4000,850: RESUMEN DE ENVÍO - FORMULARIO  0947"),
             "300,1500: DOCUMENTO       : RUC  20100070970",
             QString::fromUtf8("300,1750: RAZON SOCIAL    : DISTRIBUIDORA ANDINA DEL PERÚ S.A."),
             "300,2000: FORMULARIO      : 0947-Velkar AGENTES DE RETENCION  ",
             "300,2250: PERIODO         : 07/2010", "300,2500: FORMA DE PAGO   : EFECTIVO",
             "300,2750: IMPORTE A PAGAR : S/. 72", "300,3500: RECTIFICATORIA  : NO",
             "300,3750: TRIBUTO           TOTAL DEUDA      MONTO PAGO", "300,4000: Retenciones",
             "2000,4000: 72             ", "3900,4000: 72             ", "300,4500: TOTAL",
             "2000,4500: 72             ", "3900,4500: 72             ",
             QString::fromUtf8("300,4750: NC 00000042  Fec.Generación: 05/08/2010")}));
    EXPECT_EQ(plainLines(*s),
              QStringList({"DOCUMENTO      : RUC  20100070970",
                           QString::fromUtf8("RAZON SOCIAL   : DISTRIBUIDORA ANDINA DEL PERÚ S.A."),
                           "FORMULARIO     : 0947-Velkar AGENTES DE RETENCION",
                           "PERIODO        : 07/2010", "FORMA DE PAGO  : EFECTIVO",
                           "IMPORTE A PAGAR: S/. 72", "RECTIFICATORIA : NO", " ",
                           QString::fromUtf8("NC 00000042  Fec.Generación: 05/08/2010")}));
}

TEST_P(RetsummTest, PaymentLinesAndMissingRows) {
    struct Case {
        const char* change;
        QStringList present;
        QStringList absent;
    } cases[] = {
        {"efectivo = '0', cheque = ''", {"300,2750: IMPORTE A PAGAR : S/. 0"}, {}},
        {"efectivo = '', cheque = '1500', bcolibrad = '02', nrocheque = '000123', rectifica = '1'",
         {"300,2500: FORMA DE PAGO   : CHEQUE", "300,2750: BANCO           : 02 - BCS",
          "300,3000: NUMERO CHEQUE   : 000123", "300,3250: IMPORTE A PAGAR : S/. 1,500",
          "300,3500: RECTIFICATORIA  : SI"},
         {"300,2500: FORMA DE PAGO   : EFECTIVO"}},
        {"efectivo = '', cheque = '15', bcolibrad = '77'",
         {"300,2750: BANCO           : 77 - "},
         {}},
        {"efectivo = NULL, cheque = NULL",
         {"300,2500: FORMA DE PAGO   : EFECTIVO", "300,2750: IMPORTE A PAGAR : S/. "},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        setHeader(c.change);
        const QStringList items = report(*readSummary(*db, record(), kNow));
        for (const QString& p : c.present)
            EXPECT_TRUE(items.contains(p)) << p.toStdString();
        for (const QString& a : c.absent)
            EXPECT_FALSE(items.contains(a)) << a.toStdString();
    }
    db->execute("DELETE FROM DET WHERE casilla = '405'");
    const QStringList items = report(*readSummary(*db, record(), kNow));
    EXPECT_TRUE(items.contains("2000,4000:           "));      // a blank padded to 10
    EXPECT_TRUE(items.contains("2000,4500: 0              ")); // 0 padded to 15
}

TEST_P(RetsummTest, PeriodsAndAMissingDeclaration) {
    EXPECT_FALSE(readSummary(*db, record("201008"), kNow).has_value());
    EXPECT_EQ(queryPeriod("201000"), "2010");
    EXPECT_EQ(queryPeriod("201007"), "201007");
    db->execute("UPDATE CAB SET periodo = '2010'");
    db->execute("UPDATE DET SET periodo = '2010'");
    const auto year = readSummary(*db, record("201000"), kNow);
    ASSERT_TRUE(year.has_value());
    EXPECT_EQ(year->period, "2010");
    EXPECT_EQ(headerQueryText(record("201000")),
              "SELECT * FROM CAB WHERE Tip_doc_d=6 AND Doc_id_d='20100070970'  AND "
              "PERIODO='2010' AND Formulario='0947'");
}

// Each file of the summary that cannot be written whole makes the run a failure with a message
// naming it; the register keeps no row without its file.
TEST_P(RetsummTest, AFileNotWrittenWholeIsAFailure) {
    const QString record =
        "06" + QString("20100070970").leftJustified(15) + "0947" + "201007" + "0" + "00000042";
    const QString cwd = QDir::currentPath();
    const QString reports = QDir(session.config.reportDirectory).absolutePath();
    const struct {
        const char* what;
        QString blocked; // made a directory, so that no file can take its name
        QString named;   // the file the message names
    } cases[] = {
        {"no report directory", QString(), reports + "/00000001.PRN"},
        {"the trace", path("velkar/Trace.txt"), path("velkar/Trace.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        if (c.blocked.isEmpty())
            QDir(reports).removeRecursively();
        else
            ASSERT_TRUE(QFile::remove(c.blocked) && QDir().mkpath(c.blocked));
        EXPECT_EQ(runSendSummary({record}, Profile(path("HUB000.INI")), messages, kNow),
                  NotWritten);
        QDir::setCurrent(cwd);
        bool named = false;
        for (const QString& t : texts())
            named = named || t.contains("No se pudo grabar el archivo " + c.named + ": ");
        EXPECT_TRUE(named) << texts().join(" | ").toStdString();
        if (c.blocked.isEmpty())
            QDir().mkpath(reports);
        else
            QDir(c.blocked).removeRecursively();
    }
    // only the run whose report was written registered it
    EXPECT_EQ(count("SELECT count(*) FROM SPOOL"), 1);
    EXPECT_TRUE(QFileInfo::exists(reports + "/00000001.PRN"));
    EXPECT_EQ(runSendSummary({record}, Profile(path("HUB000.INI")), messages, kNow), Done);
    QDir::setCurrent(cwd);
    EXPECT_EQ(count("SELECT count(*) FROM SPOOL"), 2);
    EXPECT_TRUE(QFileInfo::exists(reports + "/00000002.PRN"));
}
