#pragma once

#include "common/Configuration.h"
#include "common/Database.h"
#include "common/Schema.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace ret::bench {

// A benchmark's world: the hub's sample environment of user "CONTADOR" in a scratch folder,
// with the programs installed in it as the set-up program does, and no one to answer messages.
class BenchEnvironment {
public:
    // False when the environment or the installation fails; `problem()` then says why, where
    // the hub told.
    bool prepare() {
        problem_ = hub::prepareSampleEnvironment(dir_.path(), QStringLiteral("CONTADOR"));
        return problem_.isEmpty() && setup::Installer(profile(), messages).run() == 0;
    }
    const QString& problem() const { return problem_; }

    Profile profile() const { return Profile(dir_.filePath("HUB000.INI")); }
    Configuration configuration() const {
        return ReadConfiguration(Deliverable::MainProgram, profile());
    }
    // The database as the main program opens it: the declaration in hand staged in its own
    // session's tables.
    std::unique_ptr<Database> openDatabase() const {
        auto db = Database::open(dir_.filePath("velkar/HUB000.db"));
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
    QTemporaryDir dir_;
    QString problem_;
    FieldRules rules_{messages};
};

} // namespace ret::bench
