// Moving an office's embedded database to a PostgreSQL server.
#include "common/Connection.h"
#include "common/Profile.h"
#include "common/Schema.h"
#include "tools/hub/Sending.h"

#include "tests/support/Engines.h"
#include "tests/support/SampleDeclaration.h"
#include "tests/tools/Declarations.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

namespace {

using ret::test::Engine;

class MoveToServerTest : public ret::test::EngineTest {
protected:
    struct Run {
        int code = -1;
        QString out;
        QString err;
    };

    Run hub(const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RET_HEADLESS", "1");
        env.insert("HUB000_INI", profile());
        env.insert("XDG_RUNTIME_DIR", dir_.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(RET_BIN_DIR "/hub"), args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString profile() const { return dir_.filePath("HUB000.INI"); }
    QString file() const { return dir_.filePath("velkar/HUB000.db"); }
    QString server() const {
        return qEnvironmentVariable("RET_TEST_PG") +
               " dbname=" + db->scalar("SELECT current_database()")->toString();
    }

    // Every table of the system the database holds, its rows written one way, sorted.
    static std::map<QString, QStringList> contents(ret::Database& from) {
        std::map<QString, QStringList> out;
        for (const QString& name : from.tableNames()) {
            const ret::TableDef& t = name.compare("HUBENVIO", Qt::CaseInsensitive) == 0
                                         ? ret::hub::sendingNumbersTable()
                                         : ret::tableDef(name);
            QStringList& rows = out[t.name];
            ret::Cursor c = from.query("SELECT * FROM " + t.name);
            while (c.next()) {
                QStringList fields;
                for (const QVariant& v : ret::typedRow(t, c.record()))
                    fields << ret::canonicalValue(v);
                rows << fields.join('|');
            }
            rows.sort();
        }
        return out;
    }

    QTemporaryDir dir_;
};

INSTANTIATE_TEST_SUITE_P(Engines, MoveToServerTest, ::testing::Values(Engine::Postgres),
                         ret::test::engineName);

} // namespace

TEST_P(MoveToServerTest, EveryTableGoesAcrossWholeAndTheProgramsFollow) {
    ASSERT_EQ(hub({"init", dir_.filePath("velkar"), "--ini", profile()}).code, 0);
    {
        auto f = ret::Database::open(file());
        ret::test::SampleDeclaration declaration(*f);
        ret::test::insertDeclaration(*f, "20100070970", "202403");
    }
    const Run sent = hub({"send", "20100070970", "201007"});
    ASSERT_EQ(sent.code, 0) << sent.err.toStdString();
    std::map<QString, QStringList> before;
    {
        auto f = ret::Database::open(file());
        before = contents(*f);
    }
    ASSERT_FALSE(before.at("HCAB").isEmpty());
    ASSERT_FALSE(before.at("HUBENVIO").isEmpty());

    const Run moved = hub({"move-to-server", server()});
    ASSERT_EQ(moved.code, 0) << moved.err.toStdString();
    EXPECT_TRUE(moved.out.startsWith("Moved " + QString::number(before.size()) + " tables"))
        << moved.out.toStdString();
    EXPECT_EQ(contents(*db), before);
    EXPECT_EQ(ret::Profile(profile()).read("Options", "DBServer"), server());
    // the record of changes came across, and stays one that is only added to
    ASSERT_FALSE(before.at("F947BITACORA").isEmpty());
    EXPECT_THROW(db->execute("DELETE FROM F947BITACORA"), ret::DbError);

    // the programs now work on the server: a second sending takes the next numbers there
    const Run again = hub({"send", "20100070970", "201007"});
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("correl 002")) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains("0947201007000000002.TXT")) << again.out.toStdString();

    EXPECT_EQ(hub({"move-to-server", server()}).code, 1); // the profile names a server already
}

TEST_P(MoveToServerTest, NothingMovesWhenTheFileHoldsATableTheSystemDoesNotKnow) {
    ASSERT_EQ(hub({"init", dir_.filePath("velkar"), "--ini", profile()}).code, 0);
    ret::Database::open(file())->execute("CREATE TABLE EXTRA (x TEXT)");
    const Run refused = hub({"move-to-server", server()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("EXTRA")) << refused.err.toStdString();
    EXPECT_TRUE(db->tableNames().isEmpty());
    EXPECT_TRUE(ret::Profile(profile()).read("Options", "DBServer").isEmpty());
}
