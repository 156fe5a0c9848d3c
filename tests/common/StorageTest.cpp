// The storage layer's promises, on the embedded file and on the server alike.
#include "common/Database.h"

#include "common/RowBatch.h"
#include "common/Schema.h"

#include "tests/support/DbErrors.h"
#include "tests/support/Engines.h"

#include <functional>
#include <latch>
#include <thread>

using namespace ret;

namespace {

using test::errorNumberOf;

class StorageTest : public test::EngineTest {
protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        if (!db)
            return;
        for (const QString& sql : db->dialect().engineObjects())
            db->execute(sql);
        for (const char* t : {"PARAM", "F947RPDET", "SPOOL"})
            for (const QString& sql : db->dialect().createTable(tableDef(t)))
                db->execute(sql);
    }
};

RET_ON_BOTH_ENGINES(StorageTest);

} // namespace

TEST_P(StorageTest, ValuesAreBoundNeverInterpreted) {
    const QString nasty = QString::fromUtf8("O'HIGGINS; DROP TABLE PARAM; -- ÑANDÚ \"Ó\"");
    db->execute("INSERT INTO PARAM VALUES (?, ?, ?, ?)", {"001", "1", nasty, QString("")});
    Cursor c = db->query("SELECT funcion, correl_param FROM PARAM WHERE argumento = ?", {"1"});
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text("FUNCION"), nasty); // column names without regard to case
    EXPECT_TRUE(c.value(1).toString().isEmpty());
    EXPECT_FALSE(c.value(1).isNull()); // an empty text stays an empty text
    EXPECT_TRUE(db->tableExists("param"));
    EXPECT_TRUE(db->tableNames().contains("param", Qt::CaseInsensitive));
}

TEST_P(StorageTest, EngineErrorsCarryTheOldNumbers) {
    db->execute("INSERT INTO PARAM VALUES ('001', 'a', '', '')");
    EXPECT_EQ(errorNumberOf([&] { db->execute("INSERT INTO PARAM VALUES ('001', 'A', '', '')"); }),
              dberr::DuplicateKey); // keys compare without regard to case
    EXPECT_EQ(errorNumberOf([&] { db->execute("INSERT INTO PARAM VALUES ('0011', 'b', '', '')"); }),
              dberr::FieldTooSmall);
    EXPECT_EQ(errorNumberOf([&] {
                  db->execute(
                      "INSERT INTO SPOOL (CodRep, Secuencia, Tip_doc_d) VALUES ('R', '1', 300)");
              }),
              dberr::NumericOverflow);
    EXPECT_EQ(errorNumberOf([&] {
                  for (const QString& sql : db->dialect().createTable(tableDef("PARAM")))
                      db->execute(sql);
              }),
              dberr::TableExists);
    EXPECT_EQ(errorNumberOf([&] { db->execute("SELECT * FROM NOWHERE"); }), dberr::TableNotFound);
    // texts compare without regard to case in queries too
    EXPECT_TRUE(db->scalar("SELECT 1 FROM PARAM WHERE argumento = 'A'").has_value());
}

TEST_P(StorageTest, DatesAreReadBackAsDates) {
    const QDate day(2010, 7, 19);
    db->execute("INSERT INTO F947RPDET (tip_doc_d, doc_id_d, periodo, formulario, tip_retencion, "
                "tip_doc_ret, num_doc_ret, num_serie_cp, num_cp, fec_emision_cp) "
                "VALUES (6, '20100070970', '201007', '0947', 'R', 6, '20512345671', '0001', "
                "'00000001', ?)",
                {day});
    Cursor c = db->query("SELECT * FROM F947RPDET");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.date("fec_emision_cp"), day);
    const QVariantList row = typedRow(tableDef("F947RPDET"), c.record());
    EXPECT_EQ(row.at(9).typeId(), QMetaType::QDate);
    EXPECT_EQ(row.at(9).toDate(), day);
    EXPECT_EQ(row.at(0).toInt(), 6);
    // a date compares with a bound date
    EXPECT_TRUE(db->scalar("SELECT 1 FROM F947RPDET WHERE fec_emision_cp BETWEEN ? AND ?",
                           {QDate(2010, 7, 1), QDate(2010, 7, 31)})
                    .has_value());
}

TEST_P(StorageTest, ExactSumOfAmountTexts) {
    const SqlDialect& d = db->dialect();
    EXPECT_TRUE(db->scalar("SELECT " + d.exactSum("funcion") + " FROM PARAM")->isNull());
    for (const char* v : {"0.10", "0.20", "0.70", "", "abc", "12abc", "1234567890123.45"})
        db->execute("INSERT INTO PARAM VALUES ('001', ?, ?, '')", {QString(v) + "k", QString(v)});
    // a double sum of these gives 1234567890136.4500000001 or similar; this one is exact
    EXPECT_EQ(db->scalar("SELECT " + d.exactSum("funcion") + " FROM PARAM")->toString(),
              "1234567890136.45");
    EXPECT_EQ(db->scalar("SELECT " + d.numericValue("'12abc'"))->toInt(), 12);
    EXPECT_EQ(db->scalar("SELECT " + d.numericValue("' -3.5x'"))->toString(), "-3.5");
    EXPECT_EQ(db->scalar("SELECT " + d.numericValue("'abc'"))->toInt(), 0);
}

TEST_P(StorageTest, TransactionRollsBackUnlessCommitted) {
    try {
        Transaction tx(*db);
        db->execute("INSERT INTO PARAM VALUES ('001', 'a', '', '')");
        db->execute("INSERT INTO PARAM VALUES ('001', 'a', '', '')"); // duplicate: throws
        tx.commit();
    } catch (const DbError&) {
    }
    EXPECT_FALSE(db->scalar("SELECT 1 FROM PARAM").has_value());
    {
        Transaction tx(*db);
        db->execute("INSERT INTO PARAM VALUES ('001', 'b', '', '')");
        tx.commit();
    }
    EXPECT_TRUE(db->scalar("SELECT 1 FROM PARAM").has_value());
}

TEST_P(StorageTest, AWriteTransactionWaitsForAnotherWriterAtItsStartWithinTheTimeout) {
    auto other = engine.open();
    std::optional<Transaction> holding(std::in_place, *other);
    other->execute("INSERT INTO PARAM VALUES ('001', 'o', '', '')");
    OpenOptions quick;
    quick.busyTimeoutMs = 100;
    auto mine = engine.open(quick);
    EXPECT_EQ(errorNumberOf([&] { Transaction tx(*mine); }), dberr::RecordLocked);
    EXPECT_FALSE(mine->inTransaction());
    holding->commit();
    Transaction tx(*mine);
    mine->execute("INSERT INTO PARAM VALUES ('001', 'm', '', '')");
    tx.commit();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PARAM")->toInt(), 2);
}

TEST_P(StorageTest, SessionTablesAreSeenByTheirConnectionOnly) {
    for (const QString& sql : db->dialect().createTable(tableDef("TMPF947RPCAB")))
        db->execute(sql);
    auto mine = engine.open();
    auto other = engine.open();
    mine->createSessionTables(stagingTables());
    other->createSessionTables(stagingTables());
    const QString insert = "INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, num_doc_ret) "
                           "VALUES ('R', 6, ?)";
    mine->execute(insert, {"20512345671"});
    other->execute(insert, {"20601112222"});
    EXPECT_EQ(mine->scalar("SELECT num_doc_ret FROM TMPF947RPCAB")->toString(), "20512345671");
    EXPECT_EQ(other->scalar("SELECT num_doc_ret FROM TMPF947RPCAB")->toString(), "20601112222");
    EXPECT_EQ(db->scalar("SELECT count(*) FROM TMPF947RPCAB")->toInt(), 0); // the shared one

    // work on them alone does not wait for a writer of the shared tables
    std::optional<Transaction> holding(std::in_place, *other);
    other->execute("INSERT INTO PARAM VALUES ('001', 'o', '', '')");
    Transaction staging(*mine, Transaction::Writes::SessionTables);
    mine->execute("DELETE FROM TMPF947RPCAB");
    staging.commit();
    EXPECT_FALSE(mine->scalar("SELECT 1 FROM TMPF947RPCAB").has_value());
}

namespace {

class ServerConnectionTest : public test::EngineTest {};

INSTANTIATE_TEST_SUITE_P(Engines, ServerConnectionTest, ::testing::Values(test::Engine::Postgres),
                         test::engineName);

} // namespace

// What the user is told when the server cannot be used: Spanish, with the error's number.
TEST_P(ServerConnectionTest, FailuresAreToldInSpanishWithTheirNumber) {
    const QString server = qEnvironmentVariable("RET_TEST_PG");
    const QString dbname =
        db->scalar("SELECT current_database()")->toString(); // this test's own database
    db->execute("CREATE ROLE sinpermiso LOGIN");
    db->execute("REVOKE CONNECT ON DATABASE " + dbname + " FROM PUBLIC");
    struct Case {
        const char* what;
        QString conninfo;
        int number;
        const char* words;
    } cases[] = {
        {"no server answers", server + " port=1", dberr::ServerUnreachable, "no responde"},
        {"an unknown host", "host=servidor.invalid port=5432 user=velkar dbname=postgres",
         dberr::ServerUnreachable, "no se encuentra en la red"},
        {"a missing database", server + " dbname=no_existe", dberr::ServerDatabaseMissing,
         "No se encuentra la base de datos"},
        {"an unknown user", server + " user=nadie", dberr::BadAccount, "No es un nombre de cuenta"},
        {"no permission", server + " user=sinpermiso dbname=" + dbname, dberr::NoPermission,
         "No tiene los permisos"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Database::openServer(c.conninfo);
            ADD_FAILURE() << "connected";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.words)))
                << e.description().toStdString();
        }
    }
    db->execute("DROP ROLE sinpermiso");
}

// Programs that open a database no program has opened before, at the same moment: the first
// installs what the statements need, and every one of them gets in.
TEST_P(StorageTest, ProgramsOpeningANewDatabaseTogetherAllGetIn) {
    test::EngineDatabase fresh(GetParam());
    fresh.createUntouched();
    constexpr int kPrograms = 6;
    std::vector<int> failures(kPrograms, 0);
    std::latch start(kPrograms);
    std::vector<std::thread> programs;
    for (int i = 0; i < kPrograms; ++i)
        programs.emplace_back([&, i] {
            start.arrive_and_wait();
            try {
                auto mine = fresh.open();
                mine->scalar("SELECT " + mine->dialect().numericValue("'12abc'"));
            } catch (const DbError& e) {
                failures[i] = e.number();
            }
        });
    for (std::thread& p : programs)
        p.join();
    EXPECT_EQ(failures, std::vector<int>(kPrograms, 0));
}

// Rows gathered many to a statement all arrive, in full statements and in the rest; a send that
// fails forgets its rows, so that the next one does not send them again.
TEST_P(StorageTest, RowsGatheredManyToAStatementAllArriveOnce) {
    RowBatch batch(*db, "INSERT INTO PARAM VALUES", "('001', ?, ?, '')");
    for (int i = 0; i < 1234; ++i)
        batch.add({QString::number(i), QString("v%1").arg(i)});
    batch.flush();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PARAM")->toInt(), 1234);
    EXPECT_EQ(db->scalar("SELECT funcion FROM PARAM WHERE argumento = '1233'")->toString(),
              "v1233");

    batch.add({"7", "again"}); // already there
    EXPECT_EQ(errorNumberOf([&] { batch.flush(); }), dberr::DuplicateKey);
    batch.add({"new", "once"});
    batch.flush();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PARAM")->toInt(), 1235);
}

// A read of many rows gives every value as a plain query gives it, on each engine.
TEST_P(StorageTest, ManyRowsReadAsAPlainQueryReadsThem) {
    db->execute("INSERT INTO F947RPDET VALUES (6, '20100070970', '201007', '0947', 'R', 6, ?, "
                "'E001', ?, ?, ?, '0.06', '', '000000')",
                {"10412345679", "00000001", QDate(2010, 7, 5), QString()});
    db->execute("INSERT INTO F947RPDET VALUES (6, '20100070970', '201007', '0947', 'R', 6, ?, "
                "'E001', ?, ?, ?, '0.06', '', '000000')",
                {QString::fromUtf8("ÑANDÚ"), "00000002", QVariant(), "1,000.50"});
    const QString sql = "SELECT tip_doc_d, num_doc_ret, fec_emision_cp, mto_base_rp, mto_imp_rp, "
                        "tip_doc_ret * 1.5 FROM F947RPDET WHERE periodo = ? ORDER BY num_cp";
    Cursor plain = db->query(sql, {"201007"});
    Cursor many = db->queryRows(sql, {"201007"});
    int rows = 0;
    while (plain.next()) {
        ASSERT_TRUE(many.next());
        ++rows;
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(many.value(i).isNull(), plain.value(i).isNull());
            EXPECT_EQ(many.value(i).typeId(), plain.value(i).typeId());
            EXPECT_EQ(many.text(i), plain.text(i));
            EXPECT_EQ(many.value(i).toString(), plain.value(i).toString());
        }
        EXPECT_EQ(many.date(2), plain.date(2));
        EXPECT_EQ(many.date("FEC_EMISION_CP"), plain.date("fec_emision_cp"));
        EXPECT_EQ(many.text("NUM_DOC_RET"), plain.text("num_doc_ret"));
        EXPECT_EQ(many.record().fieldName(1).toLower(), "num_doc_ret");
    }
    EXPECT_FALSE(many.next());
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(errorNumberOf([&] { db->queryRows("SELECT * FROM NOWHERE"); }), dberr::TableNotFound);
}

// Every kind of value a batch carries arrives as a single statement would store it: numbers,
// dates, a null text as null, an empty text as empty; a text too wide is refused as it is.
TEST_P(StorageTest, RowsGatheredManyToAStatementKeepEveryKindOfValue) {
    const TableDef& vouchers = tableDef("F947RPDET");
    const auto row = [](const QString& number, const QString& serie) {
        return QVariantList{
            6,         "20100070970",          "201007",    "0947",  "R",
            6,         "10412345679",          serie,       number,  QDate(2010, 7, 5),
            QString(), QStringLiteral("0.06"), QString(""), "000000"};
    };
    RowBatch batch = RowBatch::insertInto(*db, vouchers);
    for (int i = 0; i < 300; ++i)
        batch.add(row(QString::number(i), "E001"));
    batch.flush();
    Cursor c = db->query("SELECT tip_doc_d, fec_emision_cp, mto_base_rp, por_tasa_cr, mto_imp_rp "
                         "FROM F947RPDET WHERE num_cp = '299'");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.value(0).toInt(), 6);
    EXPECT_EQ(c.date(1), QDate(2010, 7, 5));
    EXPECT_TRUE(c.value(2).isNull());
    EXPECT_EQ(c.text(3), "0.06");
    EXPECT_FALSE(c.value(4).isNull());
    EXPECT_TRUE(c.text(4).isEmpty());
    EXPECT_EQ(db->scalar("SELECT count(*) FROM F947RPDET")->toInt(), 300);

    batch.add(row("x", "E00001"));
    EXPECT_EQ(errorNumberOf([&] { batch.flush(); }), dberr::FieldTooSmall);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM F947RPDET")->toInt(), 300);
}
