#include "common/ReportRegister.h"

#include "common/Database.h"
#include "common/Schema.h"

#include "tests/support/FullDisk.h"
#include "tests/support/TempDir.h"

#include <QDir>

using namespace ret;

namespace {

class ReportRegisterTest : public test::TempDirTest {
protected:
    void SetUp() override {
        db = Database::create(path("s.db"));
        for (const QString& sql : db->dialect().createTable(tableDef("SPOOL")))
            db->execute(sql);
        QDir().mkpath(path("RPT"));
    }
    RegisteredReport registrar(const QString& code, const QString& dir = "RPT",
                               const QByteArray& contents = "pNuevaHoja\r\n") {
        return RegistrarReporte(*db, path(dir), {code, 6, " 20100070970 ", "ANA", now}, contents);
    }
    int rows() { return db->scalar("SELECT count(*) FROM SPOOL")->toInt(); }

    std::unique_ptr<Database> db;
    const QDateTime now{QDate(2010, 8, 5), QTime(10, 30, 0)};
};

TEST_F(ReportRegisterTest, NumbersPerCodeAndFilesOverTheWholeRegister) {
    EXPECT_EQ(registrar("RYP002").archivo, "00000001.PRN");
    // another program of the integrator registered a report of its own
    db->execute("INSERT INTO SPOOL (CodRep, Secuencia, Archivo) VALUES ('OTRO01', '000007', "
                "'00000041.PRN')");
    EXPECT_EQ(registrar("RYP003").archivo, "00000042.PRN");
    EXPECT_EQ(registrar("RYP002", "RPT", "el reporte").archivo, "00000043.PRN");
    EXPECT_EQ(readFile("RPT/00000043.PRN"), QByteArray("el reporte"));

    Cursor c = db->query("SELECT Secuencia, Fecha, Usuario, Tip_doc_d, Doc_id_d FROM SPOOL WHERE "
                         "CodRep = 'RYP002' ORDER BY Archivo");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text(0), "000001");
    EXPECT_EQ(dateFromStored(c.value(1)).toDateTime(), now);
    EXPECT_EQ(c.text(2), "ANA");
    EXPECT_EQ(c.value(3).toInt(), 6);
    EXPECT_EQ(c.text(4), "20100070970");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text(0), "000002");
}

// A row names a file that is there, whole; a file that cannot be written leaves no row, and the
// next report takes the number that was not used.
TEST_F(ReportRegisterTest, ARowAndItsFileExistTogetherOrNotAtAll) {
    const RegisteredReport missing = registrar("RYP002", "NORPT");
    EXPECT_TRUE(missing.archivo.isEmpty());
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->number, 76);
    EXPECT_EQ(missing.failure->path, path("NORPT/00000001.PRN"));
    EXPECT_EQ(rows(), 0);

    {
        test::FileSizeLimit limit(100'000); // the register's database stays well below it
        const RegisteredReport big = registrar("RYP002", "RPT", QByteArray(200'000, 'x'));
        ASSERT_TRUE(big.failure);
        EXPECT_TRUE(big.archivo.isEmpty());
    }
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(QDir(path("RPT")).isEmpty());

    EXPECT_EQ(registrar("RYP002").archivo, "00000001.PRN");
    EXPECT_EQ(db->scalar("SELECT Secuencia FROM SPOOL")->toString(), "000001");
    EXPECT_TRUE(QFileInfo::exists(path("RPT/00000001.PRN")));
}

} // namespace
