#pragma once

#include "common/Database.h"

#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
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

// A fresh, empty database on one engine, dropped with this object.
class EngineDatabase {
public:
    explicit EngineDatabase(Engine engine) : engine_(engine) {}
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;
    ~EngineDatabase() { drop(); }

    // Creates the database and returns a connection to it; null (with the reason in `why`)
    // when the server's cases cannot run here.
    std::unique_ptr<Database> create(std::string& why) {
        if (engine_ == Engine::Sqlite) {
            location_ = dir_.filePath(QStringLiteral("shared.db"));
            return Database::create(location_);
        }
        const QString server = qEnvironmentVariable("RET_TEST_PG");
        if (server.isEmpty()) {
            why = "RET_TEST_PG names no test server";
            return nullptr;
        }
        name_ =
            QStringLiteral("ret_") + QUuid::createUuid().toString(QUuid::Id128).left(20).toLower();
        auto admin = Database::openServer(server);
        admin->execute(QStringLiteral("CREATE DATABASE ") + name_);
        server_ = server;
        location_ = server + QStringLiteral(" dbname=") + name_;
        return Database::openServer(location_);
    }

    // Another connection to the same database, as another program would open it.
    std::unique_ptr<Database> open(const OpenOptions& options = {}) const {
        return engine_ == Engine::Sqlite ? Database::open(location_, options)
                                         : Database::openServer(location_, options);
    }

    Engine engine() const { return engine_; }

private:
    void drop() {
        if (name_.isEmpty())
            return;
        try {
            Database::openServer(server_)->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 "
                                                                  "WITH (FORCE)")
                                                       .arg(name_));
        } catch (const DbError&) {
            // a database left behind goes with the test server's directory
        }
    }

    Engine engine_;
    QTemporaryDir dir_;
    QString location_;
    QString server_;
    QString name_;
};

// A test that runs once on each engine, with an empty database of its own in `db`.
class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        std::string why;
        db = engine.create(why);
        if (db)
            return;
        if (qEnvironmentVariable("RET_REQUIRE_PG") == QLatin1String("1"))
            FAIL() << "the server's cases must run: " << why;
        GTEST_SKIP() << why;
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
