#include "ReportRegister.h"

#include "Database.h"
#include "Schema.h"

#include "../support/TempDir.h"

using namespace ret;

class ReportRegisterTest : public test::TempDirTest {};

TEST_F(ReportRegisterTest, NumbersPerCodeAndFilesOverTheWholeRegister) {
    auto db = Database::create(path("s.db"));
    for (const QString& sql : db->dialect().createTable(tableDef("SPOOL")))
        db->execute(sql);
    const QDateTime now(QDate(2010, 8, 5), QTime(10, 30, 0));
    EXPECT_EQ(RegistrarReporte(*db, "RYP002", 6, " 20100070970 ", "ANA", now), "00000001.PRN");
    // another program of the integrator registered a report of its own
    db->execute("INSERT INTO SPOOL (CodRep, Secuencia, Archivo) VALUES ('OTRO01', '000007', "
                "'00000041.PRN')");
    EXPECT_EQ(RegistrarReporte(*db, "RYP003", 6, "20100070970", "ANA", now), "00000042.PRN");
    EXPECT_EQ(RegistrarReporte(*db, "RYP002", 6, "20100070970", "ANA", now), "00000043.PRN");

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
