#include "common/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace ret;

namespace {
QString uniqueProgram() {
    return "rettest-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
}
} // namespace

TEST(SingleInstance, ASecondCopyIsRefusedUntilTheFirstEnds) {
    const QString name = uniqueProgram();
    auto first = std::make_unique<SingleInstance>(name);
    ASSERT_TRUE(first->acquire());
    SingleInstance second(name);
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST(SingleInstance, ALockLeftByADeadCopyIsTakenOver) {
    const QString name = uniqueProgram();
    SingleInstance probe(name);
    {
        QFile f(probe.lockPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // the lock file's own layout: process id, program, host
        f.write("2147483000\nretdecl\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    EXPECT_TRUE(probe.acquire());
}

// A lock file is only a place for the operating system's lock: one that names a live process
// which holds no lock, or one left empty by a copy killed as it started, is taken at once.
TEST(SingleInstance, ALockFileThatNobodyHoldsIsTakenAtOnce) {
    for (const QByteArray& left : {QByteArray::number(qint64(::getppid())) + "\nretdecl\n" +
                                       QSysInfo::machineHostName().toUtf8() + "\n",
                                   QByteArray()}) {
        const QString name = uniqueProgram();
        SingleInstance probe(name);
        QFile f(probe.lockPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(left);
        f.close();
        EXPECT_TRUE(probe.acquire()) << left.toStdString();
        SingleInstance second(name);
        EXPECT_FALSE(second.acquire());
    }
}

// A copy killed while it holds the lock never blocks the next one: the kernel lets the lock go
// with the process.
TEST(SingleInstance, ACopyKilledWhileItHoldsTheLockLetsItGo) {
    const QString name = uniqueProgram();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance held(name);
        const char answer = held.acquire() ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    SingleInstance next(name);
    EXPECT_FALSE(next.acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(next.acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

// One copy per user and database: a copy on another database runs, one on the same database
// (however its path is written) is refused.
TEST(SingleInstance, TheLockNamesTheDatabaseAsWellAsTheUser) {
    const QString name = uniqueProgram();
    SingleInstance first(name, "/oficina/a/HUB000.db");
    ASSERT_TRUE(first.acquire());
    SingleInstance otherDatabase(name, "/oficina/b/HUB000.db");
    EXPECT_TRUE(otherDatabase.acquire());
    SingleInstance sameDatabase(name, "/oficina/a/../a//HUB000.db");
    EXPECT_FALSE(sameDatabase.acquire());
}
