#include "common/Profile.h"

#include "tests/support/FullDisk.h"
#include "tests/support/TempDir.h"

using namespace ret;

namespace {

class ProfileTest : public test::TempDirTest {
protected:
    QString file(const QByteArray& bytes) { return writeFile("HUB000.INI", bytes); }
    QByteArray contents() { return readFile("HUB000.INI"); }
};

} // namespace

TEST_F(ProfileTest, ReadingRule) {
    const QByteArray longValue(300, 'x');
    const Profile p(file("; integrator settings\r\n"
                         "[Other]\r\nSysPath=wrong\r\n"
                         "  [ OPTIONS ]  \r\n"
                         "sysPATH =   C:\\Velkar\\  \r\n"
                         "DBName=\"  spaced  \"\r\n"
                         "Quoted='x'\r\n"
                         "HalfQuoted=\"abc\r\n"
                         "Empty=\r\n"
                         "Long=" +
                         longValue +
                         "\r\n"
                         "SysUser=first\r\nSysUser=second\r\n"
                         "Nombre=PE\xD1"
                         "A\r\n"
                         "[Later]\r\nDBPath=elsewhere\r\n"));
    struct Case {
        const char* section;
        const char* key;
        QString expected;
    } cases[] = {
        {"Options", "SysPath", "C:\\Velkar\\"}, // section and key without regard to case
        {"options", "DBName", "  spaced  "},    // the quotes go, the blanks inside them stay
        {"Options", "Quoted", "x"},
        {"Options", "HalfQuoted", "\"abc"},
        {"Options", "Empty", ""},
        {"Options", "Long", QString(254, 'x')}, // a 255-character buffer
        {"Options", "SysUser", "first"},        // the first of two keys counts
        {"Options", "Nombre", QString::fromUtf8("PEÑA")},
        {"Options", "DBPath", ""}, // a key of another section is not this one's
        {"Missing", "SysPath", ""},
        {"Options", "Missing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(p.read(QLatin1String(c.section), QLatin1String(c.key)), c.expected);
    }
    EXPECT_EQ(Profile(path("none.ini")).read("Options", "SysPath"), QString());
}

TEST_F(ProfileTest, WritingChangesOnlyTheKeysLine) {
    const QByteArray before = "[Options]\r\nSysPath=/v/\r\n  systemdb = old value\r\n"
                              "DBName=a.db\r\n\r\n[X]\r\nSystemDB=other\r\n";
    const QString p = file(before);
    ASSERT_TRUE(Profile(p).write("Options", "SystemDB", "/v/HUB000.MDW"));
    EXPECT_EQ(contents(), QByteArray("[Options]\r\nSysPath=/v/\r\nSystemDB=/v/HUB000.MDW\r\n"
                                     "DBName=a.db\r\n\r\n[X]\r\nSystemDB=other\r\n"));
    // the same value again leaves the same bytes
    ASSERT_TRUE(Profile(p).write("Options", "SystemDB", "/v/HUB000.MDW"));
    EXPECT_EQ(Profile(p).read("Options", "SystemDB"), "/v/HUB000.MDW");
    EXPECT_EQ(contents().count("SystemDB"), 2);
}

TEST_F(ProfileTest, WritingAddsAMissingKeyOrSection) {
    const QString p = file("[Options]\nSysPath=/v/\nDBName=a.db\n\n[X]\nk=v\n");
    ASSERT_TRUE(Profile(p).write("Options", "SystemDB", "/v/HUB000.MDW"));
    EXPECT_EQ(
        contents(),
        QByteArray("[Options]\nSysPath=/v/\nDBName=a.db\nSystemDB=/v/HUB000.MDW\n\n[X]\nk=v\n"));

    const QString q = file("[X]\r\nk=v");
    ASSERT_TRUE(Profile(q).write("Options", "SystemDB", "s"));
    EXPECT_EQ(contents(), QByteArray("[X]\r\nk=v\r\n[Options]\r\nSystemDB=s\r\n"));
}

// A write that fails part-way (a file size limit: no root needed; a full disk where the machine
// lets a test mount one) leaves the profile as it was.
TEST_F(ProfileTest, AWriteThatFailsLeavesTheOldProfile) {
    const QByteArray before = "[Options]\r\nSysPath=/v/\r\nDBPath=/v/\r\nDBName=HUB000.db\r\n"
                              "SysUser=CONTADOR\r\nSystemDB=/v/HUB000.MDW\r\n";
    {
        const QString p = file(before);
        test::FileSizeLimit limit(16);
        EXPECT_FALSE(Profile(p).write("Options", "SystemDB", "/w/HUB000.MDW"));
    }
    EXPECT_EQ(contents(), before);

    test::SmallDisk disk(path("disco"));
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QString p = path("disco/HUB000.INI");
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(Profile(p).write("Options", "SystemDB", "/w/HUB000.MDW"));
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(ProfileTest, DefaultLocationFollowsTheEnvironment) {
    qputenv("HUB000_INI", "/somewhere/HUB000.INI");
    EXPECT_EQ(Profile::defaultLocation(), "/somewhere/HUB000.INI");
    qunsetenv("HUB000_INI");
    EXPECT_TRUE(Profile::defaultLocation().endsWith("/.config/velkar/HUB000.INI"));
}
