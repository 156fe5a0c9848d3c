#include "common/Configuration.h"

#include "tests/support/TempDir.h"

#include <QDir>

using namespace ret;

namespace {

class ConfigurationTest : public test::TempDirTest {
protected:
    Profile profile(const QString& options) {
        return Profile(writeFile("HUB000.INI", ("[Options]\r\n" + options).toUtf8()));
    }
};

} // namespace

TEST_F(ConfigurationTest, DerivedValuesPerProgram) {
    const QString sys = path("velkar") + "/";
    QDir().mkpath(sys + "RPT");
    QDir().mkpath(sys + "TMP");
    QDir().mkpath(sys + "0947");
    const Profile p = profile("SysPath= " + sys +
                              " \r\nDBPath=/data/\r\nDBName=HUB000.db\r\n"
                              "SysUser=\" ana \"\r\n");

    const Configuration main = ReadConfiguration(Deliverable::MainProgram, p);
    EXPECT_EQ(main.systemDirectory, sys);
    EXPECT_EQ(main.databasePath, "/data/HUB000.db");
    EXPECT_EQ(main.workgroupFile, sys + "HUB000.MDW");
    EXPECT_EQ(main.reportDirectory, sys + "RPT");
    EXPECT_EQ(main.helpFile, sys + "0947/retdecl.hlp");
    EXPECT_EQ(main.currentUser, "ana");
    EXPECT_TRUE(main.temporaryDirectory.isEmpty());

    for (const Deliverable who : {Deliverable::SendCheck, Deliverable::SendSummary}) {
        const Configuration tool = ReadConfiguration(who, p);
        EXPECT_EQ(tool.databasePath, "/data/HUB000.db");
        EXPECT_EQ(tool.reportDirectory, sys + "RPT/");
        EXPECT_EQ(tool.temporaryDirectory, sys + "TMP/");
        EXPECT_EQ(tool.currentUser, " ana "); // the send tools keep the blanks
    }

    const Configuration setup = ReadConfiguration(Deliverable::Installer, p);
    EXPECT_EQ(setup.databasePath, sys + "HUB000.db"); // SysPath, not DBPath
    EXPECT_TRUE(setup.currentUser.isEmpty());
}

TEST_F(ConfigurationTest, InstallerDropsADoubledSeparator) {
    const QString sys = path("v");
    QDir().mkpath(sys + "/tmp");
    struct Case {
        QString sysPath;
        QString database;
    } cases[] = {
        {sys + "//", sys + "/x.db"},
        {sys + "\\\\", sys + "/x.db"},
        {sys + "/", sys + "/x.db"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sysPath.toStdString());
        const Configuration cfg = ReadConfiguration(
            Deliverable::Installer, profile("SysPath=" + c.sysPath + "\r\nDBName=x.db\r\n"));
        EXPECT_EQ(cfg.databasePath, c.database);
        EXPECT_EQ(cfg.temporaryDirectory, sys + "/tmp/");
    }
}

TEST_F(ConfigurationTest, BackslashPathsAndDirectoryNamesInAnyCase) {
    const QString sys = path("v");
    QDir().mkpath(sys + "/rpt");
    QDir().mkpath(sys + "/Tmp");
    const Profile p = profile("SysPath=" + sys + "\\\r\nDBPath=" + sys + "\\\r\nDBName=d.db\r\n");
    const Configuration tool = ReadConfiguration(Deliverable::SendCheck, p);
    EXPECT_EQ(tool.databasePath, sys + "/d.db");
    const Profile bare = profile("SysPath=" + sys + "\r\nDBPath=" + sys + "\r\nDBName=d.db\r\n");
    EXPECT_EQ(ReadConfiguration(Deliverable::MainProgram, bare).databasePath, sys + "/d.db");
    EXPECT_EQ(tool.reportDirectory, sys + "/rpt/");
    EXPECT_EQ(tool.temporaryDirectory, sys + "/Tmp/");
    // the exact name wins when both exist
    QDir().mkpath(sys + "/TMP");
    EXPECT_EQ(ReadConfiguration(Deliverable::SendCheck, p).temporaryDirectory, sys + "/TMP/");
}

TEST_F(ConfigurationTest, MissingOptionsGivesEmptyValues) {
    const QString p = writeFile("bare.ini", "[Other]\r\nSysPath=/x/\r\n");
    const Configuration c = ReadConfiguration(Deliverable::MainProgram, Profile(p));
    EXPECT_TRUE(c.sysPath.isEmpty());
    EXPECT_TRUE(c.databasePath.isEmpty());
    EXPECT_TRUE(c.currentUser.isEmpty());
}
