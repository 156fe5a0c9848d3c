// A database file in a network folder: refused unless one PC at a time uses it, and then opened
// without the write-ahead log, which cannot work across machines.
#include "common/Connection.h"
#include "common/Database.h"
#include "common/FileSystem.h"

#include "tests/support/TempDir.h"

#include <QFile>

using namespace ret;

namespace {

TEST(FileSystemKindTest, NetworkFileSystemsAreToldFromLocalOnes) {
    const struct {
        unsigned long type;
        bool network;
        const char* name;
    } cases[] = {
        {0x6969, true, "NFS"},
        {0x517B, true, "SMB"},
        {0xFF534D42, true, "SMB/CIFS"},
        {0xFFFFFFFFFF534D42UL, true, "SMB/CIFS"}, // as a signed word sign-extends it
        {0xFE534D42, true, "SMB2"},
        {0x65735546, true, "FUSE"},
        {0x01021997, true, "9P"},
        {0x00C36400, true, "Ceph"},
        {0x0BD00BD0, true, "Lustre"},
        {0xEF53, false, ""},     // ext2/3/4
        {0x58465342, false, ""}, // XFS
        {0x9123683E, false, ""}, // Btrfs
        {0x01021994, false, ""}, // tmpfs
        {0x794C7630, false, ""}, // overlayfs
        {0x6969 + 1, false, ""}, // one past NFS
    };
    for (const auto& c : cases) {
        const FileSystemKind kind = fileSystemKind(c.type);
        EXPECT_EQ(kind.network, c.network) << std::hex << c.type;
        EXPECT_EQ(kind.name, QString::fromLatin1(c.name)) << std::hex << c.type;
    }
}

class NetworkFolderTest : public test::TempDirTest {
protected:
    void SetUp() override {
        file = path("HUB000.db");
        Database::create(file)->execute("CREATE TABLE t (a INTEGER)");
        bytes = readFile("HUB000.db");
    }
    static OpenOptions on(unsigned long type, bool onePc = false) {
        OpenOptions o;
        o.fileSystemOf = [type](const QString&) { return std::optional<unsigned long>(type); };
        o.oneComputerOnNetworkFolder = onePc;
        return o;
    }
    static QString journalMode(Database& db) {
        return db.scalar("PRAGMA journal_mode")->toString();
    }
    QString file;
    QByteArray bytes;
};

TEST_F(NetworkFolderTest, AFileInANetworkFolderIsRefusedAndLeftAsItWas) {
    for (const unsigned long type : {0x6969UL, 0xFF534D42UL, 0x65735546UL}) {
        try {
            Database::open(file, on(type));
            ADD_FAILURE() << "opened on " << std::hex << type;
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), dberr::NetworkFolder);
            EXPECT_TRUE(e.description().startsWith(
                QString::fromUtf8("La base de datos '%1' está en una carpeta de red (").arg(file)))
                << e.description().toStdString();
            for (const char* part : {"pueden dañarlo", "DBServer", "DBUnSoloEquipo=1"})
                EXPECT_TRUE(e.description().contains(QString::fromUtf8(part))) << part;
        }
    }
    EXPECT_EQ(readFile("HUB000.db"), bytes);
    EXPECT_FALSE(QFile::exists(file + "-wal"));
}

TEST_F(NetworkFolderTest, OnePcAtATimeOpensItWithTheRollbackJournalAndAlone) {
    auto db = Database::open(file, on(0x6969, true));
    EXPECT_EQ(journalMode(*db), "delete");
    db->execute("INSERT INTO t VALUES (1)");
    EXPECT_FALSE(QFile::exists(file + "-wal"));
    // the connection keeps the file: another one waits out its timeout and fails
    OpenOptions other = on(0x6969, true);
    other.busyTimeoutMs = 100;
    EXPECT_THROW(Database::open(file, other), DbError);
    db.reset();
    EXPECT_EQ(Database::open(file, other)->scalar("SELECT count(*) FROM t")->toInt(), 1);
}

TEST_F(NetworkFolderTest, TheProfilesKeySaysOnePcAtATime) {
    writeFile("HUB000.INI", "[Options]\r\nDBName=" + file.toUtf8() + "\r\nDBUnSoloEquipo=1\r\n");
    const Configuration config =
        ReadConfiguration(Deliverable::MainProgram, Profile(path("HUB000.INI")));
    EXPECT_TRUE(config.oneComputer);
    EXPECT_EQ(journalMode(*OpenConfiguredDatabase(config, on(0x517B))), "delete");
    Configuration without = config;
    without.oneComputer = false;
    EXPECT_THROW(OpenConfiguredDatabase(without, on(0x517B)), DbError);
}

TEST_F(NetworkFolderTest, ALocalFolderIsOpenedAsBefore) {
    const auto type = fileSystemType(file);
    ASSERT_TRUE(type.has_value());
    EXPECT_FALSE(fileSystemKind(*type).network) << std::hex << *type;
    EXPECT_EQ(journalMode(*Database::open(file)), "wal");
}

} // namespace
