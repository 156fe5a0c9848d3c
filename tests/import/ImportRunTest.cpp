#include "import/ImportRun.h"

#include "tests/support/SampleEnvironment.h"

#include <QDir>

using namespace ret;
using namespace ret::import;

namespace {

const QString kLine1 = "20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|01|F001|11|"
                       "20/07/2010|700.00|";
const QString kLine2 = "20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|07|F001|12|"
                       "20/07/2010|150.00|";
const QString kPerson = "10412345679||QUISPE|MAMANI|ANA|0001|2|05/07/2010|250.25|01|0001|13|"
                        "01/07/2010|250.25|";
const QString kBad = "20512345671|EMPRESA ANDINA SAC||||E001|3|20/07/2010|0|01|F001|14|"
                     "20/07/2010|10|"; // base 0

class ImportRunTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        session.CurrentRuc = "20100070970";
        session.CurrentPeriod = "201007";
        session.RetentionRate = "0.06";
        session.RetentionKind = "R";
        QDir().mkpath(path("in"));
    }
    void writeImport(const QByteArray& bytes) { writeFile("in/094720100070970201007.TXT", bytes); }
    static QByteArray lines(const QStringList& l) {
        QByteArray b;
        for (const QString& s : l)
            b += s.toLatin1() + "\r\n";
        return b;
    }
    RunResult run() { return Transferencia(session, path("in")); }
    int rows(const char* t) { return count(QString("SELECT count(*) FROM ") + t); }
};

RET_ON_BOTH_ENGINES(ImportRunTest);

} // namespace

TEST_P(ImportRunTest, AcceptedLinesAreStagedAndRejectedOnesRecorded) {
    writeImport(lines({kLine1, kLine2, kPerson, kBad}));
    const RunResult r = run();
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.accepted, 3);
    EXPECT_EQ(r.rejected, 1);
    EXPECT_EQ(rows("TMPF947RPCAB"), 2);
    EXPECT_EQ(rows("TMPF947RPDET"), 2); // two lines share one retention voucher
    EXPECT_EQ(rows("TMPF947RPDETDET"), 3);
    EXPECT_EQ(db->scalar("SELECT mto_imp_rp FROM TMPF947RPDET WHERE num_doc_ret = '20512345671'")
                  ->toString(),
              "60.00");
    EXPECT_EQ(
        db->scalar("SELECT mto_cp_det FROM TMPF947RPDETDET WHERE tip_cp_det = '07'")->toString(),
        "-150");
    EXPECT_EQ(db->scalar("SELECT des_razon FROM TMPF947RPCAB WHERE num_doc_ret = '10412345679'")
                  ->toString(),
              "QUISPE MAMANI ANA");
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Log"), lines({kBad}));
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Err"),
              QString("20512345671 E001 3").leftJustified(25).toLatin1() +
                  " La base imponible no es v\xE1lida\r\n");

    CalcularTot(session);
    EXPECT_EQ(db->scalar("SELECT mto_base_rp FROM TMPF947RPCAB WHERE num_doc_ret = '20512345671'")
                  ->toString(),
              "1000.00");
}

TEST_P(ImportRunTest, ASecondImportRefusesEachPaymentVoucherAndStartsFreshFiles) {
    writeImport(lines({kLine1, kPerson}));
    ASSERT_EQ(run().accepted, 2);
    writeImport(lines({kLine1, kPerson, kLine2}));
    const RunResult r = run();
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(r.rejected, 2);
    EXPECT_EQ(rows("TMPF947RPCAB"), 2);
    EXPECT_EQ(rows("TMPF947RPDET"), 2);
    EXPECT_EQ(rows("TMPF947RPDETDET"), 3);
    const QByteArray errors = readFile("velkar/RPT094720100070970201007.Err");
    EXPECT_EQ(errors.count("El registro ya existe"), 2);
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Log"), lines({kLine1, kPerson}));
}

// A file long enough to be staged in several parts, with a payment voucher repeated within a
// part, one repeated parts later, one repeated in other letters, and lines refused by their
// fields between them: each repeat alone is refused with 0228, the rest is staged, and the log
// keeps the refused lines in the file's order.
TEST_P(ImportRunTest, RepeatsAmongManyLinesAreRefusedAloneAndLoggedInFileOrder) {
    // a new retention voucher every 50 lines, and a second supplier from line 601 on
    const auto line = [](int n, const QString& serie = "F001", const QString& base = "1000") {
        const QString supplier =
            n <= 600 ? "20512345671|EMPRESA ANDINA SAC|||" : "10412345679||QUISPE|MAMANI|ANA";
        return QString("%1|E001|%2|20/07/2010|%3|01|%4|%5|20/07/2010|10.00|")
            .arg(supplier)
            .arg(n / 50 + 1)
            .arg(base, serie)
            .arg(n);
    };
    QStringList file;
    QStringList refused;
    for (int n = 1; n <= 1500; ++n) {
        file << line(n);
        QString extra;
        if (n == 40)
            extra = line(3000, "F001", "0"); // a base of 0
        else if (n == 620)
            extra = line(610); // ten lines back
        else if (n == 700)
            extra = line(700, "f001"); // the same payment voucher in small letters
        else if (n == 1400)
            extra = line(5); // many lines back
        if (!extra.isEmpty()) {
            file << extra;
            refused << extra;
        }
    }
    writeImport(lines(file));
    const RunResult r = run();
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.accepted, 1500);
    EXPECT_EQ(r.rejected, 4);
    EXPECT_EQ(rows("TMPF947RPDETDET"), 1500);
    EXPECT_EQ(rows("TMPF947RPDET"), 31 + 1); // the 13th voucher has lines of both suppliers
    EXPECT_EQ(rows("TMPF947RPCAB"), 2);
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Log"), lines(refused));
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Err").count("El registro ya existe"), 3);
}

// The refused lines cannot be recorded (a directory stands where the log or the error file
// goes): the run fails naming the file, nothing of it is staged, and the other file keeps what
// an earlier run left.
TEST_P(ImportRunTest, ALogThatCannotBeWrittenFailsTheRunAndStagesNothing) {
    writeImport(lines({kLine1, kBad}));
    const QByteArray earlier = "de una corrida anterior\r\n";
    const QString log = "velkar/RPT094720100070970201007.Log";
    const QString err = "velkar/RPT094720100070970201007.Err";
    for (const auto& [blocked, other] : {std::pair{log, err}, std::pair{err, log}}) {
        SCOPED_TRACE(blocked.toStdString());
        writeFile(other, earlier);
        QFile::remove(path(blocked));
        ASSERT_TRUE(QDir().mkpath(path(blocked)));
        const RunResult r = run();
        EXPECT_EQ(r.outcome, Outcome::Failed);
        EXPECT_EQ(r.failure, "75 No se pudo grabar el archivo " + path(blocked) +
                                 ": Error de acceso a la ruta o el archivo.");
        EXPECT_EQ(rows("TMPF947RPCAB") + rows("TMPF947RPDET") + rows("TMPF947RPDETDET"), 0);
        EXPECT_EQ(readFile(other), earlier);
        QDir(path(blocked)).removeRecursively();
    }
    EXPECT_EQ(run().accepted, 1);
}

TEST_P(ImportRunTest, WholeFileRefusalsStageNothing) {
    struct Case {
        QByteArray file;
        Outcome outcome;
    } cases[] = {
        {lines({kLine1, kLine1.left(kLine1.size() - 1)}), Outcome::WrongFieldCount},
        {lines({kLine1, kLine1 + "|"}), Outcome::WrongFieldCount},
        {lines({kLine1, "|" + kLine1.left(kLine1.size() - 1)}), Outcome::Unterminated},
    };
    for (const auto& c : cases) {
        writeImport(c.file);
        EXPECT_EQ(run().outcome, c.outcome);
        EXPECT_EQ(rows("TMPF947RPDETDET"), 0);
    }
    QFile::remove(path("in/094720100070970201007.TXT"));
    EXPECT_EQ(run().outcome, Outcome::FileMissing);
    EXPECT_EQ(Transferencia(session, "").outcome, Outcome::NoDirectory);
}

TEST_P(ImportRunTest, LinesThatAreNotTextAreRejectedWithoutHarm) {
    QByteArray nul = kPerson.toLatin1();
    nul[20] = '\0';
    const QByteArray endless = QByteArray(5000, 'A') + QByteArray(14, '|');
    writeImport(lines({kLine1}) + nul + "\r\n" + endless + "\r\n" + "\x81" + QByteArray(14, '|') +
                "\r\n");
    const RunResult r = run();
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(r.rejected, 3);
    EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Err").count("Otro Error"), 3);
}

TEST_P(ImportRunTest, StoppingPartWayKeepsWholeLinesOnly) {
    writeImport(lines({kLine1, kLine2, kPerson}));
    const RunResult r = Transferencia(session, path("in"), [](int done, int) { return done < 1; });
    EXPECT_EQ(r.outcome, Outcome::Aborted);
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(rows("TMPF947RPCAB"), 1);
    EXPECT_EQ(rows("TMPF947RPDET"), 1);
    EXPECT_EQ(rows("TMPF947RPDETDET"), 1);
}

TEST_P(ImportRunTest, AHostileFileChangesNothingButTheStagingTables) {
    const QString sql = "20512345671|O'HIGGINS\"; DROP TABLE CAB; --||||E001|1|20/07/2010|1000|01|"
                        "F001|11|20/07/2010|1000.00|";
    const QString quotes = "20601112222|' OR '1'='1||||E001|2|20/07/2010|1000|01|F001|12|"
                           "20/07/2010|1000.00|";
    const QString longField = "20456789014|" + QString(300, 'X') +
                              "||||E001|3|20/07/2010|1000|01|"
                              "F001|13|20/07/2010|1000.00|";
    writeImport(lines({sql, quotes, longField}));
    const QStringList tables = db->tableNames();
    const RunResult r = run();
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.accepted + r.rejected, 3);
    EXPECT_EQ(db->tableNames(), tables);
    EXPECT_EQ(db->scalar("SELECT des_razon FROM TMPF947RPCAB WHERE num_doc_ret = '20512345671'")
                  ->toString(),
              "O'HIGGINS\"; DROP TABLE CAB; --");
    EXPECT_EQ(count("SELECT count(*) FROM CONT"), 4); // the integrator's rows untouched
    // a name longer than its column is cut to 40
    EXPECT_EQ(db->scalar("SELECT length(des_razon) FROM TMPF947RPCAB WHERE num_doc_ret = "
                         "'20456789014'")
                  ->toInt(),
              40);
}

namespace {

// A line of subject 20512345671 with retention voucher `number` and base `base`.
QString voucherLine(int number, const QString& base) {
    return QString("20512345671|EMPRESA ANDINA SAC||||E001|%1|20/07/2010|%2|01|F001|%1|"
                   "20/07/2010|%2|")
        .arg(number)
        .arg(base);
}

} // namespace

TEST_P(ImportRunTest, SubjectTotalsKeepEveryDecimalTheAmountsHaveAndFitTheirColumn) {
    struct Case {
        QStringList bases;
        QString base;
        QString retention;
    } cases[] = {
        // the largest base the file may hold, twice: 15 characters with two decimals
        {{"123456789012.34", "123456789012.34"}, "246913578024.68", "14814814681.48"},
        {{"10.5", "0.25"}, "10.75", "0.65"},     // 0.63 + 0.02
        {{"1.125", "2.0001"}, "3.1251", "0.19"}, // a base with more decimals keeps them
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base.toStdString());
        QStringList file;
        for (int i = 0; i < c.bases.size(); ++i)
            file << voucherLine(i + 1, c.bases[i]);
        writeImport(lines(file));
        db->execute("DELETE FROM TMPF947RPCAB");
        db->execute("DELETE FROM TMPF947RPDET");
        db->execute("DELETE FROM TMPF947RPDETDET");
        const RunResult r = run();
        EXPECT_EQ(r.outcome, Outcome::Done) << r.failure.toStdString();
        CalcularTot(session);
        Cursor t = db->query("SELECT mto_base_rp, mto_imp_rp FROM TMPF947RPCAB");
        ASSERT_TRUE(t.next());
        EXPECT_EQ(t.text(0), c.base);
        EXPECT_EQ(t.text(1), c.retention);
    }
}

TEST_P(ImportRunTest, ATotalPastItsColumnFailsTheRunNamingTheSubjectAndStagesNothing) {
    writeImport(lines({kPerson}));
    ASSERT_EQ(run().accepted, 1);
    CalcularTot(session);
    // ten of the largest bases add up to 1234567890123.40, sixteen characters
    QStringList file;
    for (int i = 1; i <= 10; ++i)
        file << voucherLine(i, "123456789012.34");
    writeImport(lines(file));
    const RunResult r = run();
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(r.accepted, 0);
    EXPECT_TRUE(r.failure.contains("20512345671")) << r.failure.toStdString();
    EXPECT_EQ(rows("TMPF947RPCAB"), 1);
    EXPECT_EQ(rows("TMPF947RPDET"), 1);
    EXPECT_EQ(db->scalar("SELECT mto_base_rp FROM TMPF947RPCAB")->toString(), "250.25");
}

TEST_P(ImportRunTest, FilesFromOldSystemsAreReadLineByLine) {
    const QByteArray a = kLine1.toLatin1();
    const QByteArray b = kPerson.toLatin1();
    const QByteArray bad = kBad.toLatin1();
    const QByteArray bom = "\xEF\xBB\xBF";
    const struct {
        const char* what;
        QByteArray file;
    } cases[] = {
        {"CR", a + "\r" + b + "\r" + bad + "\r"},
        {"LF", a + "\n" + b + "\n" + bad},
        {"CRLF and Ctrl-Z", a + "\r\n" + b + "\r\n" + bad + "\r\n\x1A"},
        {"mixed, Ctrl-Z after the last line", a + "\r" + b + "\n" + bad + "\x1A"},
        {"byte-order mark", bom + a + "\r\n" + b + "\r\n" + bad + "\r\n"},
        {"all of them", bom + a + "\r" + b + "\r" + bad + "\r\x1A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db->execute("DELETE FROM TMPF947RPDETDET");
        db->execute("DELETE FROM TMPF947RPDET");
        db->execute("DELETE FROM TMPF947RPCAB");
        writeImport(c.file);
        const RunResult r = run();
        EXPECT_EQ(r.outcome, Outcome::Done);
        EXPECT_EQ(r.accepted, 2);
        EXPECT_EQ(r.rejected, 1);
        // the refused line is logged without its line end, as in any other file
        EXPECT_EQ(readFile("velkar/RPT094720100070970201007.Log"), lines({kBad}));
    }
    // only one Ctrl-Z ends the file; a second one is a line of its own
    writeImport(a + "\r\n\x1A\x1A");
    EXPECT_EQ(run().outcome, Outcome::WrongFieldCount);
    // the mark only at the very start
    writeImport(a + "\r\n" + bom + b + "\r\n");
    db->execute("DELETE FROM TMPF947RPDETDET");
    const RunResult marked = run();
    EXPECT_EQ(marked.accepted, 1);
    EXPECT_EQ(marked.rejected, 1);
}

TEST_P(ImportRunTest, AFileMarkedAsUtf8IsReadAsUtf8) {
    const QString name = QString::fromUtf8("IBÁÑEZ");
    const QString line = "10412345679||" + name +
                         "|MAMANI|ANA|0001|2|05/07/2010|250.25|01|0001|13|"
                         "01/07/2010|250.25|";
    writeImport("\xEF\xBB\xBF" + line.toUtf8() + "\r\n");
    const RunResult r = run();
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(r.rejected, 0);
    EXPECT_EQ(db->scalar("SELECT des_apellido_p FROM TMPF947RPCAB")->toString(), name);
    // without the mark the same bytes are Windows-1252, as every file of the old systems
    db->execute("DELETE FROM TMPF947RPDETDET");
    db->execute("DELETE FROM TMPF947RPDET");
    db->execute("DELETE FROM TMPF947RPCAB");
    writeImport(line.toUtf8() + "\r\n");
    EXPECT_EQ(run().rejected, 1);
    writeImport(line.toLatin1() + "\r\n");
    EXPECT_EQ(run().accepted, 1);
    EXPECT_EQ(db->scalar("SELECT des_apellido_p FROM TMPF947RPCAB")->toString(), name);
}
