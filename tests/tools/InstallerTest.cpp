#include "tools/retsetup/Installer.h"

#include "common/Schema.h"
#include "common/SchemaVersion.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Catalogue.h"
#include "tools/retsetup/HelpPages.h"

#include "common/ChangeRecord.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"
#include "tests/support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

using namespace ret;

namespace {

class InstallerTest : public test::OnEachEngine<test::EnvironmentTest> {
protected:
    void SetUp() override { layOut("ANA"); }
    int install() {
        setup::Installer installer(Profile(path("HUB000.INI")), messages);
        return installer.run();
    }
    int count(const QString& sql, const QVariantList& params = {}) {
        return open()->scalar(sql, params)->toInt();
    }
    void writeCatalogue(const QByteArray& bytes) { writeFile("velkar/TMP/env947.txt", bytes); }
    QStringList texts() const {
        QStringList out;
        for (const auto& m : messages.shown)
            out << m.text;
        return out;
    }
    test::ScriptedMessages messages;
};

RET_ON_BOTH_ENGINES(InstallerTest);

// The name of the table's primary key, as the engine's catalogue keeps it: the file keeps the
// statement that made the table, the server the constraint.
QString primaryKeyName(Database& db, const QString& table) {
    if (db.dialect().engine() == SqlDialect::Engine::Postgres)
        return db
            .scalar("SELECT constraint_name FROM information_schema.table_constraints WHERE "
                    "table_schema = current_schema() AND upper(table_name) = upper(?) AND "
                    "constraint_type = 'PRIMARY KEY'",
                    {table})
            .value_or(QVariant())
            .toString();
    static const QRegularExpression named("CONSTRAINT (\\w+) PRIMARY KEY");
    return named
        .match(db.scalar("SELECT sql FROM sqlite_master WHERE name = ?", {table})
                   .value_or(QVariant())
                   .toString())
        .captured(1);
}

} // namespace

TEST_P(InstallerTest, TwoRunsInstallEverythingOnceAndSayNothing) {
    ASSERT_EQ(install(), 0);
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(texts(), QStringList());

    auto db = open();
    for (const TableDef& t : moduleTables()) {
        SCOPED_TRACE(t.name.toStdString());
        EXPECT_TRUE(db->tableExists(t.name));
        EXPECT_EQ(primaryKeyName(*db, t.name).toUpper(), "PK_" + t.name.toUpper());
    }
    EXPECT_EQ(count("SELECT count(*) FROM (SELECT numero, argumento FROM PARAM GROUP BY "
                    "numero, argumento HAVING count(*) > 1) AS twice"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM PARAM WHERE numero IN ('969', '971', '996', '981', "
                    "'233', '856', '992')"),
              16);
    EXPECT_EQ(count("SELECT count(*) FROM reportes WHERE codrep LIKE 'RYP00_'"), 4);
    EXPECT_EQ(count("SELECT count(*) FROM envio_t WHERE formulario = '0947'"), 5);
    EXPECT_EQ(db->scalar("SELECT funcion FROM PARAM WHERE numero = '971'")->toString(),
              "PROVEEDORES                             1");
}

TEST_P(InstallerTest, ExistingRowsAreUpdatedInPlace) {
    {
        auto db = open();
        db->execute("INSERT INTO PARAM VALUES ('969', '010909120020601', 'old', '999')");
        db->execute(
            "INSERT INTO envio_t VALUES ('0947', 'CAB', 'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0)");
    }
    ASSERT_EQ(install(), 0);
    auto db = open();
    Cursor c = db->query("SELECT funcion, correl_param FROM PARAM WHERE numero = '969'");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text(0), "0 0.06 RETENCIONES");
    EXPECT_EQ(c.text(1), "001");
    EXPECT_FALSE(c.next());
    EXPECT_EQ(db->scalar("SELECT tabla_d || indice FROM envio_t WHERE tabla_o = 'CAB'")->toString(),
              "HCAB1");
}

TEST_P(InstallerTest, WithoutSysPathNothingIsTouched) {
    writeFile("HUB000.INI", "[Options]\r\nDBName=HUB000.db\r\n");
    EXPECT_EQ(install(), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Debe instalar primero el Velkar ");
    EXPECT_EQ(messages.shown[0].title, "Mensaje");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_FALSE(open()->tableExists("F947RPCAB"));
}

TEST_P(InstallerTest, AMissingDatabaseIsNotCreated) {
    environment->removeDatabase();
    EXPECT_EQ(install(), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Error de Conección"));
    EXPECT_FALSE(environment->databaseExists());
}

TEST_P(InstallerTest, CatalogueProblemsAreReportedWithFileAndLine) {
    const QByteArray good = "0947|CAB|HCAB|CAB|1|1|1|2|4|3|5|0|0|\r\n";
    struct Case {
        QByteArray file;
        QString where; // "" when the catalogue loads
        int rows;
    } cases[] = {
        {good + "\r\n" + "0947|DET|HDET|DET|1|1|1|2|4|3|0|0|6|\r\n", "",
         1}, // ends at the blank line
        {good + "0947|DET|HDET|DET|1|1|1|2|4|3|0|0|\r\n", QString::fromUtf8("línea 2"), 0},
        {good + "0947|DET|HDET|DET|1|uno|1|2|4|3|0|0|6|\r\n", QString::fromUtf8("línea 2"), 0},
        {"0947|DET|HDET|DET|1|1|300|2|4|3|0|0|6|\r\n", QString::fromUtf8("línea 1"), 0},
        {QByteArray(), "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        open()->execute("DELETE FROM envio_t");
        writeCatalogue(c.file);
        messages.shown.clear();
        const int rc = install();
        EXPECT_EQ(count("SELECT count(*) FROM envio_t"), c.rows);
        if (c.where.isEmpty()) {
            EXPECT_EQ(rc, 0);
            EXPECT_EQ(texts(), QStringList());
        } else {
            EXPECT_EQ(rc, 1);
            ASSERT_EQ(messages.shown.size(), 1u); // said once, not once per pass
            EXPECT_TRUE(messages.shown[0].text.contains("env947.txt"));
            EXPECT_TRUE(messages.shown[0].text.contains(c.where))
                << messages.shown[0].text.toStdString();
        }
        // the tables and parameter rows are installed all the same
        EXPECT_TRUE(open()->tableExists("TMPF947RPDETDET"));
        EXPECT_EQ(count("SELECT count(*) FROM PARAM WHERE numero = '233'"), 5);
    }
    QFile::remove(path("velkar/TMP/env947.txt"));
    messages.shown.clear();
    EXPECT_EQ(install(), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(path("velkar/TMP/env947.txt")));
}

TEST_P(InstallerTest, AnObjectInTheWayIsAskedAboutAndNeverOverwritten) {
    open()->execute("CREATE VIEW F947RPDET AS SELECT 1 AS uno");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_EQ(install(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& q = messages.shown[0];
    EXPECT_EQ(q.text,
              "Se  detectado que ya existen las tablas del Marvolo\n Desea Sobreescribirlas?");
    EXPECT_EQ(q.title, "Mensaje");
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(count("SELECT uno FROM F947RPDET"), 1); // still the view
    EXPECT_TRUE(open()->tableExists("F947RPDETDET"));
}

TEST_P(InstallerTest, StatementErrorsAreReportedAndTheRunGoesOn) {
    open()->execute("DROP TABLE reportes");
    EXPECT_EQ(install(), 1);
    // each report code of each pass fails on the missing table, and the rest is installed
    ASSERT_EQ(messages.shown.size(), 8u);
    EXPECT_EQ(messages.shown[0].title, "Error al Ejecutar Sentencia SQL");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QString::fromUtf8("Error Número : ")));
    EXPECT_TRUE(open()->tableExists("HF947RPDET"));
    EXPECT_EQ(count("SELECT count(*) FROM envio_t"), 5);
}

// The installer puts this version's help in 0947/ayuda/, over the pages of an older one; a
// folder it cannot write is told and fails the run, with the tables installed all the same.
TEST_P(InstallerTest, TheHelpGoesIntoTheModulesDirectory) {
    QDir().mkpath(path("velkar/0947/ayuda"));
    writeFile("velkar/0947/ayuda/index.html", "old");
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(readFile("velkar/0947/ayuda/index.html"), setup::helpPage("index.html"));
    const QStringList pages = setup::helpPageNames();
    EXPECT_TRUE(pages.contains("1020.html") && pages.contains("1102.html") &&
                pages.contains("ayuda.css"));
    for (const QString& p : pages)
        EXPECT_TRUE(QFileInfo::exists(path("velkar/0947/ayuda/" + p))) << p.toStdString();

    QDir(path("velkar/0947/ayuda")).removeRecursively();
    writeFile("velkar/0947/ayuda", "a file where the folder goes");
    EXPECT_EQ(install(), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("No se pudo grabar el archivo"))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(open()->tableExists("F947RPCAB"));
}

// An environment made before the record of changes existed gets it from the installer, with
// every declaration it holds kept, and the record takes no change but additions.
TEST_P(InstallerTest, AnEarlierEnvironmentGetsTheRecordAndKeepsItsDeclarations) {
    ASSERT_EQ(install(), 0);
    {
        auto db = open();
        test::SampleDeclaration sample(*db);
        for (const TableDef& t : recordTables())
            db->execute("DROP TABLE " + t.name);
        db->execute("DROP TABLE F947ESQUEMA");
        ASSERT_EQ(storedSchemaVersion(*db), 1);
    }
    ASSERT_EQ(count("SELECT count(*) FROM CAB"), 1);
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(storedSchemaVersion(*open()), kSchemaVersion);
    // the earlier tables were backed up before they changed (on a server, pg_dump's archive)
    const QStringList backups = QDir(path("velkar/0947/respaldos")).entryList(QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(backups[0].endsWith(engine() == test::Engine::Sqlite ? ".db" : ".dump"));
    if (engine() == test::Engine::Sqlite) {
        OpenOptions readOnly;
        readOnly.readOnly = true;
        auto before = Database::open(path("velkar/0947/respaldos/") + backups[0], readOnly);
        EXPECT_EQ(storedSchemaVersion(*before), 1);
        EXPECT_EQ(before->scalar("SELECT count(*) FROM CAB")->toInt(), 1);
    }
    EXPECT_EQ(texts(), QStringList());
    auto db = open();
    for (const TableDef& t : recordTables())
        EXPECT_TRUE(db->tableExists(t.name)) << t.name.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET"), 3);
    // a declaration stored before versions were kept has version 0, and its next save is 1
    EXPECT_EQ(storedVersion(*db, {"20100070970", "201007"}).version, 0);
    db->execute("INSERT INTO F947BITACORA (num_entrada, fec_hora, accion, tip_doc_d, doc_id_d, "
                "periodo, formulario, version) VALUES (1, ?, 'x', 6, '1', '201007', '0947', 1)",
                {QDateTime(QDate(2010, 8, 5), QTime(10, 0))});
    for (const char* sql : {"UPDATE F947BITACORA SET accion = 'y'", "DELETE FROM F947BITACORA"})
        EXPECT_THROW(db->execute(QString::fromLatin1(sql)), DbError) << sql;
    EXPECT_EQ(count("SELECT count(*) FROM F947BITACORA WHERE accion = 'x'"), 1);
}

// On a server, the role the programs work with may read and add to the record, never change or
// remove its entries, even when it was given every right on every table before the installer
// ran; the owner is refused by the record's own rule.
TEST_P(InstallerTest, OnAServerTheWorkingRoleMayOnlyReadAndAddToTheRecord) {
    if (engine() != test::Engine::Postgres)
        GTEST_SKIP() << "roles are the server's";
    if (!ready())
        return;
    const QString role =
        "ret_trabajo_" + QUuid::createUuid().toString(QUuid::Id128).left(12).toLower();
    auto owner = open();
    owner->execute("CREATE ROLE " + role + " LOGIN");
    struct DropRole {
        Database& db;
        QString role;
        ~DropRole() {
            try {
                db.execute("DROP OWNED BY " + role);
                db.execute("DROP ROLE " + role);
            } catch (const DbError&) {
                // the test server goes at the end of the run, roles and all
            }
        }
    } dropRole{*owner, role};
    // the office's set-up: the tables made by the installer, every right on them given to the
    // working role, and the installer run again
    ASSERT_EQ(install(), 0);
    owner->execute("GRANT SELECT, INSERT, UPDATE, DELETE, TRUNCATE ON ALL TABLES IN SCHEMA "
                   "public TO " +
                   role);
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(texts(), QStringList());

    auto worker = Database::openServer(environment->server() + " user=" + role);
    worker->execute("INSERT INTO F947BITACORA (num_entrada, fec_hora, accion, tip_doc_d, doc_id_d, "
                    "periodo, formulario, version) VALUES (1, ?, 'x', 6, '1', '201007', '0947', 1)",
                    {QDateTime(QDate(2010, 8, 5), QTime(10, 0))});
    EXPECT_EQ(worker->scalar("SELECT count(*) FROM F947BITACORA")->toInt(), 1);
    for (const char* sql : {"UPDATE F947BITACORA SET accion = 'y'", "DELETE FROM F947BITACORA",
                            "TRUNCATE F947BITACORA"}) {
        try {
            worker->execute(QString::fromLatin1(sql));
            ADD_FAILURE() << sql << " was allowed";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), dberr::NoPermission) << sql;
        }
    }
    // the rest of the module's tables stay the working role's to change
    worker->execute("DELETE FROM F947VERSION");
    try {
        owner->execute("DELETE FROM F947BITACORA");
        ADD_FAILURE() << "the owner deleted an entry";
    } catch (const DbError& e) {
        EXPECT_EQ(e.description(), setup::kRecordRefusal);
    }
    EXPECT_EQ(count("SELECT count(*) FROM F947BITACORA"), 1);
}

// The version of the module's tables: this program's on a new database; a newer one refused by
// the installer, which changes nothing, and by the other programs; an older one refused by the
// other programs until the installer has brought it along.
TEST_P(InstallerTest, TheTablesVersionIsKeptAndChecked) {
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(storedSchemaVersion(*open()), kSchemaVersion);
    const Profile profile(path("HUB000.INI"));
    const Configuration config = ReadConfiguration(Deliverable::MainProgram, profile);
    EXPECT_NE(OpenSharedDatabase(Deliverable::MainProgram, config, profile, messages), nullptr);

    {
        auto db = open();
        writeSchemaVersion(*db, kSchemaVersion + 1);
        db->execute("UPDATE PARAM SET funcion = 'de la version nueva' WHERE numero = '971'");
    }
    messages.shown.clear();
    EXPECT_EQ(install(), 1);
    ASSERT_EQ(messages.shown.size(), 1u) << texts().join('|').toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains(
        QString::fromUtf8("fue creada por una versión más reciente del módulo")))
        << messages.shown[0].text.toStdString();
    EXPECT_EQ(open()->scalar("SELECT funcion FROM PARAM WHERE numero = '971'")->toString(),
              "de la version nueva");
    EXPECT_EQ(storedSchemaVersion(*open()), kSchemaVersion + 1);
    messages.shown.clear();
    EXPECT_EQ(OpenSharedDatabase(Deliverable::MainProgram, config, profile, messages), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QString::fromUtf8("más reciente")));

    writeSchemaVersion(*open(), 1);
    messages.shown.clear();
    EXPECT_EQ(OpenSharedDatabase(Deliverable::SendCheck, config, profile, messages), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains("Ejecute el instalador del módulo (retsetup)"))
        << messages.shown[0].text.toStdString();
    ASSERT_EQ(install(), 0);
    EXPECT_EQ(storedSchemaVersion(*open()), kSchemaVersion);
}

// The mechanism, with a step made for the test: each step in one transaction with its version;
// a step that fails halfway leaves the version and the tables as they were.
TEST_P(InstallerTest, UpgradeStepsRunInOrderAndAFailedStepChangesNothing) {
    ASSERT_EQ(install(), 0);
    auto db = open();
    db->execute("INSERT INTO F947VERSION VALUES (6, '20100070970', '201007', '0947', '', 4)");
    std::vector<SchemaStep> steps = schemaSteps();
    steps.push_back({kSchemaVersion + 1, [](Database& d) {
                         d.execute("ALTER TABLE F947VERSION ADD COLUMN nota VARCHAR(20)");
                         d.execute("UPDATE F947VERSION SET nota = 'v' || version");
                     }});
    std::vector<SchemaStep> failing = steps;
    failing.push_back({kSchemaVersion + 2, [](Database& d) {
                           d.execute("ALTER TABLE F947VERSION ADD COLUMN otra VARCHAR(20)");
                           d.execute("UPDATE F947VERSION SET otra = 'x'");
                           d.execute("INSERT INTO tabla_que_no_existe VALUES (1)");
                       }});

    EXPECT_THROW(upgradeSchema(*db, failing), DbError);
    // the step before the failed one stays, the failed one is wholly undone
    EXPECT_EQ(storedSchemaVersion(*db), kSchemaVersion + 1);
    EXPECT_EQ(db->scalar("SELECT nota FROM F947VERSION")->toString(), "v4");
    EXPECT_THROW(db->scalar("SELECT otra FROM F947VERSION"), DbError);
    EXPECT_EQ(upgradeSchema(*db, steps), kSchemaVersion + 1); // nothing left to do
}
