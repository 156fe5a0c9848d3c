#include "common/Backup.h"

#include "common/BatchSession.h"
#include "common/Configuration.h"
#include "common/Database.h"
#include "common/Messages.h"
#include "common/RowCheck.h"
#include "common/Schema.h"
#include "common/SchemaVersion.h"
#include "common/ServerBackup.h"
#include "common/SingleInstance.h"
#include "common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace ret {
namespace {

// The check values of one table's rows; empty when each is right.
QString wrongCheckValue(Database& db, const TableDef& def, qint64& rows) {
    Cursor c = db.query(QStringLiteral("SELECT * FROM ") + def.name);
    while (c.next()) {
        ++rows;
        if (QString wrong = wrongCheckValueOf(def, typedRow(def, c.record())); !wrong.isEmpty())
            return wrong;
    }
    return {};
}

const TableDef* knownTable(const QString& name) {
    try {
        return &tableDef(name);
    } catch (const std::out_of_range&) {
        return nullptr;
    }
}

// The folder's name for a backup made now; a second backup within the same second gets a
// number after it, never the first one's file.
QString freeBackupPath(const Configuration& config) {
    const QString first = defaultBackupPath(config, QDateTime::currentDateTime());
    const QString suffix = QLatin1Char('.') + QFileInfo(first).suffix();
    QString path = first;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = first.chopped(suffix.size()) + QStringLiteral("-%1").arg(n) + suffix;
    return path;
}

} // namespace

QString wrongCheckValueOf(const TableDef& def, const QVariantList& row) {
    if (row.back().toString() == CalculaCNumero(row, def.checkKeyLength))
        return {};
    // the row by its key, as its first columns show it
    QStringList key;
    for (int i = 0; i < def.checkKeyLength && i < row.size(); ++i)
        key << canonicalValue(row[i]);
    return QString::fromUtf8("la fila %1 de la tabla %2 no tiene el valor de control que le "
                             "corresponde")
        .arg(key.join(QLatin1Char('|')), def.name);
}

QString wrongRowCount(const QString& table, qint64 found, qint64 expected) {
    return QString::fromUtf8("la tabla %1 tiene %2 filas en lugar de %3")
        .arg(table)
        .arg(found)
        .arg(expected);
}

QString defaultBackupPath(const Configuration& config, const QDateTime& at) {
    const QString folder = joinPath(resolveEntry(config.systemDirectory, QStringLiteral("0947")),
                                    QStringLiteral("respaldos"));
    // a server's backup is pg_dump's archive
    const QString suffix =
        config.databaseServer.isEmpty() ? QStringLiteral(".db") : QStringLiteral(".dump");
    return joinPath(
        folder,
        QStringLiteral("HUB000-%1").arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss"))) + suffix);
}

BackupProof proveBackup(const QString& file, const std::map<QString, qint64>& counts) {
    BackupProof proof;
    try {
        OpenOptions options;
        options.readOnly = true;
        auto db = Database::open(file, options);
        const auto check = db->scalar(QStringLiteral("PRAGMA integrity_check"));
        if (!check || check->toString() != QLatin1String("ok")) {
            proof.problem = QString::fromUtf8("el archivo está dañado (%1)")
                                .arg(check ? check->toString() : QString());
            return proof;
        }
        const QStringList tables = db->tableNames();
        for (const auto& [table, expected] : counts) {
            if (!tables.contains(table, Qt::CaseInsensitive)) {
                proof.problem = QString::fromUtf8("falta la tabla %1").arg(table);
                return proof;
            }
            const qint64 found =
                db->scalar(QStringLiteral("SELECT count(*) FROM ") + table)->toLongLong();
            if (found != expected) {
                proof.problem = wrongRowCount(table, found, expected);
                return proof;
            }
            const TableDef* def = knownTable(table);
            if (def == nullptr || def->checkKeyLength == 0) {
                proof.rows += found;
                continue;
            }
            proof.problem = wrongCheckValue(*db, *def, proof.rows);
            if (!proof.ok())
                return proof;
        }
    } catch (const DbError& e) {
        proof.problem = e.description();
    }
    return proof;
}

BackupOutcome backupThroughScratch(const QString& target,
                                   const std::function<BackupProof(const QString& scratch)>& make) {
    BackupOutcome outcome;
    const QFileInfo info(target);
    if (info.exists()) {
        outcome.problem = QString::fromUtf8("ya existe el archivo %1; una copia nunca se "
                                            "escribe sobre otro archivo")
                              .arg(target);
        return outcome;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        outcome.problem =
            QString::fromUtf8("no se pudo crear la carpeta %1").arg(info.absolutePath());
        return outcome;
    }
    const QString scratch = target + QStringLiteral(".%1.tmp").arg(::getpid());
    QFile::remove(scratch);
    try {
        const BackupProof proof = make(scratch);
        outcome.rows = proof.rows;
        outcome.problem = proof.problem;
        if (outcome.ok() && !QFile::rename(scratch, target))
            outcome.problem = QString::fromUtf8("no se pudo poner la copia en %1").arg(target);
    } catch (const DbError& e) {
        outcome.problem = e.description();
    }
    QFile::remove(scratch);
    if (outcome.ok())
        outcome.file = target;
    return outcome;
}

BackupOutcome backupDatabase(Database& db, const QString& target) {
    return backupThroughScratch(target, [&](const QString& scratch) {
        BackupProof proof = proveBackup(scratch, db.backupInto(scratch));
        if (!proof.ok())
            proof.problem = QString::fromUtf8("la copia no pasó su prueba: ") + proof.problem;
        return proof;
    });
}

BackupTold makeBackup(Database& db, const Configuration& config, const QString& target) {
    BackupTold told;
    const QString file = target.isEmpty() ? freeBackupPath(config) : target;
    const BackupOutcome made = db.dialect().engine() == SqlDialect::Engine::Sqlite
                                   ? backupDatabase(db, file)
                                   : serverBackup(db, config.databaseServer, file);
    told.made = made.ok();
    told.file = made.file;
    told.rows = made.rows;
    told.text =
        made.ok() ? QString::fromUtf8("Se hizo la copia de seguridad en %1 (%2 filas comprobadas).")
                        .arg(made.file)
                        .arg(made.rows)
                  : QString::fromUtf8("No se hizo la copia de seguridad: %1.").arg(made.problem);
    return told;
}

int backupsKept(const Configuration& config) {
    bool ok = false;
    const int n = config.backupsKept.toInt(&ok);
    return ok && n > 0 ? n : 30;
}

std::optional<QString> dailyBackup(Database& db, const Configuration& config,
                                   const QDateTime& now) {
    if (db.dialect().engine() != SqlDialect::Engine::Sqlite)
        return std::nullopt; // a server's backups are its administrator's (pg_dump)
    const QString target = defaultBackupPath(config, now);
    QDir folder = QFileInfo(target).absoluteDir();
    const QStringList pattern = {QStringLiteral("HUB000-????????-??????*.db")};
    const QString today =
        QStringLiteral("HUB000-%1-").arg(now.toString(QStringLiteral("yyyyMMdd")));
    for (const QString& name : folder.entryList(pattern, QDir::Files)) {
        if (name.startsWith(today))
            return std::nullopt;
    }
    const BackupTold told = makeBackup(db, config, target);
    if (!told.made)
        return QString::fromUtf8("La copia de seguridad automática del día no se hizo; puede "
                                 "seguir trabajando. ") +
               told.text;
    // the names sort by their moment: the oldest go first
    QStringList kept = folder.entryList(pattern, QDir::Files, QDir::Name);
    while (kept.size() > backupsKept(config))
        QFile::remove(folder.filePath(kept.takeFirst()));
    return std::nullopt;
}

namespace {

// Who of the module's programs works on the database, as this user's locks tell.
QString programsUsing(const Configuration& config) {
    QStringList who;
    for (const char* program : {"retdecl", "retcheck", "retsumm"}) {
        if (const auto holder =
                SingleInstance(QLatin1String(program), databaseName(config)).holder())
            who << *holder;
    }
    return who.isEmpty() ? QString() : QStringLiteral(" (") + who.join(QStringLiteral("; ")) + ')';
}

// The backup's own tables and rows, for its proof; a file that is not one of the module's
// databases, or one of a newer module, is refused.
std::optional<QString> unusableBackup(const QString& file, std::map<QString, qint64>& counts) {
    try {
        OpenOptions readOnly;
        readOnly.readOnly = true;
        auto db = Database::open(file, readOnly);
        const int version = storedSchemaVersion(*db);
        if (version == 0 || !db->tableExists(QStringLiteral("CAB")))
            return QString::fromUtf8("el archivo no es una copia de la base de datos del módulo");
        if (version > kSchemaVersion)
            return QString::fromUtf8("la copia es de una versión más reciente del módulo");
        for (const QString& t : db->tableNames())
            counts[t] = db->scalar(QStringLiteral("SELECT count(*) FROM ") + t)->toLongLong();
    } catch (const DbError& e) {
        return e.description();
    }
    return std::nullopt;
}

// A copy of `from` beside `to`, synced to the disk, renamed over `to` in one step.
bool putInPlace(const QString& from, const QString& to) {
    const QString scratch = to + QStringLiteral(".restaurando.%1").arg(::getpid());
    QFile::remove(scratch);
    if (!QFile::copy(from, scratch))
        return false;
    QFile copy(scratch);
    const bool synced = copy.open(QIODevice::ReadWrite) && restrictToUserAndGroup(copy.handle()) &&
                        ::fsync(copy.handle()) == 0;
    copy.close();
    if (!synced ||
        ::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(scratch);
        return false;
    }
    return true;
}

} // namespace

RestoreOutcome restoreDatabase(const Configuration& config, const QString& backup) {
    RestoreOutcome outcome;
    const auto refuse = [&](const QString& why) {
        outcome.text = QString::fromUtf8("No se restauró la copia: %1. La base de datos quedó como "
                                         "estaba.")
                           .arg(why);
        return outcome;
    };
    if (!config.databaseServer.isEmpty())
        return serverRestore(config.databaseServer, backup, freeBackupPath(config));
    std::map<QString, qint64> counts;
    if (const auto why = unusableBackup(backup, counts))
        return refuse(*why);
    if (const BackupProof proof = proveBackup(backup, counts); !proof.ok())
        return refuse(QString::fromUtf8("la copia no pasó su prueba: ") + proof.problem);
    try {
        OpenOptions alone;
        alone.busyTimeoutMs = 1000;
        auto db = Database::open(config.databasePath, alone);
        // the database to this connection alone from here to the end: no other program reads
        // or writes it while it is kept and replaced
        db->execute(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        const auto mode = db->scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
        if (!mode || mode->toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            throw DbError(dberr::Locked, QString());
        db->execute(QStringLiteral("SELECT count(*) FROM CAB"));
        const BackupTold kept = makeBackup(*db, config);
        if (!kept.made)
            return refuse(QString::fromUtf8("no se pudo guardar antes la base de datos actual (%1)")
                              .arg(kept.text));
        outcome.keptAs = kept.file;
        // no journal of the old file may stay beside the new one
        QFile::remove(config.databasePath + QStringLiteral("-wal"));
        QFile::remove(config.databasePath + QStringLiteral("-shm"));
        if (!putInPlace(backup, config.databasePath))
            return refuse(QString::fromUtf8("no se pudo poner la copia en %1 (la base de datos "
                                            "actual se guardó en %2)")
                              .arg(config.databasePath, kept.file));
    } catch (const DbError& e) {
        if (e.number() == dberr::Locked || e.number() == dberr::RecordLocked)
            return refuse(QString::fromUtf8("otro programa usa la base de datos %1%2; ciérrelo en "
                                            "todos los equipos y vuelva a intentarlo")
                              .arg(config.databasePath, programsUsing(config)));
        return refuse(e.description());
    }
    outcome.restored = true;
    outcome.text = QString::fromUtf8("Se restauró la copia %1. La base de datos anterior se "
                                     "guardó en %2.")
                       .arg(backup, outcome.keptAs);
    return outcome;
}

int runRestoreCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                      QTextStream& out) {
    if (arguments.size() != 1) {
        out << "uso: retdecl --restore ARCHIVO\n";
        return 2;
    }
    const QString backup = QFileInfo(arguments[0]).absoluteFilePath();
    const Configuration config = ReadConfiguration(Deliverable::MainProgram, profile);
    EnterSystemDirectory(config);
    const RestoreOutcome r = restoreDatabase(config, backup);
    if (!r.restored) {
        messages.inform(MsgIcon::Critical, r.text, kRestoreTitle);
        return 1;
    }
    out << r.text << '\n';
    return 0;
}

int runBackupCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                     QTextStream& out) {
    if (arguments.size() > 1) {
        out << "uso: retdecl --backup [ARCHIVO]\n";
        return 2;
    }
    // the caller's file, before the program moves to the system directory
    const QString named =
        arguments.isEmpty() ? QString() : QFileInfo(arguments[0]).absoluteFilePath();
    BatchSession batch(messages);
    if (!batch.open(profile))
        return 2;
    const BackupTold told = makeBackup(batch.db(), batch.session().config, named);
    if (!told.made) {
        messages.inform(MsgIcon::Critical, told.text, kBackupTitle);
        return 1;
    }
    out << "Copia: " << told.file << " (" << told.rows << " filas comprobadas)\n";
    return 0;
}

} // namespace ret
