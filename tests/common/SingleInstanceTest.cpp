#include "common/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSysInfo>
#include <QUuid>

#include <gtest/gtest.h>

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

// A copy killed between creating its lock file and writing its process id into it leaves an
// empty file: it is taken over once it is older than that moment could last, not before.
TEST(SingleInstance, AnEmptyLockLeftByACopyKilledAsItStartedIsTakenOver) {
    const QString name = uniqueProgram();
    SingleInstance probe(name);
    QFile f(probe.lockPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(probe.acquire()); // another copy may be writing its id this very moment

    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                              QFileDevice::FileModificationTime));
    f.close();
    EXPECT_TRUE(probe.acquire());
    SingleInstance second(name);
    EXPECT_FALSE(second.acquire());
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
