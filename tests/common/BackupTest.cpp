// Backups of the database file: the engine's online backup, proven before it counts.
#include "common/Backup.h"
#include "common/ServerBackup.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QFile>
#include <QProcess>

namespace ret::test {
namespace {

class BackupTest : public SampleEnvironmentTest {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        SampleDeclaration sample(*db);
    }
    // Each shared table's rows (not the session's staging copies of the same names).
    std::map<QString, qint64> counts(Database& of) {
        std::map<QString, qint64> out;
        for (const QString& t : of.tableNames())
            out[t] = of.scalar("SELECT count(*) FROM main." + t)->toLongLong();
        return out;
    }
    // A proven backup to damage.
    QString goodBackup() {
        const BackupOutcome made = backupDatabase(*db, path("copia.db"));
        EXPECT_TRUE(made.ok()) << made.problem.toStdString();
        return made.file;
    }
};

TEST_F(BackupTest, ABackupIsAProvenCopyOfEveryTable) {
    const QString target = path("respaldos/HUB000-20261211-100000.db");
    const BackupOutcome made = backupDatabase(*db, target);
    ASSERT_TRUE(made.ok()) << made.problem.toStdString();
    EXPECT_EQ(made.file, target);
    EXPECT_GT(made.rows, 0);
    EXPECT_FALSE(QFile::exists(target + "-wal"));
    OpenOptions readOnly;
    readOnly.readOnly = true;
    auto copy = Database::open(target, readOnly);
    EXPECT_EQ(counts(*copy), counts(*db));
    EXPECT_EQ(copy->scalar("PRAGMA journal_mode")->toString(), "delete");
    EXPECT_EQ(copy->scalar("SELECT i_valor FROM DET WHERE casilla = '401'")->toString(), "72");
    EXPECT_TRUE(proveBackup(target, counts(*db)).ok());
    EXPECT_EQ(QDir(path("respaldos")).entryList(QDir::Files),
              QStringList{"HUB000-20261211-100000.db"});
}

TEST_F(BackupTest, ABackupIsNeverWrittenOverAFile) {
    writeFile("copia.db", "lo que ya estaba");
    const BackupOutcome made = backupDatabase(*db, path("copia.db"));
    EXPECT_FALSE(made.ok());
    EXPECT_TRUE(made.problem.contains("ya existe el archivo")) << made.problem.toStdString();
    EXPECT_EQ(readFile("copia.db"), "lo que ya estaba");
}

// The copy is one stored state: a change another program has not committed is not in it.
TEST_F(BackupTest, ABackupTakenWhileAnotherProgramWritesHoldsOneStoredState) {
    auto other = open();
    Transaction tx(*other);
    other->execute("DELETE FROM F947RPDETDET");
    const QString file = goodBackup();
    tx.commit();
    OpenOptions readOnly;
    readOnly.readOnly = true;
    EXPECT_EQ(Database::open(file, readOnly)->scalar("SELECT count(*) FROM F947RPDETDET")->toInt(),
              3);
}

TEST_F(BackupTest, ADamagedBackupFailsItsProofAndIsNamed) {
    const std::map<QString, qint64> expected = counts(*db);
    const struct {
        const char* what;
        std::function<void(const QString&)> damage;
        const char* named;
    } cases[] = {
        {"a value changed in a row",
         [](const QString& f) {
             Database::open(f)->execute("UPDATE DET SET i_valor = '73' WHERE casilla = '401'");
         },
         "de la tabla DET no tiene el valor de control"},
        {"a table emptied",
         [](const QString& f) { Database::open(f)->execute("DELETE FROM F947RPDETDET"); },
         "la tabla F947RPDETDET tiene 0 filas en lugar de 3"},
        {"cut short",
         [](const QString& f) {
             QFile file(f);
             ASSERT_TRUE(file.resize(file.size() / 2));
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path("copia.db"));
        const QString file = goodBackup();
        c.damage(file);
        const BackupProof proof = proveBackup(file, expected);
        EXPECT_FALSE(proof.ok());
        EXPECT_TRUE(proof.problem.contains(QString::fromUtf8(c.named)))
            << proof.problem.toStdString();
    }
}

TEST_F(BackupTest, TheCommandWritesIntoTheFolderOfBackups) {
    QString output;
    QTextStream out(&output);
    EXPECT_EQ(runBackupCommand({}, Profile(environment->profilePath()), messages, out), 0);
    out.flush();
    const QStringList made = QDir(path("velkar/0947/respaldos")).entryList(QDir::Files);
    ASSERT_EQ(made.size(), 1) << output.toStdString() << texts().join('|').toStdString();
    EXPECT_TRUE(QRegularExpression("^HUB000-\\d{8}-\\d{6}\\.db$").match(made[0]).hasMatch());
    EXPECT_TRUE(output.startsWith("Copia: ")) << output.toStdString();
    EXPECT_EQ(runBackupCommand({"a", "b"}, Profile(environment->profilePath()), messages, out), 2);
}

// The day's backup: one a day, the oldest beyond what the profile keeps going first, and a
// failure told once, stopping nothing.
TEST_F(BackupTest, TheDaysBackupIsMadeOnceADayAndTheOldestGo) {
    const QString folder = path("velkar/0947/respaldos");
    const QDateTime morning(QDate(2026, 12, 11), QTime(8, 0));
    EXPECT_EQ(dailyBackup(*db, session.config, morning), std::nullopt);
    EXPECT_EQ(dailyBackup(*db, session.config, morning.addSecs(3600)), std::nullopt);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"HUB000-20261211-080000.db"});

    for (const char* old : {"HUB000-20261101-090000.db", "HUB000-20261102-090000.db"})
        writeFile(QStringLiteral("velkar/0947/respaldos/") + old, "antigua");
    Configuration config = session.config;
    config.backupsKept = "2";
    EXPECT_EQ(dailyBackup(*db, config, morning.addDays(1)), std::nullopt);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              QStringList({"HUB000-20261211-080000.db", "HUB000-20261212-080000.db"}));
    EXPECT_EQ(backupsKept(session.config), 30);

    QDir(folder).removeRecursively();
    writeFile("velkar/0947/respaldos", "un archivo donde iría la carpeta");
    const auto failed = dailyBackup(*db, session.config, morning);
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(failed->startsWith(QString::fromUtf8(
        "La copia de seguridad automática del día no se hizo; puede seguir trabajando. No se "
        "hizo la copia de seguridad: no se pudo crear la carpeta")))
        << failed->toStdString();
}

// A restore: refused while another program has the database open and for a backup that fails
// its proof, both leaving everything as it was; otherwise the database is kept as a backup first
// and the backup takes its place, and the programs work on it.
TEST_F(BackupTest, ARestorePutsAProvenBackupInPlaceOnlyWhenNobodyUsesTheDatabase) {
    const QString file = goodBackup();
    db->execute("DELETE FROM DET");
    const auto rows = [&](Database& of) { return of.scalar("SELECT count(*) FROM DET")->toInt(); };

    RestoreOutcome r = restoreDatabase(session.config, file);
    EXPECT_FALSE(r.restored);
    EXPECT_TRUE(r.text.contains("otro programa usa la base de datos")) << r.text.toStdString();
    EXPECT_EQ(rows(*db), 0);

    session.db = nullptr;
    db.reset();
    writeFile("falsa.db", "esto no es una copia");
    r = restoreDatabase(session.config, path("falsa.db"));
    EXPECT_FALSE(r.restored);
    EXPECT_TRUE(r.text.startsWith(QString::fromUtf8("No se restauró la copia: ")))
        << r.text.toStdString();
    EXPECT_EQ(rows(*open()), 0);

    r = restoreDatabase(session.config, file);
    ASSERT_TRUE(r.restored) << r.text.toStdString();
    EXPECT_FALSE(QFile::exists(session.config.databasePath + "-wal"));
    const Profile profile(environment->profilePath());
    auto reopened = OpenSharedDatabase(Deliverable::MainProgram, session.config, profile, messages);
    ASSERT_NE(reopened, nullptr) << texts().join('|').toStdString();
    EXPECT_EQ(rows(*reopened), 21);
    OpenOptions readOnly;
    readOnly.readOnly = true;
    EXPECT_EQ(rows(*Database::open(r.keptAs, readOnly)), 0) << "the database before the restore";
    // the restored database takes saves as any other, and knows what it held
    SaveInput other;
    other.id.ruc = "20512345671";
    other.id.period = "201007";
    EXPECT_TRUE(saveDeclaration(*reopened, other, QDate(2010, 8, 5)).stored.registered);
    SaveInput same = other;
    same.id.ruc = "20100070970";
    EXPECT_THROW(saveDeclaration(*reopened, same, QDate(2010, 8, 5)), ConflictError);
}

} // namespace
} // namespace ret::test

namespace ret::test {
namespace {

// A server's database: pg_dump's archive of one snapshot, proven by pg_restore's reading of it
// (rows counted, check values recomputed) before it counts, and restorable into a new database.
class ServerBackupTest : public OnEachEngine<SampleEnvironmentTest> {
protected:
    void SetUp() override {
        if (GetParam() != Engine::Postgres)
            GTEST_SKIP() << "the file's backups are BackupTest's";
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        SampleDeclaration sample(*db);
    }
};

TEST_P(ServerBackupTest, APgDumpArchiveIsProvenAndRestores) {
    const BackupTold told = makeBackup(*db, session.config);
    ASSERT_TRUE(told.made) << told.text.toStdString();
    EXPECT_TRUE(told.file.endsWith(".dump"));
    EXPECT_GT(told.rows, 0);

    const QString scratch = createServerDatabase();
    const QString scratchDb = qEnvironmentVariable("RET_TEST_PG") + " dbname=" + scratch;
    QProcess restore;
    restore.start("pg_restore", {"--no-owner", "--dbname=" + scratchDb, told.file});
    ASSERT_TRUE(restore.waitForFinished(60000));
    EXPECT_EQ(restore.exitCode(), 0) << restore.readAllStandardError().toStdString();
    auto restored = Database::openServer(scratchDb);
    EXPECT_EQ(restored->scalar("SELECT count(*) FROM F947RPDETDET")->toInt(), 3);
    EXPECT_EQ(restored->scalar("SELECT i_valor FROM DET WHERE casilla = '401'")->toString(), "72");
    restored.reset();
    Database::openServer(qEnvironmentVariable("RET_TEST_PG"))
        ->execute("DROP DATABASE " + scratch + " WITH (FORCE)");

    // the proof counts the snapshot's rows, and a damaged archive is refused
    std::map<QString, qint64> more = {{"f947rpdetdet", 4}};
    EXPECT_TRUE(proveServerBackup(told.file, more)
                    .problem.contains("la tabla f947rpdetdet tiene 3 filas en lugar de 4"));
    QFile f(told.file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray bytes = f.readAll();
    f.seek(0);
    f.write(bytes.left(bytes.size() / 2));
    f.resize(bytes.size() / 2);
    f.close();
    EXPECT_FALSE(proveServerBackup(told.file, {}).ok());
}

// A server's restore: refused while another session uses the database; otherwise the archive
// is restored into a new database that takes the old one's name, the old one kept under
// another name and as an archive.
TEST_P(ServerBackupTest, ARestoreReplacesTheDatabaseOnlyWhenNobodyUsesIt) {
    const BackupTold told = makeBackup(*db, session.config);
    ASSERT_TRUE(told.made) << told.text.toStdString();
    db->execute("DELETE FROM DET");

    RestoreOutcome r = restoreDatabase(session.config, told.file);
    EXPECT_FALSE(r.restored);
    EXPECT_TRUE(r.text.contains("otros programas usan la base de datos")) << r.text.toStdString();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM DET")->toInt(), 0);

    const QString name = db->scalar("SELECT current_database()")->toString();
    session.db = nullptr;
    db.reset();
    r = restoreDatabase(session.config, told.file);
    ASSERT_TRUE(r.restored) << r.text.toStdString();
    const Profile profile(environment->profilePath());
    auto reopened = OpenSharedDatabase(Deliverable::MainProgram, session.config, profile, messages);
    ASSERT_NE(reopened, nullptr) << texts().join('|').toStdString();
    EXPECT_EQ(reopened->scalar("SELECT count(*) FROM DET")->toInt(), 21);
    EXPECT_TRUE(QFile::exists(r.keptAs));
    reopened.reset();
    auto server = Database::openServer(qEnvironmentVariable("RET_TEST_PG"));
    const auto old = server->scalar("SELECT datname FROM pg_database WHERE datname LIKE ?",
                                    {name + "_anterior_%"});
    ASSERT_TRUE(old.has_value());
    server->execute("DROP DATABASE " + old->toString() + " WITH (FORCE)");
}

RET_ON_BOTH_ENGINES(ServerBackupTest);

} // namespace
} // namespace ret::test
