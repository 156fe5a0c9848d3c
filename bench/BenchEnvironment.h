#pragma once

#include "common/Configuration.h"
#include "common/Connection.h"
#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Schema.h"
#include "common/Session.h"
#include "common/TimeZone.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include <QString>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

#include <memory>

namespace ret::bench {

// A benchmark's world: the hub's sample environment of user "CONTADOR" in a scratch folder,
// with the programs installed in it as the set-up program does, and no one to answer messages.
// With RET_BENCH_PG (a libpq connection string to a user that may create databases) the
// database is a new one on that server, dropped at the end.
class BenchEnvironment {
public:
    // the programs read the time zone once; so do the benchmarks
    BenchEnvironment() { readTimeZoneOnce(); }
    BenchEnvironment(const BenchEnvironment&) = delete;
    BenchEnvironment& operator=(const BenchEnvironment&) = delete;
    ~BenchEnvironment() { dropServerDatabase(); }

    // False when the environment or the installation fails; `problem()` then says why, where
    // the hub told.
    bool prepare() {
        try {
            problem_ = hub::prepareSampleEnvironment(dir_.path(), QStringLiteral("CONTADOR"),
                                                     createServerDatabase());
        } catch (const DbError& e) {
            problem_ = e.text();
        }
        if (!problem_.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problem_));
        return problem_.isEmpty() && setup::Installer(profile(), messages).run() == 0;
    }
    // "sqlite" or "postgres": the engine the figures are for
    const char* engine() const { return server_.isEmpty() ? "sqlite" : "postgres"; }
    // The server database's connection string; empty on the file.
    QString serverDatabase() const {
        return server_.isEmpty() ? QString() : server_ + QStringLiteral(" dbname=") + name_;
    }
    const QString& problem() const { return problem_; }

    Profile profile() const { return Profile(dir_.filePath("HUB000.INI")); }
    Configuration configuration() const {
        return ReadConfiguration(Deliverable::MainProgram, profile());
    }
    // The database as the main program opens it: the declaration in hand staged in its own
    // session's tables.
    std::unique_ptr<Database> openDatabase() const {
        auto db = OpenConfiguredDatabase(configuration());
        db->createSessionTables(stagingTables());
        return db;
    }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // The session of the main program on `db`: its configuration, messages and field rules.
    void attach(Session& session, Database& db) {
        session.config = configuration();
        session.db = &db;
        session.messages = &messages;
        session.rules = &rules_;
    }

    HeadlessMessages messages;

private:
    // The connection string of a new database on RET_BENCH_PG's server; empty without one.
    QString createServerDatabase() {
        server_ = qEnvironmentVariable("RET_BENCH_PG");
        if (server_.isEmpty())
            return {};
        name_ = QStringLiteral("ret_bench_") +
                QUuid::createUuid().toString(QUuid::Id128).left(16).toLower();
        Database::openServer(server_)->execute(QStringLiteral("CREATE DATABASE ") + name_);
        return server_ + QStringLiteral(" dbname=") + name_;
    }
    void dropServerDatabase() {
        if (name_.isEmpty())
            return;
        try {
            Database::openServer(server_)->execute(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
        } catch (const DbError&) {
            // left for the server's owner to drop
        }
    }

    QString server_;
    QString name_;
    QTemporaryDir dir_;
    QString problem_;
    FieldRules rules_{messages};
};

} // namespace ret::bench
