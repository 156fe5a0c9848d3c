// Files that hold taxpayers' data are their user's and the office's group's only, whatever the
// umask of the program that writes them.
#include "common/Backup.h"
#include "common/Database.h"
#include "common/WholeFile.h"

#include "tests/support/TempDir.h"

#include <QFileInfo>

#include <sys/stat.h>

using namespace ret;

namespace {

unsigned modeOf(const QString& path) {
    struct stat s {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &s), 0) << path.toStdString();
    return s.st_mode & 0777;
}

class FileModesTest : public test::TempDirTest {
protected:
    void SetUp() override { previous_ = ::umask(0); } // everyone may read and write
    void TearDown() override { ::umask(previous_); }
    mode_t previous_ = 0;
};

TEST_F(FileModesTest, EveryKindOfFileIsTheUsersAndTheGroupsOnly) {
    ASSERT_EQ(writeWholeFile(path("Mens.txt"), "lineas"), std::nullopt);
    {
        ScratchFile report(tmp.path());
        report.device().write("%!PS");
        ASSERT_EQ(report.commitAs(path("00000001.PRN")), std::nullopt);
    }
    ASSERT_EQ(appendToFile(path("Trace.txt"), "consulta\r\n"), std::nullopt);
    auto db = Database::create(path("HUB000.db"));
    db->execute("CREATE TABLE t (a INTEGER)");
    db->execute("INSERT INTO t VALUES (1)");
    ASSERT_TRUE(backupDatabase(*db, path("respaldos/copia.db")).ok());

    for (const char* file : {"Mens.txt", "00000001.PRN", "Trace.txt", "HUB000.db", "HUB000.db-wal",
                             "respaldos/copia.db"})
        EXPECT_EQ(modeOf(path(file)), kDataFileMode) << file;
}

} // namespace
