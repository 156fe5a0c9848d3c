#include "common/Database.h"

#include "common/Schema.h"

#include "tests/support/DbErrors.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <QtGlobal>

using namespace ret;

namespace {

class DatabaseTest : public test::TempDirTest {
protected:
    void SetUp() override {
        db = Database::create(path("shared.db"));
        for (const char* t : {"PARAM", "F947RPDET", "SPOOL"})
            for (const QString& sql : db->dialect().createTable(tableDef(t)))
                db->execute(sql);
    }
    std::unique_ptr<Database> db;
};

using test::errorNumberOf;

// The error that `f` throws; number 0 when it throws none.
DbError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const DbError& e) {
        return e;
    }
    return DbError(0, QString());
}

// Everything the toolkit writes to its log while alive.
class ToolkitLog {
public:
    ToolkitLog() : previous_(qInstallMessageHandler(&ToolkitLog::record)) { lines().clear(); }
    ~ToolkitLog() { qInstallMessageHandler(previous_); }
    static QStringList& lines() {
        static QStringList l;
        return l;
    }

private:
    static void record(QtMsgType, const QMessageLogContext&, const QString& text) {
        lines() << text;
    }
    QtMessageHandler previous_;
};

} // namespace

TEST_F(DatabaseTest, OpeningFailuresCreateNothing) {
    writeFile("junk.db", QByteArray(4096, 'j'));
    struct Case {
        QString path;
        int number;
    } cases[] = {
        {path("missing.db"), dberr::FileNotFound},
        {QString(), dberr::FileNotFound},
        {tmp.path(), dberr::FileNotFound}, // a directory
        {path("junk.db"), dberr::NotADatabase},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(errorNumberOf([&] { Database::open(c.path); }), c.number);
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing.db")));
    EXPECT_EQ(QFileInfo(path("junk.db")).size(), 4096);
}

TEST_F(DatabaseTest, ADatabaseHeldExclusivelyIsLockedAndFreeAfterwards) {
    db.reset();
    auto holder = Database::open(path("shared.db"));
    holder->execute("PRAGMA locking_mode=EXCLUSIVE");
    holder->execute("BEGIN EXCLUSIVE");
    holder->execute("INSERT INTO PARAM VALUES ('001', 'x', 'y', '')");
    OpenOptions quick;
    quick.busyTimeoutMs = 100;
    EXPECT_EQ(errorNumberOf([&] { Database::open(path("shared.db"), quick); }), dberr::Locked);
    holder.reset();
    EXPECT_NO_THROW(Database::open(path("shared.db"), quick));
}

TEST_F(DatabaseTest, ARowThatFailsToBeReadIsAnErrorNotTheEndOfTheRows) {
    // the middle group's sum is past the range of an amount
    int row = 0;
    for (const auto& [group, value] : {std::pair{"001", "1.50"},
                                       {"002", "900000000000000"},
                                       {"002", "900000000000000"},
                                       {"003", "2.25"}})
        db->execute("INSERT INTO PARAM VALUES (?, ?, ?, '')",
                    {QString(group), QString::number(++row), QString(value)});
    QStringList read;
    const DbError e = errorOf([&] {
        Cursor c = db->query("SELECT numero, " + db->dialect().exactSum("funcion") +
                             " FROM PARAM GROUP BY numero ORDER BY numero");
        while (c.next())
            read << c.text(0);
    });
    EXPECT_EQ(read, QStringList{"001"});
    EXPECT_EQ(e.number(), dberr::NumericOverflow);
    EXPECT_EQ(e.description(), QString::fromUtf8("Desbordamiento numérico."));
}

TEST_F(DatabaseTest, EngineFailuresAreToldInSpanishWithTheOldNumbers) {
    const auto fillTheDisk = [&] {
        const int pages = db->scalar("PRAGMA page_count")->toInt();
        db->execute(QString("PRAGMA max_page_count = %1").arg(pages));
        db->execute("INSERT INTO PARAM VALUES ('001', 'lleno', ?, '')", {QString(250, QChar('x'))});
        for (int i = 0; i < 200; ++i)
            db->execute("INSERT INTO PARAM SELECT '002', argumento || ?, funcion, '' FROM PARAM",
                        {QString::number(i)});
    };
    struct Case {
        const char* what;
        std::function<void()> action;
        int number;
        QString description;
    } cases[] = {
        // the old engine's numbers, as the integrator knows them
        {"disk full", fillTheDisk, 3026, QString::fromUtf8("No hay suficiente espacio en disco.")},
        {"read-only",
         [&] {
             db->execute("PRAGMA query_only = 1");
             db->execute("INSERT INTO PARAM VALUES ('001', 'x', '', '')");
         },
         3027,
         QString::fromUtf8("No se puede actualizar. La base de datos o el objeto es de sólo "
                           "lectura.")},
        {"no table", [&] { db->query("SELECT * FROM NOWHERE"); }, 3078,
         QString::fromUtf8("No se encuentra la tabla o consulta de entrada 'NOWHERE'.")},
        // any other failure of the engine: its code, and no English text
        {"other", [&] { db->query("SELEC 1"); }, 1,
         QString::fromUtf8("Error de la base de datos.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DbError e = errorOf(c.action);
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.description(), c.description);
        db->execute("PRAGMA query_only = 0");
    }
}

TEST_F(DatabaseTest, AFailedRollbackLeavesNoToolkitWarning) {
    const ToolkitLog log;
    try {
        Transaction tx(*db);
        db->execute("COMMIT"); // the transaction ends behind its back: its rollback fails
        throw DbError(1, "x");
    } catch (const DbError&) {
    }
    EXPECT_EQ(ToolkitLog::lines(), QStringList());
    Transaction again(*db); // the connection is usable again
    again.commit();
}
