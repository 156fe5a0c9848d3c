#include "common/Connection.h"
#include "common/SchemaVersion.h"

#include "common/Schema.h"

#include "tests/support/FullDisk.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>

using namespace ret;

namespace {

class ConnectionTest : public test::TempDirTest {
protected:
    Profile writeProfile(const QByteArray& bytes) {
        return Profile(writeFile("HUB000.INI", bytes));
    }
    QByteArray profileBytes() { return readFile("HUB000.INI"); }
    QByteArray optionsFor(const QString& dbName) {
        const QByteArray dir = (tmp.path() + "/").toUtf8();
        return "[Options]\r\nSysPath=" + dir + "\r\nDBPath=" + dir +
               "\r\nDBName=" + dbName.toUtf8() + "\r\nSysUser=ANA\r\n";
    }
    // A database with the given tables, as the integrator and the installer make them.
    void createDatabase(const QString& name, const std::vector<TableDef>& tables) {
        auto db = Database::create(path(name));
        for (const TableDef& t : tables)
            for (const QString& sql : db->dialect().createTable(t))
                db->execute(sql);
        // the module's tables as the installer leaves them: at this program's version
        upgradeSchema(*db);
    }
    test::ScriptedMessages messages;
};

std::vector<TableDef> allTables() {
    std::vector<TableDef> all = integratorTables();
    all.insert(all.end(), moduleTables().begin(), moduleTables().end());
    return all;
}

} // namespace

TEST_F(ConnectionTest, FailuresShowTheConnectionMessageAndChangeNothing) {
    writeFile("junk.db", "this is not a database, only text");
    struct Case {
        const char* profile;
        QString textStart;
    } cases[] = {
        {"[Other]\r\nSysPath=/x/\r\n", "No se encuentra el archivo"}, // no Options at all
        {"missing", "No se encuentra el archivo"},
        {"junk", "Formato de base de datos no reconocido"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        const QByteArray bytes = QByteArray(c.profile) == "missing" ? optionsFor("missing.db")
                                 : QByteArray(c.profile) == "junk"  ? optionsFor("junk.db")
                                                                    : QByteArray(c.profile);
        const Profile p = writeProfile(bytes);
        messages.shown.clear();
        const auto cfg = ReadConfiguration(Deliverable::MainProgram, p);
        EXPECT_EQ(OpenSharedDatabase(Deliverable::MainProgram, cfg, p, messages), nullptr);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Error de Conección"));
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::None);
        EXPECT_TRUE(messages.shown[0].text.startsWith(c.textStart))
            << messages.shown[0].text.toStdString();
        EXPECT_EQ(profileBytes(), bytes); // SystemDB is not written for a failed start
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing.db")));
}

TEST_F(ConnectionTest, LockedMessagesPerProgram) {
    const DbError locked(dberr::Locked, "held");
    EXPECT_EQ(connectionMessage(Deliverable::MainProgram, locked), "3051- Base esta bloqueda");
    EXPECT_EQ(connectionMessage(Deliverable::SendCheck, locked), "3051- Base esta bloqueda");
    EXPECT_EQ(connectionMessage(Deliverable::Installer, locked),
              "3051- Base de datos esta bloqueda");
    EXPECT_EQ(connectionMessage(Deliverable::MainProgram, DbError(3343, "malo")), "malo\n3343");
}

TEST_F(ConnectionTest, SuccessRecordsSystemDbForTheMainProgramAndTheCheckToolOnly) {
    createDatabase("HUB000.db", allTables());
    struct Case {
        Deliverable who;
        bool writes;
    } cases[] = {{Deliverable::MainProgram, true},
                 {Deliverable::SendCheck, true},
                 {Deliverable::SendSummary, false},
                 {Deliverable::Installer, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.who));
        const QByteArray before = optionsFor("HUB000.db");
        const Profile p = writeProfile(before);
        const auto cfg = ReadConfiguration(c.who, p);
        EXPECT_NE(OpenSharedDatabase(c.who, cfg, p, messages), nullptr);
        // the new key goes after the section's last key; nothing else changes
        const QByteArray expected =
            c.writes ? before + "SystemDB=" + (tmp.path() + "/HUB000.MDW").toUtf8() + "\r\n"
                     : before;
        EXPECT_EQ(profileBytes(), expected);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConnectionTest, AFileThatIsNotTheSharedDatabaseIsRefusedAsDamagedAndLeftAsItWas) {
    writeFile("empty.db", QByteArray());
    Database::create(path("bare.db"))->execute("CREATE TABLE otra (x TEXT)");
    createDatabase("integrator.db", integratorTables()); // the module not installed
    struct Case {
        const char* file;
        Deliverable who;
    } cases[] = {
        {"empty.db", Deliverable::MainProgram},    {"empty.db", Deliverable::SendCheck},
        {"empty.db", Deliverable::Installer},      {"bare.db", Deliverable::SendSummary},
        {"bare.db", Deliverable::Installer},       {"integrator.db", Deliverable::MainProgram},
        {"integrator.db", Deliverable::SendCheck},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(int(c.who)));
        const QByteArray before = readFile(c.file);
        const QByteArray options = optionsFor(c.file);
        const Profile p = writeProfile(options);
        messages.shown.clear();
        EXPECT_EQ(OpenSharedDatabase(c.who, ReadConfiguration(c.who, p), p, messages), nullptr);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  "Formato de base de datos no reconocido '" + path(c.file) + "'.\n3343");
        EXPECT_EQ(readFile(c.file), before);
        EXPECT_FALSE(QFileInfo::exists(path(c.file) + "-wal"));
        EXPECT_EQ(profileBytes(), options);
    }
    // the installer needs only the integrator's tables: it creates the module's
    const Profile p = writeProfile(optionsFor("integrator.db"));
    EXPECT_NE(OpenSharedDatabase(Deliverable::Installer,
                                 ReadConfiguration(Deliverable::Installer, p), p, messages),
              nullptr);
}

// The profile on a full disk: SystemDB cannot be recorded, the profile keeps every byte, and the
// run ends with the connection's message naming the file and the reason.
TEST_F(ConnectionTest, AProfileThatCannotBeWrittenEndsTheRunAndStaysAsItWas) {
    createDatabase("HUB000.db", allTables());
    test::SmallDisk disk(path("perfil"));
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QByteArray before = optionsFor("HUB000.db");
    const QString ini = path("perfil/HUB000.INI");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    ASSERT_TRUE(disk.fill());
    const Profile p(ini);
    const auto cfg = ReadConfiguration(Deliverable::SendCheck, p);
    EXPECT_EQ(OpenSharedDatabase(Deliverable::SendCheck, cfg, p, messages), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Error de Conección"));
    EXPECT_EQ(messages.shown[0].text, "No se pudo grabar el archivo " + ini + ": Disco lleno.\n61");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}
