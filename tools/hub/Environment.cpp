#include "tools/hub/Environment.h"

#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Profile.h"
#include "common/Schema.h"
#include "common/WholeFile.h"
#include "tools/hub/SampleData.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace ret::hub {
namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    return !writeWholeFile(path, bytes);
}

QString profileText(const QString& sysPath, const QString& user, const QString& server) {
    QString text =
        QStringLiteral("[Options]\r\nSysPath=%1\r\nDBPath=%1\r\nDBName=%2\r\nSysUser=%3\r\n")
            .arg(sysPath, kDatabaseName, user);
    if (!server.isEmpty())
        text += QStringLiteral("DBServer=%1\r\n").arg(server);
    return text;
}

// The server's database, emptied of an earlier environment's tables when replacing it; null
// (with the reason told) when it holds one and replacing was not asked for.
std::unique_ptr<Database> serverDatabase(const InitOptions& o, QTextStream& err) {
    auto db = Database::openServer(o.server);
    const QStringList tables = db->tableNames();
    if (tables.isEmpty())
        return db;
    if (!o.force) {
        err << "hub: the server database " << o.server
            << " already holds tables; use --force to replace the environment\n";
        return nullptr;
    }
    Transaction tx(*db);
    for (const QString& t : tables)
        db->execute(QStringLiteral("DROP TABLE ") + t);
    tx.commit();
    return db;
}

void createIntegratorTables(Database& db) {
    for (const TableDef& t : integratorTables()) {
        for (const QString& sql : db.dialect().createTable(t))
            db.execute(sql);
    }
}

void insertSampleRows(Database& db, const QString& user) {
    for (const SampleRow& row : sampleRows(user)) {
        QVariantList values;
        QStringList marks;
        for (const QString& v : row.values) {
            values << v;
            marks << QStringLiteral("?");
        }
        db.execute(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(row.table, marks.join(',')),
                   values);
    }
}

bool hasContent(const QString& dir) {
    return !QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

} // namespace

bool prepareEnvironment(const InitOptions& o, QTextStream& err) {
    const QString dir = QDir::cleanPath(QDir(o.directory).absolutePath());
    const QString dbPath = dir + QLatin1Char('/') + kDatabaseName;
    if (!o.force && (hasContent(dir) || QFileInfo::exists(o.profilePath))) {
        err << "hub: " << (hasContent(dir) ? dir : o.profilePath)
            << " already exists; use --force to replace the environment\n";
        return false;
    }
    if (o.force) {
        for (const QString& f : {dbPath, dbPath + "-wal", dbPath + "-shm"})
            QFile::remove(f);
    }
    for (const char* sub : {"0947", "RPT", "TMP", "import"}) {
        if (!QDir().mkpath(dir + QLatin1Char('/') + QLatin1String(sub))) {
            err << "hub: cannot create " << dir << '/' << sub << '\n';
            return false;
        }
    }
    if (!writeFile(dir + QStringLiteral("/TMP/env947.txt"), sendingCatalogue())) {
        err << "hub: cannot write the sending catalogue\n";
        return false;
    }
    if (!writeFile(dir + QStringLiteral("/import/") + kSampleImportName, sampleImportFile())) {
        err << "hub: cannot write the sample import file\n";
        return false;
    }
    try {
        auto db = o.server.isEmpty() ? Database::create(dbPath) : serverDatabase(o, err);
        if (!db)
            return false;
        Transaction tx(*db);
        createIntegratorTables(*db);
        insertSampleRows(*db, o.user);
        tx.commit();
    } catch (const DbError& e) {
        err << "hub: database " << (o.server.isEmpty() ? dbPath : o.server) << ": " << e.text()
            << '\n';
        return false;
    }
    QDir().mkpath(QFileInfo(o.profilePath).absolutePath());
    if (!writeFile(o.profilePath,
                   cp1252::encode(profileText(dir + QLatin1Char('/'), o.user, o.server)))) {
        err << "hub: cannot write " << o.profilePath << '\n';
        return false;
    }
    return true;
}

QString prepareSampleEnvironment(const QString& root, const QString& user, const QString& server) {
    InitOptions o;
    o.server = server;
    o.directory = root + QStringLiteral("/velkar");
    o.profilePath = root + QStringLiteral("/HUB000.INI");
    o.user = user;
    QString why;
    QTextStream err(&why);
    if (!prepareEnvironment(o, err) && why.isEmpty())
        why = QStringLiteral("the environment could not be prepared");
    return why;
}

int initEnvironment(const InitOptions& o, QTextStream& out, QTextStream& err) {
    if (!prepareEnvironment(o, err))
        return 1;

    QProcess setup;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HUB000_INI"), o.profilePath);
    setup.setProcessEnvironment(env);
    setup.setProcessChannelMode(QProcess::ForwardedChannels);
    setup.start(o.retsetupPath, {});
    if (!setup.waitForStarted() || !setup.waitForFinished(-1) ||
        setup.exitStatus() != QProcess::NormalExit) {
        err << "hub: could not run " << o.retsetupPath << '\n';
        return 1;
    }
    if (setup.exitCode() != 0) {
        err << "hub: retsetup ended with code " << setup.exitCode() << '\n';
        return 1;
    }
    const QString dir = QDir::cleanPath(QDir(o.directory).absolutePath());
    out << "Environment ready in " << dir << "\n  profile:  " << o.profilePath << "\n  database: "
        << (o.server.isEmpty() ? dir + QLatin1Char('/') + kDatabaseName : o.server)
        << "\n  user:     " << o.user << '\n';
    return 0;
}

} // namespace ret::hub
