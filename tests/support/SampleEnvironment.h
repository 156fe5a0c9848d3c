#pragma once

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Schema.h"
#include "common/Session.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include "tests/support/FakeWindows.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

namespace ret::test {

// A ready integrator environment (sample rows, module tables) in a scratch directory, with a
// session of the main program on it: scripted messages and recorded windows.
class SampleEnvironmentTest : public TempDirTest {
protected:
    void SetUp() override {
        ASSERT_EQ(hub::prepareSampleEnvironment(tmp.path(), "CONTADOR"), QString());
        const Profile profile(path("HUB000.INI"));
        ASSERT_EQ(setup::Installer(profile, messages).run(), 0);
        messages.shown.clear();
        session.config = ReadConfiguration(Deliverable::MainProgram, profile);
        db = Database::open(session.config.databasePath);
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

} // namespace ret::test
