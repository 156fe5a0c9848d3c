#include "app/MainProgram.h"
#include "app/MainMenu.h"
#include "common/SchemaVersion.h"
#include "tools/hub/Environment.h"

#include "common/Database.h"
#include "common/Profile.h"
#include "common/Schema.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QSqlDatabase>

using namespace ret;
using namespace ret::test;

namespace {

class MainProgramTest : public TempDirTest {
protected:
    void SetUp() override {
        ASSERT_EQ(hub::prepareSampleEnvironment(tmp.path(), "CONTADOR"), QString());
        // the module installed: the program refuses a database without its tables
        auto db = Database::open(path("velkar/HUB000.db"));
        for (const TableDef& t : moduleTables())
            for (const QString& sql : db->dialect().createTable(t))
                db->execute(sql);
        upgradeSchema(*db); // at this program's version, as the installer leaves them
    }
    // loading enters the system directory
    void TearDown() override { QDir::setCurrent(startDirectory); }

    const QString startDirectory = QDir::currentPath();
    ScriptedMessages messages;
    MainProgram program{messages};
};

} // namespace

TEST_F(MainProgramTest, StartChecksStopAtTheFirstThatFails) {
    struct Case {
        bool integrator;
        bool firstCopy;
        std::vector<Message> said;
        int copyChecks;
    };
    const Case cases[] = {
        {false,
         true,
         {{MsgIcon::Critical, "Debe ejecutar este módulo desde el Integrador del Velkar.",
           "Error al ejecutar el módulo"}},
         0},
        {true,
         false,
         {{MsgIcon::Information, "La Aplicación ya se encuentra en ejecución.", "Tessaly"}},
         1},
        {true, true, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.integrator * 10 + c.firstCopy);
        messages.shown.clear();
        int copyChecks = 0;
        const bool go = program.passStartChecks([&] { return c.integrator; },
                                                [&] {
                                                    ++copyChecks;
                                                    return c.firstCopy;
                                                });
        EXPECT_EQ(go, c.integrator && c.firstCopy);
        EXPECT_EQ(copyChecks, c.copyChecks); // no lock is taken without the integrator
        ASSERT_EQ(messages.shown.size(), c.said.size());
        for (size_t i = 0; i < c.said.size(); ++i) {
            EXPECT_EQ(messages.shown[i].icon, c.said[i].icon);
            EXPECT_EQ(messages.shown[i].text, c.said[i].text);
            EXPECT_EQ(messages.shown[i].title, c.said[i].title);
        }
    }
}

TEST_F(MainProgramTest, LoadingOpensTheSharedDatabaseAndSetsTheStart) {
    Session& s = program.session();
    ASSERT_NE(s.rules, nullptr);
    int shown = 0;
    s.statusChanged = [&] { ++shown; };
    ASSERT_TRUE(program.load(Profile(path("HUB000.INI"))));

    EXPECT_TRUE(messages.shown.empty());
    ASSERT_NE(s.db, nullptr);
    EXPECT_EQ(s.db->scalar("SELECT count(*) FROM CONT WHERE usuario=?", {"CONTADOR"})->toInt(), 3);
    EXPECT_EQ(s.config.currentUser, "CONTADOR");
    EXPECT_EQ(QDir::cleanPath(s.config.helpFile), QDir::cleanPath(path("velkar/0947/retdecl.hlp")));
    EXPECT_EQ(QDir::currentPath(), QDir(path("velkar")).canonicalPath());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s.status.form, "0947");
    EXPECT_TRUE(s.status.ruc.isEmpty() && s.status.name.isEmpty() && s.status.period.isEmpty());
    EXPECT_TRUE(Profile(path("HUB000.INI")).read("Options", "SystemDB").endsWith("HUB000.MDW"));
}

// The day's first start makes the day's backup; the menu's entry makes another on demand.
TEST_F(MainProgramTest, TheFirstStartOfTheDayBacksUpAndTheMenuBacksUpOnDemand) {
    ASSERT_TRUE(program.load(Profile(path("HUB000.INI"))));
    EXPECT_TRUE(messages.shown.empty());
    const QDir folder(path("velkar/0947/respaldos"));
    ASSERT_EQ(folder.entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(folder.entryList(QDir::Files)[0].startsWith(
        "HUB000-" + QDate::currentDate().toString("yyyyMMdd") + "-"));

    MainMenu menu(program, {[] {}});
    menu.copiaDeSeguridad();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Copia de seguridad");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(messages.shown[0].text.startsWith(
        QString::fromUtf8("Se hizo la copia de seguridad en ") + path("velkar/0947/respaldos/")))
        << messages.shown[0].text.toStdString();
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 2);
}

TEST_F(MainProgramTest, AConnectionFailureEndsTheLoad) {
    QFile::remove(path("velkar/HUB000.db"));
    EXPECT_FALSE(program.load(Profile(path("HUB000.INI"))));
    EXPECT_EQ(program.session().db, nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error de Conección");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::None);
}

TEST_F(MainProgramTest, ExitsCloseTheConnectionAndTheToolbarsAlsoReleasesTheFieldRules) {
    for (const bool toolbar : {false, true}) {
        SCOPED_TRACE(toolbar);
        MainProgram p(messages);
        const qsizetype before = QSqlDatabase::connectionNames().size();
        ASSERT_TRUE(p.load(Profile(path("HUB000.INI"))));
        ASSERT_EQ(QSqlDatabase::connectionNames().size(), before + 1);
        int ended = 0;
        MainMenu menu(p, {[&] {
                          // the connection is gone by the time the program ends
                          EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);
                          ++ended;
                      }});
        toolbar ? menu.toolbarButton(5) : menu.salir();
        EXPECT_EQ(ended, 1);
        EXPECT_EQ(p.session().db, nullptr);
        EXPECT_EQ(p.session().rules == nullptr, toolbar);
    }
}
