#pragma once

#include "common/Database.h"

#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

namespace ret::test {

// The engines a storage test runs on: the embedded file, and a PostgreSQL server. The server
// is the one the test command starts, named by RET_TEST_PG (a libpq connection string to a
// user that may create databases); without it the server's cases are skipped, unless
// RET_REQUIRE_PG=1 says that they must run.
enum class Engine { Sqlite, Postgres };

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

// A failed case names its engine.
inline void PrintTo(Engine engine, std::ostream* out) {
    *out << (engine == Engine::Sqlite ? "Sqlite" : "Postgres");
}

inline bool testServerThere() {
    return !qEnvironmentVariable("RET_TEST_PG").isEmpty();
}

// For a server's case without the test server: a failure when RET_REQUIRE_PG=1, else a skip.
inline void skipOrFailWithoutTestServer() {
    if (qEnvironmentVariable("RET_REQUIRE_PG") == QLatin1String("1"))
        FAIL() << "RET_TEST_PG names no test server";
    GTEST_SKIP() << "RET_TEST_PG names no test server";
}

// A new database on the test server (a copy of `templateName`'s when given); its name.
inline QString createServerDatabase(const QString& templateName = {}) {
    const QString name =
        QStringLiteral("ret_") + QUuid::createUuid().toString(QUuid::Id128).left(20).toLower();
    Database::openServer(qEnvironmentVariable("RET_TEST_PG"))
        ->execute(
            QStringLiteral("CREATE DATABASE ") + name +
            (templateName.isEmpty() ? QString() : QStringLiteral(" TEMPLATE ") + templateName));
    return name;
}

// A fresh, empty database on one engine, dropped with this object.
class EngineDatabase {
public:
    explicit EngineDatabase(Engine engine) : engine_(engine) {}
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;
    ~EngineDatabase() { drop(); }

    // Creates the database and returns a connection to it; null when the server's cases
    // cannot run here (no test server).
    std::unique_ptr<Database> create() {
        if (engine_ == Engine::Sqlite) {
            location_ = dir_.filePath(QStringLiteral("shared.db"));
            return Database::create(location_);
        }
        if (!testServerThere())
            return nullptr;
        server_ = qEnvironmentVariable("RET_TEST_PG");
        name_ = createServerDatabase();
        location_ = server_ + QStringLiteral(" dbname=") + name_;
        return Database::openServer(location_);
    }

    // Creates the database and leaves it as its engine made it: no connection of ours has
    // opened it yet. A server's is skipped (or fails) like create()'s without a test server.
    void createUntouched() {
        if (engine_ == Engine::Sqlite) {
            create();
            return;
        }
        if (!testServerThere())
            return;
        server_ = qEnvironmentVariable("RET_TEST_PG");
        name_ = createServerDatabase();
        location_ = server_ + QStringLiteral(" dbname=") + name_;
    }

    // Another connection to the same database, as another program would open it.
    std::unique_ptr<Database> open(const OpenOptions& options = {}) const {
        return engine_ == Engine::Sqlite ? Database::open(location_, options)
                                         : Database::openServer(location_, options);
    }

    Engine engine() const { return engine_; }
    // Where the database is: the file's path, or the server's connection string.
    const QString& location() const { return location_; }

    // Drops the server's database (a file's stays with its directory).
    void drop() {
        if (name_.isEmpty() || dropped_)
            return;
        try {
            Database::openServer(server_)->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 "
                                                                  "WITH (FORCE)")
                                                       .arg(name_));
            dropped_ = true;
        } catch (const DbError&) {
            // a database left behind goes with the test server's directory
        }
    }

    // Whether the server still holds the database.
    bool existsOnServer() const {
        return !name_.isEmpty() && Database::openServer(server_)
                                       ->scalar(QStringLiteral("SELECT 1 FROM pg_database WHERE "
                                                               "datname = ?"),
                                                {name_})
                                       .has_value();
    }

private:
    Engine engine_;
    QTemporaryDir dir_;
    QString location_;
    QString server_;
    QString name_;
    bool dropped_ = false;
};

// A test that runs once on each engine, with an empty database of its own in `db`.
class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        db = engine.create();
        if (!db)
            skipOrFailWithoutTestServer();
    }

    EngineDatabase engine{GetParam()};
    std::unique_ptr<Database> db;
};

#define RET_ON_BOTH_ENGINES(suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, suite,                                                                            \
        ::testing::Values(::ret::test::Engine::Sqlite, ::ret::test::Engine::Postgres),             \
        ::ret::test::engineName)

} // namespace ret::test
