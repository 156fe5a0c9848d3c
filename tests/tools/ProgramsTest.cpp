// The installer and the integrator stand-in run as real programs, headless.
#include "tests/support/FullDisk.h"
#include "tests/support/SampleDeclaration.h"
#include "tests/support/TempDir.h"

#include "common/Database.h"
#include "common/SingleInstance.h"
#include "tests/tools/Declarations.h"
#include "tools/hub/SampleData.h"

#include <QDate>
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <future>
#include <optional>

namespace {

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
    bool crashed = false; // ended by a signal (an uncaught error aborts)
};

// This process takes the single-instance locks where the programs it starts take theirs, for
// as long as it lives.
class RunLocks {
public:
    explicit RunLocks(const QString& runtime) : previous_(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    ~RunLocks() { qputenv("XDG_RUNTIME_DIR", previous_); }
    RunLocks(const RunLocks&) = delete;
    RunLocks& operator=(const RunLocks&) = delete;

private:
    QByteArray previous_;
};

class ProgramsTest : public ret::test::TempDirTest {
protected:
    // The tests run side by side: each has its own directory of single-instance locks, so that
    // another test's copy of a program is not taken for one already running.
    QString runtime() const {
        const QString dir = path("run");
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return dir;
    }

    ProgramRun run(const QString& program, const QStringList& args,
                   const QString& workingDirectory = {}) {
        QProcess p;
        if (!workingDirectory.isEmpty())
            p.setWorkingDirectory(workingDirectory);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RET_HEADLESS", "1");
        env.insert("HUB000_INI", path("HUB000.INI"));
        env.insert("XDG_RUNTIME_DIR", runtime());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(RET_BIN_DIR "/") + program, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError()), p.exitStatus() == QProcess::CrashExit};
    }
    ProgramRun init(const QStringList& extra = {}) {
        return run("hub", QStringList{"init", path("velkar")} + extra);
    }
    void writeProfile(const QByteArray& bytes) { writeFile("HUB000.INI", bytes); }
};

} // namespace

TEST_F(ProgramsTest, HubPreparesAnEnvironmentOnceAndTheInstallerRunsQuietly) {
    const ProgramRun first = init();
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("Environment ready in " + path("velkar")));
    EXPECT_EQ(first.err, QString());
    for (const char* sub : {"0947", "RPT", "TMP/env947.txt", "HUB000.db"})
        EXPECT_TRUE(QFileInfo::exists(path("velkar/") + sub)) << sub;

    const ProgramRun again = init();
    EXPECT_NE(again.code, 0);
    EXPECT_TRUE(again.err.contains("already exists"));
    EXPECT_EQ(init({"--force"}).code, 0);

    const ProgramRun setup = run("retsetup", {});
    EXPECT_EQ(setup.code, 0);
    EXPECT_EQ(setup.err, QString()); // a second installation has nothing to say
}

TEST_F(ProgramsTest, InstallerRefusesAnUnusableProfile) {
    writeProfile("[Other]\r\nSysPath=/x/\r\n");
    ProgramRun r = run("retsetup", {});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "[Mensaje] Debe instalar primero el Velkar \n");

    writeProfile(("[Options]\r\nSysPath=" + tmp.path() + "/\r\nDBName=none.db\r\n").toUtf8());
    r = run("retsetup", {});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("[Error de Conección] No se encuentra el archivo '") +
                         path("none.db") + "'. 3024\n");
    EXPECT_FALSE(QFileInfo::exists(path("none.db")));
}

TEST_F(ProgramsTest, InstallerWaitsOutAnotherProcessesLockThenSucceedsOnceFree) {
    const QString sqlite = QStandardPaths::findExecutable("sqlite3");
    if (sqlite.isEmpty())
        GTEST_SKIP() << "sqlite3 is not installed";
    ASSERT_EQ(init().code, 0);
    QProcess holder;
    holder.start(sqlite, {path("velkar/HUB000.db")});
    ASSERT_TRUE(holder.waitForStarted());
    holder.write("PRAGMA locking_mode=EXCLUSIVE;\nBEGIN EXCLUSIVE;\n"
                 "UPDATE PARAM SET correl_param = correl_param;\nSELECT 'held';\n");
    QByteArray said;
    while (!said.contains("held") && holder.waitForReadyRead(10000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("held")) << said.toStdString();

    const ProgramRun locked = run("retsetup", {});
    EXPECT_EQ(locked.code, 1);
    EXPECT_EQ(locked.err,
              QString::fromUtf8("[Error de Conección] 3051- Base de datos esta bloqueda\n"));

    holder.write("COMMIT;\n.quit\n");
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    const ProgramRun freed = run("retsetup", {});
    EXPECT_EQ(freed.code, 0);
    EXPECT_EQ(freed.err, QString());
}

TEST_F(ProgramsTest, HubSendsAConsistentDeclarationAndRefusesAnInconsistentOne) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration consistent(*db); // 201007
        ret::test::insertDeclaration(*db, "20100070970", "202403");
        // its voucher loses the payment vouchers behind it
        db->execute("DELETE FROM F947RPDETDET WHERE periodo = '202403'");
    }
    const QDate before = QDate::currentDate();
    QString lastReport;
    for (const char* correl : {"001", "002"}) {
        const ProgramRun r = run("hub", {"send", "20100070970", "201007"});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        const auto m =
            QRegularExpression(QStringLiteral("^Enviada 20100070970 201007 correl ") + correl +
                               " control [1-9][0-9]{7}\nResumen: (.*\\.TXT)\n"
                               "Reporte: ([0-9]{8}\\.PRN)\n$")
                .match(r.out);
        ASSERT_TRUE(m.hasMatch()) << r.out.toStdString();
        EXPECT_TRUE(QFileInfo(m.captured(1)).isFile()) << m.captured(1).toStdString();
        // the summary's registered report, which the viewer opens like any other
        EXPECT_NE(m.captured(2), lastReport);
        lastReport = m.captured(2);
        EXPECT_TRUE(readFile("velkar/RPT/" + lastReport).contains("pPos"))
            << lastReport.toStdString();
        EXPECT_TRUE(m.captured(1).startsWith(path("velkar/TMP/0947201007")));
        EXPECT_EQ(r.err, QString());
    }
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    ret::Cursor c = db->query("SELECT fec_env FROM HCAB WHERE correl = '002'");
    ASSERT_TRUE(c.next());
    EXPECT_TRUE(c.date("fec_env") == before || c.date("fec_env") == QDate::currentDate());

    const ProgramRun refused = run("hub", {"send", "20100070970", "202403"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(path("velkar/TMP/062010007097009472024030.ERR")))
        << refused.err.toStdString();
    const ProgramRun missing = run("hub", {"send", "20100070970", "202402"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, QString());
    EXPECT_TRUE(missing.err.contains("202402")) << missing.err.toStdString();
    EXPECT_EQ(run("hub", {"send", "20100070970", "201007", "--hidden"}).code, 2);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM HCAB")->toInt(), 2);
}

TEST_F(ProgramsTest, TheSendCheckLeavesFilesOnlyForAnInconsistentDeclaration) {
    ASSERT_EQ(init().code, 0);
    const QString record =
        "06" + QString("20100070970").leftJustified(15) + "0947" + "201007" + "0";
    const QString base = path("velkar/TMP/062010007097009472010070");

    // nothing stored for the period yet
    ProgramRun r = run("retcheck", {record});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("[Error en la información a enviar] Existen datos "
                                       "inconsistentes en la información a enviar. Revisar el "
                                       "archivo ") +
                         base + ".ERR\n");
    const QList<QByteArray> lines = readFile("velkar/TMP/062010007097009472010070.ERR").split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0].size(), 10 + 80 + 8 + 1); // date, blanks, time, CR
    EXPECT_TRUE(
        lines[1].startsWith(QByteArray(20, ' ') + "Resumen de Inconsistencias en Informaci\xF3n"));
    EXPECT_EQ(lines[2], QByteArray(120, '-') + "\r");
    EXPECT_EQ(lines[3], QByteArray("001) No existe informaci\xF3n de detalle de retenciones por "
                                   "sujetos de retenci\xF3n.\r"));
    EXPECT_TRUE(lines[4].startsWith("002) "));
    EXPECT_EQ(readFile("velkar/TMP/062010007097009472010070.TXT"), QByteArray("0947 ERROR\r\n"));

    // once the declaration is stored whole, no file of it is left, not even the older ones
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
    }
    r = run("retcheck", {record});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, QString());
    EXPECT_FALSE(QFileInfo::exists(base + ".ERR"));
    EXPECT_FALSE(QFileInfo::exists(base + ".TXT"));

    // an unusable record
    r = run("retcheck", {"0620100070970"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.startsWith(QString::fromUtf8("[Presentación Telemática] El registro de la "
                                                   "declaración a enviar no es válido")));
}

// A summary that cannot be written whole (here its copy for the integrator, where a directory
// stands in the way) is a failure of retsumm, and the sending is not made: no "Enviada", nothing
// copied into the history tables.
TEST_F(ProgramsTest, ASendingWhoseSummaryIsNotWrittenWholeIsNotMade) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
    }
    const QString copy = path("velkar/TMP/0947201007000000001.TXT");
    ASSERT_TRUE(QDir().mkpath(copy));
    const ProgramRun r = run("hub", {"send", "20100070970", "201007"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("[Error de Ejecución] Error 75 No se pudo grabar "
                                                 "el archivo ") +
                               copy + ": Error de acceso a la ruta o el archivo."))
        << r.err.toStdString();
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM HCAB")->toInt(), 0);

    // retsumm on its own says so too
    const QString record =
        "06" + QString("20100070970").leftJustified(15) + "0947" + "201007" + "0" + "00000001";
    EXPECT_EQ(run("retsumm", {record}).code, 1);

    ASSERT_TRUE(QDir(copy).removeRecursively());
    const ProgramRun sent = run("hub", {"send", "20100070970", "201007"});
    EXPECT_EQ(sent.code, 0) << sent.err.toStdString();
    EXPECT_TRUE(sent.out.startsWith("Enviada 20100070970 201007 correl 001 "));
    EXPECT_TRUE(QFileInfo(copy).isFile());
}

// The report and temporary directories on a disk that is full: the tools say so and fail, no
// file is left empty or cut, no register row names a file that is not there, and nothing is
// sent.
TEST_F(ProgramsTest, AFullDiskFailsTheSendToolsAndLeavesNoEmptyFile) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
        ret::test::insertDeclaration(*db, "20100070970", "202403");
        db->execute("DELETE FROM F947RPDETDET WHERE periodo = '202403'");
    }
    ret::test::SmallDisk reports(path("velkar/RPT"));
    ret::test::SmallDisk temporary(path("velkar/TMP"));
    if (!reports.mounted() || !temporary.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    ASSERT_TRUE(reports.fill() && temporary.fill());

    const ProgramRun inconsistent = run(
        "retcheck", {"06" + QString("20100070970").leftJustified(15) + "0947" + "202403" + "0"});
    EXPECT_EQ(inconsistent.code, 2);
    EXPECT_TRUE(inconsistent.err.contains(": Disco lleno.")) << inconsistent.err.toStdString();

    const ProgramRun send = run("hub", {"send", "20100070970", "201007"});
    EXPECT_EQ(send.code, 1);
    EXPECT_FALSE(send.out.contains("Enviada"));
    EXPECT_TRUE(send.err.contains(QString::fromUtf8("[Error de Ejecución] Error 61 No se pudo "
                                                    "grabar el archivo ") +
                                  path("velkar/RPT/00000001.PRN") + ": Disco lleno."))
        << send.err.toStdString();
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM HCAB")->toInt(), 0);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM SPOOL")->toInt(), 0);
    for (const QString& dir : {path("velkar/RPT"), path("velkar/TMP")})
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"relleno"}) << dir.toStdString();
}

TEST_F(ProgramsTest, TheSendSummaryRegistersItsReportAndLeavesTheTextForTheIntegrator) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
    }
    const QString record =
        "06" + QString("20100070970").leftJustified(15) + "0947" + "201007" + "0" + "00000042";
    const ProgramRun r = run("retsumm", {record});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, QString());

    const QByteArray report = readFile("velkar/RPT/00000001.PRN");
    EXPECT_TRUE(report.startsWith("<!font!>Courier New<!/font!>\r\n<!nHojas!>1<!/nHojas!>\r\n"));
    EXPECT_TRUE(report.contains("pPos|4000|850|RESUMEN DE ENV\xCDO - FORMULARIO  0947|True|10|0|"));
    const QByteArray text = readFile("velkar/RPT/0947201007000000042.txt");
    EXPECT_TRUE(text.startsWith("DOCUMENTO      : RUC  20100070970\r\n"));
    EXPECT_TRUE(text.contains("IMPORTE A PAGAR: S/. 72\r\n"));
    EXPECT_EQ(readFile("velkar/TMP/0947201007000000042.TXT"), text);
    EXPECT_EQ(readFile("velkar/RPT/0947201007000000042.PRN"), text);
    EXPECT_EQ(readFile("velkar/Trace.txt").count("SELECT * FROM CAB"), 2);
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    EXPECT_EQ(db->scalar("SELECT Archivo FROM SPOOL WHERE CodRep = 'RYP004'")->toString(),
              "00000001.PRN");
}

TEST_F(ProgramsTest, TheBatchImportStagesSavesAndReportsRefusedLines) {
    ASSERT_EQ(init().code, 0);
    QDir().mkpath(path("in"));
    writeFile(
        "in/094720100070970201007.TXT",
        "20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|01|F001|11|20/07/2010|"
        "1000.00|\r\n"
        "10412345679||QUISPE|MAMANI|ANA|0001|2|05/07/2010|250.25|01|0001|13|01/07/2010|"
        "250.25|\r\n"
        "20512345671|EMPRESA ANDINA SAC||||E001|3|20/07/2010|0|01|F001|14|20/07/2010|10|\r\n");
    ProgramRun r = run("retdecl", {"--import", path("in"), "20100070970", "201007", "--save"});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("2 Transferidos\n1 Rechazados\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Reporte de errores: " + path("velkar/RPT/00000001.PRN")));
    EXPECT_TRUE(QFileInfo::exists(path("velkar/RPT/00000001.PRN")));
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM CAB")->toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM F947RPDETDET")->toInt(), 2);
    // box 401 follows the imported retentions: 60.00 + 15.02
    EXPECT_EQ(db->scalar("SELECT i_valor FROM DET WHERE casilla = '401'")->toString(), "75");
    EXPECT_EQ(db->scalar("SELECT i_valor FROM DET WHERE casilla = '500'")->toString(), "01");

    // the same file again: the declaration's stored detail is staged first, every line a duplicate
    r = run("retdecl", {"--import", path("in"), "20100070970", "201007"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains("0 Transferidos\n3 Rechazados\n")) << r.out.toStdString();
}

TEST_F(ProgramsTest, TheBatchCommandsTakePathsFromTheCallersDirectory) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration sample(*db);
    }
    QDir().mkpath(path("caller/in"));
    writeFile("caller/in/094720100070970201007.TXT",
              "20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|01|F001|11|20/07/2010|"
              "1000.00|\r\n");
    ProgramRun r = run("retdecl", {"--import", "in", "20100070970", "201007"}, path("caller"));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("1 Transferidos\n0 Rechazados\n")) << r.out.toStdString();

    r = run("retdecl", {"--print", "20100070970", "201007", "declaracion", "--pdf", "d.pdf"},
            path("caller"));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile("caller/d.pdf").startsWith("%PDF"));
    EXPECT_TRUE(r.out.endsWith("PDF: " + path("caller/d.pdf") + "\n")) << r.out.toStdString();

    // a refusal of the file has the title the import window gives it
    writeFile("caller/in/094720100070970201007.TXT", "20512345671|EMPRESA|\r\n|a|\r\n");
    r = run("retdecl", {"--import", "in", "20100070970", "201007"}, path("caller"));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, QString::fromUtf8("[Importar] El archivo de importación no tiene el número "
                                       "de campos correctos\n"));
    writeFile("caller/in/094720100070970201007.TXT",
              "|20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|01|F001|11|20/07/2010|"
              "1000.00\r\n");
    r = run("retdecl", {"--import", "in", "20100070970", "201007"}, path("caller"));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, QString::fromUtf8("[Error en archivo a cargar] Cada línea del archivo debe "
                                       "terminar con el separador |\n"));
}

TEST_F(ProgramsTest, TheBatchPrintNeedsNoDisplayAndNamesItsReport) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration sample(*db);
    }
    const ProgramRun r =
        run("retdecl", {"--print", "20100070970", "201007", "anexos", "--pdf", path("a.pdf")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "Reporte: " + path("velkar/RPT/00000001.PRN") + "\nPDF: " + path("a.pdf") + "\n");
    EXPECT_TRUE(readFile("a.pdf").startsWith("%PDF"));

    const ProgramRun view = run("retdecl", {"--view"});
    EXPECT_EQ(view.code, 2);
    EXPECT_EQ(view.out, "usage: retdecl --view REPORT\n");
}

namespace {

// `n` import lines of one subject, each a retention voucher of its own with the largest base
// the import accepts.
QByteArray largeBaseLines(int n) {
    QByteArray b;
    for (int i = 1; i <= n; ++i)
        b += "20512345671|EMPRESA ANDINA SAC||||E001|" + QByteArray::number(i) +
             "|20/07/2010|123456789012.34|01|F001|" + QByteArray::number(i) +
             "|20/07/2010|123456789012.34|\r\n";
    return b;
}

const QString kCheckRecord =
    "06" + QString("20100070970").leftJustified(15) + "0947" + "201007" + "0";

} // namespace

TEST_F(ProgramsTest, AmountsAtTheTopOfTheirRangeGoTheWholeRoad) {
    ASSERT_EQ(init().code, 0);
    QDir().mkpath(path("in"));
    writeFile("in/094720100070970201007.TXT", largeBaseLines(2));
    ProgramRun r = run("retdecl", {"--import", path("in"), "20100070970", "201007", "--save"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(r.crashed);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::Cursor c = db->query("SELECT mto_base_rp, mto_imp_rp FROM F947RPCAB");
        ASSERT_TRUE(c.next());
        EXPECT_EQ(c.text(0), "246913578024.68");
        EXPECT_EQ(c.text(1), "14814814681.48"); // two retentions of 7407407340.74
        EXPECT_EQ(db->scalar("SELECT i_valor FROM DET WHERE casilla = '511'")->toString(),
                  "246913578025");
    }
    r = run("retcheck", {kCheckRecord});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    for (const char* kind : {"declaracion", "anexos"}) {
        r = run("retdecl", {"--print", "20100070970", "201007", kind, "--pdf", path("p.pdf")});
        EXPECT_EQ(r.code, 0) << kind << ": " << r.err.toStdString();
        EXPECT_FALSE(r.crashed) << kind;
    }
    r = run("hub", {"send", "20100070970", "201007"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Enviada 20100070970 201007")) << r.out.toStdString();
}

TEST_F(ProgramsTest, ATotalPastItsColumnEndsTheImportWithAMessageAndNothingSaved) {
    ASSERT_EQ(init().code, 0);
    QDir().mkpath(path("in"));
    // ten of them add up to 1234567890123.40: sixteen characters, one more than the column has
    writeFile("in/094720100070970201007.TXT", largeBaseLines(10));
    const ProgramRun r =
        run("retdecl", {"--import", path("in"), "20100070970", "201007", "--save"});
    EXPECT_FALSE(r.crashed);
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains("20512345671")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("overflow")) << r.err.toStdString();
    auto db = ret::Database::open(path("velkar/HUB000.db"));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM CAB")->toInt(), 0);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM TMPF947RPDET")->toInt(), 0);
}

TEST_F(ProgramsTest, AFileThatIsNotTheSharedDatabaseIsRefusedAndLeftAlone) {
    ASSERT_EQ(init().code, 0);
    QFile::remove(path("velkar/HUB000.db"));
    writeFile("velkar/HUB000.db", QByteArray());
    QDir().mkpath(path("in"));
    writeFile("in/094720100070970201007.TXT", largeBaseLines(1));
    const struct {
        const char* program;
        QStringList args;
    } runs[] = {
        {"retcheck", {kCheckRecord}},
        {"retdecl", {"--import", path("in"), "20100070970", "201007"}},
        {"retsumm", {kCheckRecord + "00000042"}},
    };
    for (const auto& c : runs) {
        SCOPED_TRACE(c.program);
        const ProgramRun r = run(c.program, c.args);
        EXPECT_FALSE(r.crashed);
        EXPECT_NE(r.code, 0);
        EXPECT_TRUE(r.err.contains("Formato de base de datos no reconocido"))
            << r.err.toStdString();
        EXPECT_EQ(QFileInfo(path("velkar/HUB000.db")).size(), 0);
    }
}

TEST_F(ProgramsTest, TheSendCheckNeverCallsConsistentADeclarationItCouldNotRead) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
        // the payment vouchers' table is there, but not as this system made it
        db->execute("DROP TABLE F947RPDETDET");
        db->execute("CREATE TABLE F947RPDETDET (otra TEXT)");
    }
    const ProgramRun r = run("retcheck", {kCheckRecord});
    EXPECT_EQ(r.code, 2) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("no such")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("[Error de Ejecución]"))) << r.err.toStdString();
}

// The send tools keep one copy per user and database: a copy held on this environment's
// database refuses the next, one held on another office's database does not.
TEST_F(ProgramsTest, TheSendToolsAreOneCopyPerDatabase) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
    }
    // the locks the programs started by run() take, taken here as well
    const RunLocks locks(runtime());
    {
        ret::SingleInstance elsewhere("retcheck", path("otra/HUB000.db"));
        ASSERT_TRUE(elsewhere.acquire());
        EXPECT_EQ(run("retcheck", {kCheckRecord}).code, 0);

        ret::SingleInstance here("retcheck", path("velkar/HUB000.db"));
        ASSERT_TRUE(here.acquire());
        const ProgramRun refused = run("retcheck", {kCheckRecord});
        EXPECT_EQ(refused.code, 3);
        EXPECT_TRUE(refused.err.contains("La aplicación ya se encuentra en Ejecución"))
            << refused.err.toStdString();
    }
}

TEST_F(ProgramsTest, ASendingWaitsABoundedTimeForASendToolThatAnotherCopyRuns) {
    ASSERT_EQ(init().code, 0);
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::SampleDeclaration declaration(*db);
    }
    // the locks the programs started by run() take, taken here as well
    const RunLocks locks(runtime());
    const auto sent = [&] {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        return db->scalar("SELECT count(*) FROM HCAB")->toInt();
    };
    {
        // another copy of retsumm holds the database past the wait: nothing is sent
        ret::SingleInstance other("retsumm", path("velkar/HUB000.db"));
        ASSERT_TRUE(other.acquire());
        qputenv("HUB_TOOL_WAIT_MS", "400");
        const ProgramRun gaveUp = run("hub", {"send", "20100070970", "201007"});
        qunsetenv("HUB_TOOL_WAIT_MS");
        EXPECT_EQ(gaveUp.code, 1);
        EXPECT_TRUE(gaveUp.err.contains("retsumm did not run, nothing was sent"))
            << gaveUp.err.toStdString();
        EXPECT_EQ(sent(), 0);
    }
    {
        // the other copy ends while the sending waits for it: the sending is made
        auto other = std::make_unique<ret::SingleInstance>("retcheck", path("velkar/HUB000.db"));
        ASSERT_TRUE(other->acquire());
        QProcess hub;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RET_HEADLESS", "1");
        env.insert("HUB000_INI", path("HUB000.INI"));
        hub.setProcessEnvironment(env);
        hub.start(QStringLiteral(RET_BIN_DIR "/hub"), {"send", "20100070970", "201007"});
        ASSERT_TRUE(hub.waitForStarted());
        EXPECT_FALSE(hub.waitForFinished(1000));
        other.reset();
        ASSERT_TRUE(hub.waitForFinished(30000));
        EXPECT_EQ(hub.exitCode(), 0) << hub.readAllStandardError().toStdString();
        EXPECT_EQ(sent(), 1);
    }
}

// Another program holds the write lock longer than the busy timeout: each writer says so in
// Spanish with the error's number, fails, and leaves nothing half-done.
TEST_F(ProgramsTest, AWriterThatWaitsOutTheBusyTimeoutIsToldAndLeavesNothingHalfDone) {
    ASSERT_EQ(init().code, 0);
    // the sample file's five good lines
    const QByteArray sample = ret::hub::sampleImportFile();
    qsizetype end = 0;
    for (int i = 0; i < 5; ++i)
        end = sample.indexOf("\r\n", end) + 2;
    QDir().mkpath(path("in"));
    writeFile("in/" + ret::hub::kSampleImportName, sample.left(end));
    {
        auto db = ret::Database::open(path("velkar/HUB000.db"));
        ret::test::insertDeclaration(*db, "20601112222", "201007"); // for retsumm
    }
    auto holder = ret::Database::open(path("velkar/HUB000.db"));
    std::optional<ret::Transaction> held(std::in_place, *holder);
    holder->execute("UPDATE PARAM SET correl_param = correl_param WHERE numero = '998'");

    // both wait out the busy timeout at once
    auto importing = std::async(std::launch::async, [&] {
        return run("retdecl", {"--import", path("in"), "20100070970", "201007", "--save"});
    });
    const ProgramRun summed = run(
        "retsumm", {"06" + QString("20601112222").leftJustified(15) + "09472010070" + "00000001"});
    const ProgramRun imported = importing.get();
    held.reset();
    EXPECT_TRUE(imported.out.endsWith("5 Transferidos\n0 Rechazados\n"))
        << imported.out.toStdString();

    for (const ProgramRun* r : {&imported, &summed}) {
        EXPECT_NE(r->code, 0);
        EXPECT_TRUE(r->err.contains(QString::fromUtf8("No se pudo actualizar; bloqueado "
                                                      "actualmente.")) &&
                    r->err.contains("3218"))
            << r->err.toStdString();
        EXPECT_FALSE(r->err.contains("locked", Qt::CaseInsensitive)) << r->err.toStdString();
    }
    EXPECT_EQ(holder->scalar("SELECT count(*) FROM CAB WHERE doc_id_d = '20100070970'")->toInt(),
              0);
    EXPECT_EQ(
        holder->scalar("SELECT count(*) FROM F947RPCAB WHERE doc_id_d = '20100070970'")->toInt(),
        0);
    // no register row, and no report file that a row would name; the summary's plain files
    // are steps of their own and are written whole all the same
    EXPECT_EQ(holder->scalar("SELECT count(*) FROM SPOOL")->toInt(), 0);
    EXPECT_EQ(QDir(path("velkar/RPT")).entryList({"????????.PRN"}, QDir::Files), QStringList());
}

TEST_F(ProgramsTest, TheBatchRunsOfTheMainProgramRunBesideTheWindowedOne) {
    ASSERT_EQ(init().code, 0);
    QDir().mkpath(path("in"));
    writeFile("in/" + ret::hub::kSampleImportName, ret::hub::sampleImportFile());
    // the locks the programs started by run() take, taken here as well
    const RunLocks locks(runtime());
    {
        // the windowed program's own lock on this database
        ret::SingleInstance windowed("retdecl", path("velkar/HUB000.db"));
        ASSERT_TRUE(windowed.acquire());
        const ProgramRun r = run("retdecl", {"--import", path("in"), "20100070970", "201007"});
        EXPECT_EQ(r.code, 1) << r.err.toStdString(); // the sample's three refused lines
        EXPECT_TRUE(r.out.contains("5 Transferidos\n3 Rechazados\n")) << r.out.toStdString();
    }
}
