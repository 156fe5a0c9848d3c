#pragma once

#include "common/Connection.h"
#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Schema.h"
#include "common/Session.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include "tests/support/Engines.h"
#include "tests/support/FakeWindows.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace ret::test {

// The sample integrator environment under a directory (`root`/velkar, its profile
// `root`/HUB000.INI) with its database on one engine: the file, or a new database of the test
// server, dropped with this object.
class SampleEnvironment {
public:
    explicit SampleEnvironment(Engine engine) : database_(engine) {}

    // Lays it out for `user`: an empty text, or why it could not be.
    QString prepare(const QString& root, const QString& user) {
        root_ = root;
        if (database_.engine() == Engine::Postgres && !database_.create())
            return QStringLiteral("RET_TEST_PG names no test server");
        const QString why = hub::prepareSampleEnvironment(root, user, server());
        config_ = ReadConfiguration(Deliverable::MainProgram, Profile(profilePath()));
        return why;
    }

    QString profilePath() const { return root_ + QStringLiteral("/HUB000.INI"); }
    // The profile's DBServer: the server database's connection string; empty for the file.
    QString server() const {
        return database_.engine() == Engine::Postgres ? database_.location() : QString();
    }
    Engine engine() const { return database_.engine(); }

    // A new connection, as the programs open it: where the configuration laid out says (a test
    // may write another profile afterwards).
    std::unique_ptr<Database> open() const { return OpenConfiguredDatabase(config_); }

    // Takes the database away (the file, or the server's database), and tells whether it is
    // there.
    void removeDatabase() {
        if (engine() == Engine::Postgres)
            database_.drop();
        else
            EXPECT_TRUE(QFile::remove(config_.databasePath));
    }
    bool databaseExists() const {
        return engine() == Engine::Postgres ? database_.existsOnServer()
                                            : QFileInfo::exists(config_.databasePath);
    }

private:
    EngineDatabase database_;
    QString root_;
    Configuration config_;
};

// A scratch directory with the sample environment in it, laid out in SetUp by layOut() on the
// engine engine() names: the file, unless the fixture runs on each engine (OnEachEngine).
class EnvironmentTest : public TempDirTest {
protected:
    virtual Engine engine() const { return Engine::Sqlite; }

    // Lays the environment out for `user`. A server's case without the test server is skipped
    // (or failed, see skipOrFailWithoutTestServer); check ready() before going on.
    void layOut(const QString& user) {
        if (engine() == Engine::Postgres && !testServerThere())
            return skipOrFailWithoutTestServer();
        environment.emplace(engine());
        ASSERT_EQ(environment->prepare(tmp.path(), user), QString());
    }
    bool ready() const { return !IsSkipped() && !HasFatalFailure(); }

    std::unique_ptr<Database> open() const { return environment->open(); }

    std::optional<SampleEnvironment> environment;
};

// A ready integrator environment (sample rows, module tables) in a scratch directory, with a
// session of the main program on it: scripted messages and recorded windows.
class SampleEnvironmentTest : public EnvironmentTest {
protected:
    void SetUp() override {
        layOut(QStringLiteral("CONTADOR"));
        if (!ready())
            return;
        const Profile profile(environment->profilePath());
        ASSERT_EQ(setup::Installer(profile, messages).run(), 0);
        messages.shown.clear();
        session.config = ReadConfiguration(Deliverable::MainProgram, profile);
        db = OpenConfiguredDatabase(session.config);
        // as the main program stages: in tables of its own session
        db->createSessionTables(stagingTables());
        session.db = db.get();
        session.messages = &messages;
        session.rules = &rules;
        session.windows = &windows;
    }

    QStringList texts() const {
        QStringList out;
        for (const auto& m : messages.shown)
            out << m.text;
        return out;
    }
    int count(const QString& sql, const QVariantList& params = {}) {
        return db->scalar(sql, params)->toInt();
    }

    ScriptedMessages messages;
    FakeWindows windows;
    FieldRules rules{messages};
    Session session;
    std::unique_ptr<Database> db;
};

// `Fixture` run once on each engine: instantiate its suite with RET_ON_BOTH_ENGINES. A
// fixture's own SetUp checks ready() after its base's.
template <class Fixture>
class OnEachEngine : public Fixture, public ::testing::WithParamInterface<Engine> {
protected:
    Engine engine() const override { return GetParam(); }
};

} // namespace ret::test
