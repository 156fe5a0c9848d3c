// Several of the module's programs at once on one database: each round starts imports that
// save, sendings, a check and a print together, and what they leave must equal what the same
// commands leave when they run one after another.
#include "tests/stress/Snapshot.h"
#include "tests/stress/StressPrograms.h"
#include "tests/support/Engines.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <iostream>
#include <numeric>
#include <vector>

namespace ret::test {
namespace {

const QString kImported = QStringLiteral("201009"); // imported and saved in every round
const QString kSaved = QStringLiteral("201008");    // saved in the template, then sent
const QStringList kContributors = {QStringLiteral("20100070970"), QStringLiteral("20512345671"),
                                   QStringLiteral("20601112222")};
// the contributor of the other user, who sees them all
const QString kSupervisor = QStringLiteral("SUPERVISOR");
const QString kSupervised = QStringLiteral("20456789014");
constexpr int kLines = 800;

const std::vector<Command>& roundCommands() {
    static const std::vector<Command> commands = [] {
        std::vector<Command> c;
        for (const QString& ruc : kContributors)
            c.push_back({"retdecl", {"--import", "in", ruc, kImported, "--save"}});
        c.push_back({"retdecl", {"--import", "in", kSupervised, kImported, "--save"}, kSupervisor});
        // two sendings of the same period, whose summary files differ only by the number
        c.push_back({"hub", {"send", kContributors[0], kSaved}});
        c.push_back({"hub", {"send", kContributors[1], kSaved}});
        c.push_back({"retcheck", {toolRecord(kContributors[2], kSaved)}});
        c.push_back({"retdecl",
                     {"--print", kContributors[2], kSaved, "declaracion", "--pdf", "print.pdf"}});
        return c;
    }();
    return commands;
}

// The one refusal a program may give in a round: a send tool refused by its single-instance
// rule while another copy of it (here the one a sending started) runs on the same database.
bool refusedAsAnotherCopyRuns(const Command& c, const ProgramRun& r) {
    return (c.program == QLatin1String("retcheck") || c.program == QLatin1String("retsumm")) &&
           r.code == 3 &&
           r.err.contains(QString::fromUtf8("La aplicación ya se encuentra en Ejecución"));
}

// The output without what depends on the directory and on the order of the processes: the
// register's and the sendings' running numbers (in file names) and the sending's control.
QString masked(QString text, const StressEnvironment& env) {
    text.replace(env.root, QStringLiteral("ENV"));
    text.replace(QRegularExpression(QStringLiteral("[0-9]{8}\\.(PRN|TXT)")),
                 QStringLiteral("NNNNNNNN.\\1"));
    text.replace(QRegularExpression(QStringLiteral("control [0-9]+")), QStringLiteral("control N"));
    return text;
}

// On the file and on the server: the template's database is then one of the test server's,
// and each round works on a copy the server makes of it.
class ConcurrencyTest : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        if (!ready())
            return;
        for (int i = 0; i < kContributors.size(); ++i) {
            const QString& ruc = kContributors[i];
            writeBytes(importFile(template_, "saved", ruc, kSaved), importLines(kSaved, 1, 40));
            // the second contributor's file has lines the import refuses: its error report
            // is registered too
            writeBytes(importFile(template_, "in", ruc, kImported),
                       importLines(kImported, 1 + i * 1000, kLines, i == 1 ? 3 : 0));
            const ProgramRun saved =
                run(template_, {"retdecl", {"--import", "saved", ruc, kSaved, "--save"}});
            ASSERT_EQ(saved.code, 0) << saved.out.toStdString() << saved.err.toStdString();
        }
        addUserProfile(template_, kSupervisor);
        writeBytes(importFile(template_, "in", kSupervised, kImported),
                   importLines(kImported, 5001, kLines));
    }

    // The commands one after another on a copy of the template: the reference.
    std::vector<ProgramRun> runSerially(const StressEnvironment& env) {
        std::vector<ProgramRun> runs;
        for (const Command& c : roundCommands()) {
            runs.push_back(run(env, c));
            EXPECT_LE(runs.back().code, 1) << c.text().toStdString() << '\n'
                                           << runs.back().err.toStdString();
            if (c.args[0] == QLatin1String("--import")) {
                EXPECT_TRUE(runs.back().out.contains(QStringLiteral("%1 Transferidos").arg(kLines)))
                    << c.text().toStdString() << '\n'
                    << runs.back().out.toStdString();
            }
        }
        return runs;
    }

    // The commands all started before any is waited for, in an order of chance, so that the
    // rounds meet in different ways.
    std::vector<ProgramRun> runTogether(const StressEnvironment& env) {
        const std::vector<Command>& commands = roundCommands();
        std::vector<size_t> order(commands.size());
        std::iota(order.begin(), order.end(), size_t(0));
        std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
        std::vector<std::unique_ptr<StartedProgram>> started(commands.size());
        for (const size_t i : order)
            started[i] = std::make_unique<StartedProgram>(env, runtime_, commands[i]);
        std::vector<ProgramRun> runs;
        for (auto& p : started)
            runs.push_back(p->finish());
        return runs;
    }
};

// What is wrong with one program's run against its serial run; empty when nothing is.
QString wrongRun(const Command& c, const ProgramRun& run, const ProgramRun& serial,
                 const StressEnvironment& env, const StressEnvironment& serialEnv) {
    if (run.crashed)
        return QStringLiteral("crashed");
    if (refusedAsAnotherCopyRuns(c, run))
        return {};
    if (run.code != serial.code || masked(run.err, env) != masked(serial.err, serialEnv) ||
        masked(run.out, env) != masked(serial.out, serialEnv))
        return QStringLiteral("exit %1 (serially %2)\n    out: %3\n    err: %4")
            .arg(run.code)
            .arg(serial.code)
            .arg(run.out.trimmed(), run.err.trimmed());
    return {};
}

// What is wrong with the round's summaries: each sending has a file of its own, which names
// its own declaration.
QString wrongSummaries(const std::vector<ProgramRun>& runs) {
    QStringList problems;
    QStringList files;
    for (size_t i = 0; i < runs.size(); ++i) {
        const Command& c = roundCommands()[i];
        if (c.program != QLatin1String("hub"))
            continue;
        const auto m = QRegularExpression(QStringLiteral("^Resumen: (.*)$"),
                                          QRegularExpression::MultilineOption)
                           .match(runs[i].out);
        if (!m.hasMatch())
            continue; // the run itself is reported as wrong
        const QString file = m.captured(1);
        if (files.contains(file))
            problems << QStringLiteral("two sendings wrote the summary ") + file;
        files << file;
        QFile f(file);
        const QByteArray text = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        const QString period = c.args[2].mid(4) + QLatin1Char('/') + c.args[2].left(4);
        if (!text.contains("RUC  " + c.args[1].toLatin1()) ||
            !text.contains("PERIODO        : " + period.toLatin1()))
            problems << QStringLiteral("the summary %1 of %2 %3 names another declaration")
                            .arg(file, c.args[1], c.args[2]);
    }
    return problems.join(QLatin1Char('\n'));
}

// Every round starts from the same template, so one serial run is the reference for all.
INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), engineName);

TEST_P(ConcurrencyTest, ProgramsRunTogetherLeaveWhatTheyLeaveOneAfterAnother) {
    const StressEnvironment serialEnv = copyEnvironment(template_, path("serial"));
    const std::vector<ProgramRun> serial = runSerially(serialEnv);
    const Snapshot expected = takeSnapshot(*serialEnv.openDatabase());
    dropServerDatabase(serialEnv);
    ASSERT_EQ(wrongSummaries(serial), QString());
    ASSERT_EQ(missingReportFiles(expected, serialEnv.reports()), QStringList());

    RoundBudget budget(6);
    int wrongRounds = 0;
    while (budget.another()) {
        const StressEnvironment env =
            copyEnvironment(template_, path(QStringLiteral("round%1").arg(budget.rounds())));
        const std::vector<ProgramRun> runs = runTogether(env);
        QStringList wrong;
        for (size_t i = 0; i < runs.size(); ++i) {
            const QString why = wrongRun(roundCommands()[i], runs[i], serial[i], env, serialEnv);
            if (!why.isEmpty())
                wrong << roundCommands()[i].text() + QStringLiteral(": ") + why;
        }
        if (const QString why = wrongSummaries(runs); !why.isEmpty())
            wrong << why;
        const Snapshot got = takeSnapshot(*env.openDatabase());
        if (const QString d = difference(expected, got); !d.isEmpty())
            wrong << QStringLiteral("the tables differ from the serial run's (- serial, + "
                                    "together):\n") +
                         d;
        if (const QStringList missing = missingReportFiles(got, env.reports()); !missing.isEmpty())
            wrong << QStringLiteral("registered reports without a file: ") + missing.join(' ');
        if (!wrong.isEmpty()) {
            ++wrongRounds;
            ADD_FAILURE() << "round " << budget.rounds() << ":\n"
                          << wrong.join(QLatin1Char('\n')).toStdString();
        }
        QDir(env.root).removeRecursively();
        dropServerDatabase(env);
    }
    const int processes = int(roundCommands().size());
    RecordProperty("rounds", budget.rounds());
    RecordProperty("processes", processes);
    RecordProperty("wrong_rounds", wrongRounds);
    std::cout << "stress: " << (GetParam() == Engine::Sqlite ? "file" : "server") << ": "
              << budget.rounds() << " rounds x " << processes << " processes at once, "
              << wrongRounds << " wrong (" << budget.elapsedSeconds() << " s)" << std::endl;
    EXPECT_EQ(wrongRounds, 0);
}

} // namespace
} // namespace ret::test
