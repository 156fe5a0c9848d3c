#pragma once

// The stress tests' environments and program runs: an integrator environment copied from a
// template, the module's programs started on it as real processes (headless), and the run's
// figures.

#include "common/Database.h"
#include "common/FieldRules.h"
#include "tests/support/Engines.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/types.h>
#include <unistd.h>

namespace ret::test {

// One environment: `root/velkar/` (database, report and temporary directories), its profile
// `root/HUB000.INI`, and the import files under `root/`. Programs start in `root`, so that the
// commands name their files relative to it and read the same on every copy.
struct StressEnvironment {
    QString root;
    QString server; // the database's connection string on a server; empty for the file

    QString dir() const { return root + QStringLiteral("/velkar"); }
    // The profile of the integrator's user named, or of the environment's own user.
    QString profile(const QString& user = {}) const {
        return root + QStringLiteral("/HUB000") + (user.isEmpty() ? QString() : '-' + user) +
               QStringLiteral(".INI");
    }
    QString database() const { return dir() + QStringLiteral("/HUB000.db"); }
    QString reports() const { return dir() + QStringLiteral("/RPT"); }

    std::unique_ptr<Database> openDatabase() const {
        return server.isEmpty() ? Database::open(database()) : Database::openServer(server);
    }
};

// The test server's connection string for one of its databases.
inline QString serverDatabase(const QString& name) {
    return qEnvironmentVariable("RET_TEST_PG") + QStringLiteral(" dbname=") + name;
}

// The command that lays out the template environment: on the server, in a new database of
// the test server.
inline QStringList templateInit(StressEnvironment& env, Engine engine) {
    QStringList init = {QStringLiteral("init"), env.dir(), QStringLiteral("--ini"), env.profile()};
    if (engine == Engine::Postgres) {
        env.server = serverDatabase(createServerDatabase());
        init << QStringLiteral("--server") << env.server;
    }
    return init;
}

inline void dropServerDatabase(const StressEnvironment& env) {
    if (env.server.isEmpty())
        return;
    const QString name = env.server.section(QStringLiteral("dbname="), -1).trimmed();
    try {
        Database::openServer(qEnvironmentVariable("RET_TEST_PG"))
            ->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    } catch (const DbError&) {
        // left to the test server's directory, which goes at the end of the run
    }
}

// Copies `from` whole into the new directory `to` (the database with its -wal file, if any: no
// process may have it open) and points the copy's profiles at the copy.
inline StressEnvironment copyEnvironment(const StressEnvironment& from, const QString& to) {
    EXPECT_TRUE(QDir().mkpath(to)) << to.toStdString();
    // a server's database is copied by the server, from the template's
    const QString copied = from.server.isEmpty()
                               ? QString()
                               : serverDatabase(createServerDatabase(
                                     from.server.section(QStringLiteral("dbname="), -1).trimmed()));
    QDirIterator it(from.root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.root.size());
        if (it.fileInfo().isDir())
            EXPECT_TRUE(QDir().mkpath(target)) << target.toStdString();
        else
            EXPECT_TRUE(QFile::copy(source, target)) << target.toStdString();
    }
    for (const QString& name : QDir(to).entryList({QStringLiteral("*.INI")}, QDir::Files)) {
        QFile ini(to + QLatin1Char('/') + name);
        EXPECT_TRUE(ini.open(QIODevice::ReadOnly));
        QByteArray text = ini.readAll().replace(from.root.toUtf8(), to.toUtf8());
        if (!copied.isEmpty())
            text.replace(from.server.toUtf8(), copied.toUtf8());
        ini.close();
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(ini.write(text), text.size());
    }
    return StressEnvironment{to, copied};
}

// A profile for another of the integrator's users, beside the environment's own.
inline void addUserProfile(const StressEnvironment& env, const QString& user) {
    QFile own(env.profile());
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    const QByteArray text = QString::fromLatin1(own.readAll())
                                .replace(QRegularExpression(QStringLiteral("SysUser=[^\r\n]*")),
                                         QStringLiteral("SysUser=") + user)
                                .toLatin1();
    QFile other(env.profile(user));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(other.write(text), text.size());
}

struct Command {
    Command(QString p, QStringList a, QString u = {})
        : program(std::move(p)), args(std::move(a)), user(std::move(u)) {}

    QString program;
    QStringList args;
    QString user; // the integrator's user it runs as; empty for the environment's own

    QString text() const {
        const QString line = (QStringList{program} + args).join(QLatin1Char(' '));
        return user.isEmpty() ? line : line + QStringLiteral(" (as ") + user + ')';
    }
};

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
    bool crashed = false; // ended by a signal, ours included
    qint64 ms = 0;
};

// A program of the module started on an environment: headless, with the environment's profile
// and the test's own single-instance locks, in a process group of its own so that a kill takes
// the tools it starts (hub send runs retcheck and retsumm) with it.
class StartedProgram {
public:
    StartedProgram(const StressEnvironment& env, const QString& runtimeDir, const Command& c) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("RET_HEADLESS"), QStringLiteral("1"));
        e.insert(QStringLiteral("HUB000_INI"), env.profile(c.user));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        p_.setProcessEnvironment(e);
        p_.setWorkingDirectory(env.root);
        p_.setChildProcessModifier([] { ::setpgid(0, 0); });
        clock_.start();
        p_.start(QStringLiteral(RET_BIN_DIR "/") + c.program, c.args);
        EXPECT_TRUE(p_.waitForStarted()) << c.text().toStdString();
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    ~StartedProgram() {
        // a test that stopped early leaves nothing running
        killGroup();
        p_.waitForFinished(-1);
    }

    // Waits up to `ms` for the end; false while it still runs.
    bool waitFor(int ms) { return p_.state() == QProcess::NotRunning || p_.waitForFinished(ms); }

    // Kills the program and whatever it started at once (as a power cut would).
    void killGroup() {
        if (p_.state() != QProcess::NotRunning)
            ::kill(-pid_t(p_.processId()), SIGKILL);
    }

    // Waits for the end (killing the group after `timeoutMs`) and collects the run.
    ProgramRun finish(int timeoutMs = 120000) {
        if (!waitFor(timeoutMs)) {
            ADD_FAILURE() << "a program did not end in time";
            killGroup();
            p_.waitForFinished(-1);
        }
        return {p_.exitCode(), QString::fromUtf8(p_.readAllStandardOutput()),
                QString::fromUtf8(p_.readAllStandardError()),
                p_.exitStatus() == QProcess::CrashExit, clock_.elapsed()};
    }

private:
    QProcess p_;
    QElapsedTimer clock_;
};

inline ProgramRun runProgram(const StressEnvironment& env, const QString& runtimeDir,
                             const Command& c) {
    return StartedProgram(env, runtimeDir, c).finish();
}

// How long the tests go on: `RET_STRESS_SECONDS` makes them repeat rounds until that many
// seconds have passed; without it they run `defaultRounds` rounds, which the test command can
// afford.
class RoundBudget {
public:
    explicit RoundBudget(int defaultRounds) : defaultRounds_(defaultRounds) {
        bool ok = false;
        seconds_ = qEnvironmentVariableIntValue("RET_STRESS_SECONDS", &ok);
        if (!ok)
            seconds_ = 0;
        clock_.start();
    }
    // True while another round is due; counts it.
    bool another() {
        const bool due = seconds_ > 0 ? rounds_ == 0 || clock_.elapsed() < seconds_ * 1000LL
                                      : rounds_ < defaultRounds_;
        if (due)
            ++rounds_;
        return due;
    }
    int rounds() const { return rounds_; }
    double elapsedSeconds() const { return clock_.elapsed() / 1000.0; }

private:
    int defaultRounds_;
    int seconds_ = 0;
    int rounds_ = 0;
    QElapsedTimer clock_;
};

// Subjects' RUCs that pass the module's own check digit, none of them a sample contributor.
inline QStringList subjectRucs(int count) {
    ScriptedMessages messages;
    const FieldRules rules(messages);
    QStringList out;
    for (int n = 1; out.size() < count; ++n) {
        const QString body = QStringLiteral("207%1").arg(n, 7, 10, QLatin1Char('0'));
        for (int digit = 0; digit < 10; ++digit) {
            if (rules.IsValidRuc(body + QString::number(digit)))
                out << body + QString::number(digit);
        }
    }
    return out;
}

// An import file of `count` good lines for PERIOD (yyyymm), one voucher each with one payment
// voucher, numbered from `first` and spread over the subjects; then `refused` lines dated in
// the next month, which the import refuses.
inline QByteArray importLines(const QString& period, int first, int count, int refused = 0) {
    static const QStringList subjects = subjectRucs(5);
    const QDate month(period.left(4).toInt(), period.mid(4, 2).toInt(), 1);
    QByteArray out;
    for (int i = first; i < first + count + refused; ++i) {
        const QDate day = (i < first + count ? month : month.addMonths(1)).addDays(i % 28);
        const QString amount =
            QStringLiteral("%1.%2").arg(100 + i % 900).arg(i % 100, 2, 10, QLatin1Char('0'));
        out += QStringLiteral("%1|EMPRESA %2 SAC||||E001|%3|%4|%5|01|F001|%3|%4|%5|\r\n")
                   .arg(subjects[i % subjects.size()])
                   .arg(i % subjects.size() + 1)
                   .arg(i)
                   .arg(day.toString(QStringLiteral("dd/MM/yyyy")), amount)
                   .toLatin1();
    }
    return out;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    EXPECT_TRUE(QDir().mkpath(path.section(QLatin1Char('/'), 0, -2)));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The import file the import looks for: DIR/0947<RUC><PERIOD>.TXT.
inline QString importFile(const StressEnvironment& env, const QString& dir, const QString& ruc,
                          const QString& period) {
    return env.root + QLatin1Char('/') + dir + QStringLiteral("/0947") + ruc + period +
           QStringLiteral(".TXT");
}

// The record the send tools take for a declaration of form 0947 (week 0).
inline QString toolRecord(const QString& ruc, const QString& period) {
    return QStringLiteral("06") + ruc.leftJustified(15) + QStringLiteral("0947") + period +
           QStringLiteral("0");
}

// The lock directory of a test: its programs refuse one another as two users' would not.
inline QString runtimeDirectory(const QString& root) {
    const QString dir = root + QStringLiteral("/run");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir;
}

// A stress test on one engine (the parameter): a scratch directory, the test's own lock
// directory, and a template environment that `hub init` lays out (its database on the test
// server in the server's case), dropped at the end. A fixture's own SetUp goes on only when
// ready().
class StressTest : public TempDirTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override {
        runtime_ = runtimeDirectory(tmp.path());
        template_.root = path("template");
        ASSERT_TRUE(QDir().mkpath(template_.root));
        if (GetParam() == Engine::Postgres && !testServerThere())
            return skipOrFailWithoutTestServer();
        ASSERT_EQ(run(template_, {"hub", templateInit(template_, GetParam())}).code, 0);
    }
    void TearDown() override { dropServerDatabase(template_); }
    bool ready() const { return !IsSkipped() && !HasFatalFailure(); }

    ProgramRun run(const StressEnvironment& env, const Command& c) {
        return runProgram(env, runtime_, c);
    }

    QString runtime_;
    StressEnvironment template_;
};

} // namespace ret::test
