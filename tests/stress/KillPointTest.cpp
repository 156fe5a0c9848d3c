// Programs killed part-way (kill -9, as a power cut would end them) at moments spread over
// their run: the database must stay whole, every declaration and sending as it was before the
// run or as the run leaves it, every register row with its file, and running the command again
// must give what an uninterrupted run gives.
#include "tests/stress/Snapshot.h"
#include "tests/stress/StressPrograms.h"
#include "tests/support/Engines.h"
#include "tests/support/TempDir.h"

#include "common/Backup.h"
#include "common/Parameters.h"
#include "common/Schema.h"
#include "common/ServerBackup.h"

#include <QRandomGenerator>

#include <functional>
#include <iostream>

namespace ret::test {
namespace {

const QString kRuc = QStringLiteral("20100070970");
const QString kOther = QStringLiteral("20512345671");
// the period of every declaration here: one registered in the template, one imported new
const QString kPeriod = QStringLiteral("201009");
constexpr int kLines = 800;
constexpr int kMoments = 10; // kills of each case by default

// A database whose module tables were never created, nor the installer's rows written.
void withoutModuleTables(const StressEnvironment& env) {
    auto db = env.openDatabase();
    for (const auto* tables : {&moduleTables(), &recordTables()}) {
        for (const TableDef& t : *tables)
            db->execute(QStringLiteral("DROP TABLE ") + t.name);
    }
    db->execute(QStringLiteral("DELETE FROM reportes"));
    db->execute(QStringLiteral("DELETE FROM envio_t"));
    for (const ParamRow& p : seededParameters())
        db->execute(QStringLiteral("DELETE FROM PARAM WHERE numero = ? AND argumento = ?"),
                    {p.numero, p.argumento});
}

struct KillCase {
    const char* name;
    Command command;
    void (*prepare)(const StressEnvironment&); // the starting state, when it is not the template's
};

const KillCase kCases[] = {
    {"an import that saves a new declaration",
     {"retdecl", {"--import", "in", kOther, kPeriod, "--save"}},
     nullptr},
    {"an import that saves over a registered declaration",
     {"retdecl", {"--import", "more", kRuc, kPeriod, "--save"}},
     nullptr},
    {"a sending", {"hub", {"send", kRuc, kPeriod}}, nullptr},
    {"the installer on a database without the module's tables",
     {"retsetup", {}},
     withoutModuleTables},
};

// A proven backup in the environment's directory, then the declaration's boxes gone: the
// restore brings them back.
void backedUpThenChanged(const StressEnvironment& env) {
    auto db = env.openDatabase();
    const BackupOutcome made = backupDatabase(*db, env.root + QStringLiteral("/copia.db"));
    ASSERT_TRUE(made.ok()) << made.problem.toStdString();
    db->execute(QStringLiteral("DELETE FROM DET WHERE doc_id_d = ?"), {kRuc});
}

// The same on a server: pg_dump's archive.
void dumpedThenChanged(const StressEnvironment& env) {
    auto db = env.openDatabase();
    const BackupOutcome made =
        serverBackup(*db, env.server, env.root + QStringLiteral("/copia.dump"));
    ASSERT_TRUE(made.ok()) << made.problem.toStdString();
    db->execute(QStringLiteral("DELETE FROM DET WHERE doc_id_d = ?"), {kRuc});
}

// The cases of an engine, a restore among them.
std::vector<KillCase> casesFor(Engine engine) {
    std::vector<KillCase> cases(std::begin(kCases), std::end(kCases));
    if (engine == Engine::Sqlite)
        cases.push_back({"a restore", {"retdecl", {"--restore", "copia.db"}}, backedUpThenChanged});
    else
        cases.push_back({"a restore", {"retdecl", {"--restore", "copia.dump"}}, dumpedThenChanged});
    return cases;
}

struct Figures {
    int kills = 0;  // programs started and killed (or let end) at a chosen moment
    int landed = 0; // of them, killed while they still ran
    int reruns = 0; // of them, those whose work was not all done, so the command ran again
    int inconsistent = 0;

    Figures& operator+=(const Figures& o) {
        kills += o.kills;
        landed += o.landed;
        reruns += o.reruns;
        inconsistent += o.inconsistent;
        return *this;
    }
};

std::ostream& operator<<(std::ostream& out, const Figures& f) {
    return out << f.kills << " kills, " << f.landed << " before the end, " << f.reruns
               << " run again, " << f.inconsistent << " inconsistent";
}

// The states one case is judged by: before its run, and after an uninterrupted run.
struct CaseStates {
    StressEnvironment start;
    Snapshot before;
    Snapshot after;
    ProgramRun clean;
};

// Everything a re-run must give again: the tables, the register aside (a killed run may have
// registered a report that the re-run registers anew).
Snapshot settled(Snapshot s) {
    s.tables.erase(QStringLiteral("SPOOL"));
    return s;
}

struct Judgement {
    QString wrong; // empty when the state is consistent
    bool reran = false;
};

// What is wrong with the environment a killed run left, and with the run that follows it when
// the killed one had not finished its work.
Judgement judgeKilled(const StressEnvironment& env, const CaseStates& states,
                      const std::function<ProgramRun()>& rerun) {
    QStringList wrong;
    const auto judge = [&](const char* when) {
        auto db = env.openDatabase();
        if (const QString ok = integrity(*db); ok != QLatin1String("ok"))
            wrong << QStringLiteral("%1: integrity check says %2").arg(when, ok);
        const Snapshot s = takeSnapshot(*db);
        if (const QStringList m = missingReportFiles(s, env.reports()); !m.isEmpty())
            wrong << QStringLiteral("%1: registered reports without a file: ").arg(when) +
                         m.join(' ');
        return s;
    };
    const Snapshot killed = judge("after the kill");
    // per declaration and sending: the rows after an uninterrupted run and the killed run's,
    // for those that are neither as before nor as after
    std::map<QString, QStringList> expected;
    std::map<QString, QStringList> found;
    const auto rowsOf = [](const Snapshot& s, const QString& unit) {
        const auto it = s.units.find(unit);
        return it == s.units.end() ? QStringList() : it->second;
    };
    for (const auto* m : {&killed.units, &states.before.units, &states.after.units}) {
        for (const auto& entry : *m) {
            const QStringList now = rowsOf(killed, entry.first);
            if (now != rowsOf(states.before, entry.first) &&
                now != rowsOf(states.after, entry.first)) {
                expected[entry.first] = rowsOf(states.after, entry.first);
                found[entry.first] = now;
            }
        }
    }
    if (!found.empty())
        wrong << QStringLiteral("declarations or sendings neither as before nor as after (- "
                                "after, + killed):\n") +
                     difference(expected, found);
    const bool reran = settled(killed).tables != settled(states.after).tables;
    if (reran) {
        const ProgramRun again = rerun();
        if (again.code != states.clean.code)
            wrong << QStringLiteral("the re-run ended with %1 (uninterrupted %2): %3")
                         .arg(again.code)
                         .arg(states.clean.code)
                         .arg(again.err.trimmed());
        const Snapshot s = judge("after the re-run");
        if (const QString d = difference(settled(states.after), settled(s)); !d.isEmpty())
            wrong << QStringLiteral("the re-run does not give the uninterrupted run's tables (- "
                                    "uninterrupted, + re-run):\n") +
                         d;
    }
    return {wrong.join(QLatin1Char('\n')), reran};
}

// On the file and on the server (each environment then a copy the server makes of the
// template's database).
class KillPointTest : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        if (!ready())
            return;
        writeBytes(importFile(template_, "saved", kRuc, kPeriod), importLines(kPeriod, 1, 40));
        writeBytes(importFile(template_, "more", kRuc, kPeriod),
                   importLines(kPeriod, 1001, kLines));
        writeBytes(importFile(template_, "in", kOther, kPeriod), importLines(kPeriod, 1, kLines));
        const ProgramRun saved =
            run(template_, {"retdecl", {"--import", "saved", kRuc, kPeriod, "--save"}});
        ASSERT_EQ(saved.code, 0) << saved.out.toStdString() << saved.err.toStdString();
    }

    void TearDown() override {
        for (const CaseStates& s : states_)
            dropServerDatabase(s.start);
        StressTest::TearDown();
    }

    // The case's start (a copy of the template, prepared), and its states before and after an
    // uninterrupted run.
    CaseStates statesOf(const KillCase& c, int index) {
        CaseStates s;
        s.start = copyEnvironment(template_, path(QStringLiteral("start%1").arg(index)));
        if (c.prepare)
            c.prepare(s.start);
        s.before = takeSnapshot(*s.start.openDatabase());
        const StressEnvironment clean = copyEnvironment(s.start, path("clean"));
        s.clean = run(clean, c.command);
        EXPECT_EQ(s.clean.code, 0) << c.name << ": " << s.clean.err.toStdString();
        s.after = takeSnapshot(*clean.openDatabase());
        EXPECT_NE(settled(s.before).tables, settled(s.after).tables)
            << c.name << " changes nothing";
        QDir(clean.root).removeRecursively();
        dropServerDatabase(clean);
        return s;
    }

    // Runs the case's command on a fresh copy of its start, kills it after `delayMs` (when it
    // still runs) and judges what it left.
    void killAt(const KillCase& c, const CaseStates& s, int delayMs, Figures& f) {
        // a directory of its own: a lock the killed run leaves behind names its database, and
        // would otherwise stand in the way of the kills that follow
        const StressEnvironment env =
            copyEnvironment(s.start, path(QStringLiteral("killed%1").arg(++kills_)));
        {
            StartedProgram p(env, runtime_, c.command);
            if (!p.waitFor(delayMs)) {
                p.killGroup();
                ++f.landed;
            }
            p.finish();
        }
        ++f.kills;
        const Judgement j = judgeKilled(env, s, [&] { return run(env, c.command); });
        f.reruns += j.reran ? 1 : 0;
        if (!j.wrong.isEmpty()) {
            ++f.inconsistent;
            ADD_FAILURE() << c.name << ", killed after " << delayMs << " ms of " << s.clean.ms
                          << ":\n"
                          << j.wrong.toStdString();
        }
        QDir(env.root).removeRecursively();
        dropServerDatabase(env);
    }

    std::vector<CaseStates> states_;
    int kills_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Engines, KillPointTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), engineName);

TEST_P(KillPointTest, AKilledRunLeavesTheStateBeforeOrAfterAndARerunFinishesIt) {
    std::vector<CaseStates>& states = states_;
    const std::vector<KillCase> cases = casesFor(GetParam());
    for (const KillCase& c : cases)
        states.push_back(statesOf(c, int(states.size())));
    ASSERT_FALSE(HasFailure());

    // a round kills each case once, the rounds taking the moments in turn: evenly spread over
    // the uninterrupted run and a quarter beyond (one run is not as long as the next, and the
    // writes are committed at the end), each moved by chance within its share
    // the server's runs are slower: half the moments by default
    const int moments = GetParam() == Engine::Sqlite ? kMoments : kMoments / 2;
    RoundBudget budget(moments);
    std::vector<Figures> figures(cases.size());
    while (budget.another()) {
        const int moment = (budget.rounds() - 1) % moments;
        for (size_t i = 0; i < cases.size(); ++i) {
            const double share =
                1.25 * (moment + QRandomGenerator::global()->generateDouble()) / moments;
            killAt(cases[i], states[i], int(share * double(states[i].clean.ms)), figures[i]);
        }
    }
    Figures total;
    for (size_t i = 0; i < cases.size(); ++i) {
        std::cout << "stress: " << cases[i].name << " (" << states[i].clean.ms
                  << " ms): " << figures[i] << std::endl;
        total += figures[i];
    }
    RecordProperty("kills", total.kills);
    RecordProperty("kills_before_end", total.landed);
    RecordProperty("inconsistent", total.inconsistent);
    std::cout << "stress: " << (GetParam() == Engine::Sqlite ? "file" : "server")
              << ": kill points: " << total << " (" << budget.elapsedSeconds() << " s)"
              << std::endl;
    EXPECT_EQ(total.inconsistent, 0);
}

} // namespace
} // namespace ret::test
