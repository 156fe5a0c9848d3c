// Several programs saving the same declaration at once: batch imports with --save started
// together, and a declaration window of this process saving while they run. After each round,
// every program that said it saved has its lines (or its box) in the stored declaration, every
// other one said that another program's change stopped it, and the record has one entry per
// save that committed.
#include "tests/stress/StressPrograms.h"
#include "tests/support/Engines.h"
#include "tests/support/FakeWindows.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include "common/ChangeRecord.h"
#include "common/Connection.h"
#include "common/FieldRules.h"
#include "common/Session.h"
#include "declaration/Frm947.h"

#include <iostream>

namespace ret::test {
namespace {

const QString kRuc = QStringLiteral("20100070970");
const QString kPeriod = QStringLiteral("201009");
const QStringList kDirs = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
constexpr int kLines = 3000; // as many as an office's monthly file
constexpr int kConflictExit = 3;

// The voucher numbers of directory i's file.
int firstLine(int i) {
    return 10000 * (i + 1) + 1;
}

class SharedDeclarationStress : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        if (!ready())
            return;
        // the declaration is registered before the round: every save of the round changes it
        writeBytes(importFile(template_, "first", kRuc, kPeriod), importLines(kPeriod, 1, 20));
        const ProgramRun first =
            run(template_, {"retdecl", {"--import", "first", kRuc, kPeriod, "--save"}});
        ASSERT_EQ(first.code, 0) << first.err.toStdString();
        for (int i = 0; i < kDirs.size(); ++i)
            writeBytes(importFile(template_, kDirs[i], kRuc, kPeriod),
                       importLines(kPeriod, firstLine(i), kLines));
    }
};

// The declaration window of this process on the round's declaration.
struct Window {
    ScriptedMessages messages;
    FakeWindows windows;
    FieldRules rules{messages};
    Session session;
    std::unique_ptr<Database> db;
    std::unique_ptr<Frm947> frm;

    explicit Window(const StressEnvironment& env) {
        const Profile profile(env.profile());
        session.config = ReadConfiguration(Deliverable::MainProgram, profile);
        db = OpenSharedDatabase(Deliverable::MainProgram, session.config, profile, messages);
        if (!db)
            return;
        session.db = db.get();
        session.messages = &messages;
        session.rules = &rules;
        session.windows = &windows;
        session.OperationMode = 1;
        session.listRow = {kRuc, QString(), kPeriod.mid(4, 2) + kPeriod.left(4)};
        frm = std::make_unique<Frm947>(session);
        frm->load();
    }
};

int storedLines(Database& db, int first) {
    return db
        .scalar(QStringLiteral("SELECT count(*) FROM F947RPDETDET WHERE doc_id_d = ? AND "
                               "periodo = ? AND CAST(num_cp AS INTEGER) BETWEEN ? AND ?"),
                {kRuc, kPeriod, first, first + kLines - 1})
        ->toInt();
}

INSTANTIATE_TEST_SUITE_P(Engines, SharedDeclarationStress,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), engineName);

TEST_P(SharedDeclarationStress, EverySaveOfOneDeclarationIsKeptOrToldItWasNot) {
    if (!ready())
        return;
    RoundBudget budget(3);
    int saved = 0;
    int refused = 0;
    int lost = 0;
    int wrongRounds = 0;
    while (budget.another()) {
        const StressEnvironment env =
            copyEnvironment(template_, path(QStringLiteral("round%1").arg(budget.rounds())));
        const size_t entriesBefore =
            declarationHistory(*env.openDatabase(), kRuc, kPeriod, "0947").size();
        Window window(env);
        ASSERT_NE(window.frm, nullptr) << window.messages.shown.size();
        const QString box = QString::number(budget.rounds() + 1);
        window.frm->setBox(404, box);

        std::vector<std::unique_ptr<StartedProgram>> started;
        for (const QString& dir : kDirs)
            started.push_back(std::make_unique<StartedProgram>(
                env, runtime_, Command{"retdecl", {"--import", dir, kRuc, kPeriod, "--save"}}));
        const bool windowSaved = window.frm->grabar();
        QStringList wrong;
        if (!windowSaved && !window.frm->lastSaveConflicted())
            wrong << QStringLiteral("the window's save failed: ") +
                         (window.messages.shown.empty() ? QString()
                                                        : window.messages.shown.back().text);
        int committed = windowSaved ? 1 : 0;
        std::vector<ProgramRun> runs;
        for (auto& p : started)
            runs.push_back(p->finish());

        auto db = env.openDatabase();
        for (int i = 0; i < kDirs.size(); ++i) {
            const ProgramRun& r = runs[size_t(i)];
            if (r.code == 0) {
                ++committed;
                ++saved;
                const int missing = kLines - storedLines(*db, firstLine(i));
                lost += missing;
                if (missing > 0)
                    wrong << QStringLiteral("%1 said it saved; %2 of its lines are missing")
                                 .arg(kDirs[i])
                                 .arg(missing);
            } else if (r.code == kConflictExit &&
                       r.err.contains(QString::fromUtf8("Otro programa")) &&
                       r.err.contains(QString::fromUtf8("No se grabó nada"))) {
                ++refused;
            } else {
                wrong << QStringLiteral("%1: exit %2: %3").arg(kDirs[i]).arg(r.code).arg(r.err);
            }
        }
        if (windowSaved) {
            ++saved;
            const auto stored = db->scalar("SELECT i_valor FROM DET WHERE doc_id_d = ? AND "
                                           "periodo = ? AND casilla = '404'",
                                           {kRuc, kPeriod});
            if (!stored || stored->toString() != box) {
                ++lost;
                wrong << QStringLiteral("the window said it saved box 404 = %1; stored: %2")
                             .arg(box, stored ? stored->toString() : QStringLiteral("none"));
            }
        } else {
            ++refused;
        }
        const size_t entries = declarationHistory(*db, kRuc, kPeriod, "0947").size();
        if (entries != entriesBefore + size_t(committed))
            wrong << QStringLiteral("%1 saves committed, %2 entries recorded")
                         .arg(committed)
                         .arg(entries - entriesBefore);
        if (!wrong.isEmpty()) {
            ++wrongRounds;
            ADD_FAILURE() << "round " << budget.rounds() << ":\n" << wrong.join('\n').toStdString();
        }
        db.reset();
        window.frm.reset();
        window.db.reset();
        QDir(env.root).removeRecursively();
        dropServerDatabase(env);
    }
    const int programs = int(kDirs.size()) + 1;
    RecordProperty("rounds", budget.rounds());
    RecordProperty("lost", lost);
    std::cout << "stress: shared declaration: "
              << (GetParam() == Engine::Sqlite ? "file" : "server") << ": " << budget.rounds()
              << " rounds x " << programs << " programs at once, " << saved << " saved, " << refused
              << " told another had saved, " << lost << " lost, " << wrongRounds << " wrong ("
              << budget.elapsedSeconds() << " s)" << std::endl;
    EXPECT_EQ(wrongRounds, 0);
}

} // namespace
} // namespace ret::test
