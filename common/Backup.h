#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <map>
#include <optional>

#include <QStringList>
#include <QTextStream>
#include <QVariantList>

namespace ret {

class Database;
class MessageSink;
class Profile;
struct Configuration;
struct TableDef;

// Where a backup goes when none is named: the module's folder of backups, one file per backup
// named by the moment it was made (0947/respaldos/HUB000-yyyyMMdd-HHmmss.db; .dump, pg_dump's
// archive, for a server's database).
QString defaultBackupPath(const Configuration& config, const QDateTime& at);

// What a backup found wrong with itself; empty when it is whole.
struct BackupProof {
    QString problem; // names the table, and the row by its key, where it can
    qint64 rows = 0; // the rows checked
    bool ok() const { return problem.isEmpty(); }
};

// What a proof finds, told the same way whatever the engine: a row whose check value is not
// the one its values give (empty when it is), and a table with another number of rows.
QString wrongCheckValueOf(const TableDef& def, const QVariantList& row);
QString wrongRowCount(const QString& table, qint64 found, qint64 expected);

// Opens a backup file for reading only and checks it: the engine's own integrity check, each
// table's row count against `counts` (the snapshot's), and every row's check value recomputed
// against the one stored.
BackupProof proveBackup(const QString& file, const std::map<QString, qint64>& counts);

// The outcome of a backup: the file made, or why none was (nothing is left behind then).
struct BackupOutcome {
    QString file;
    QString problem;
    qint64 rows = 0;
    bool ok() const { return problem.isEmpty(); }
};

// A backup of the database (the embedded engine's file) into `target`, a new file: the engine's
// online backup into a scratch file beside it, proven, then renamed into place. Never over an
// existing file; a backup that fails its proof is removed and the failure told.
BackupOutcome backupDatabase(Database& db, const QString& target);

// The steps every engine's backup shares: never over an existing file, the folder made, the
// copy written by `make` into a scratch file beside the target and proven there (its proof's
// problem, or a DbError, stops it and removes the scratch file), then renamed into place.
BackupOutcome backupThroughScratch(const QString& target,
                                   const std::function<BackupProof(const QString& scratch)>& make);

inline const QString kBackupTitle = QStringLiteral("Copia de seguridad");
inline const QString kRestoreTitle = QStringLiteral("Restaurar una copia");

// A backup made for a user: into `target` (the folder of backups when empty), and what they are
// told of it.
struct BackupTold {
    bool made = false;
    QString file;
    qint64 rows = 0;
    QString text; // "Se hizo la copia de seguridad..." or "No se hizo la copia de seguridad: ..."
};
BackupTold makeBackup(Database& db, const Configuration& config, const QString& target = {});

// How many automatic backups the folder keeps (the profile's RespaldosGuardados, 30 by
// default).
int backupsKept(const Configuration& config);

// The backup of the day, made at the first start of the windowed program on a day: nothing when
// the folder of backups holds one of `today` already; the oldest automatic backups beyond
// backupsKept() go. A failure is told once, in the returned text, and stops nothing.
std::optional<QString> dailyBackup(Database& db, const Configuration& config, const QDateTime& now);

// A restore: whether the backup is now the database, what the user is told, and the dated
// backup the database was kept as first.
struct RestoreOutcome {
    bool restored = false;
    QString text;
    QString keptAs;
};

// Puts a backup in place of the database file of the configuration: refused while another
// program of the module uses the database (named where it can be), and for a backup that fails
// its proof (everything left as it was); otherwise the database is first kept as a dated,
// proven backup, then the backup takes its place in one rename. Killed at any moment, it leaves
// the old database or the restored one, whole.
RestoreOutcome restoreDatabase(const Configuration& config, const QString& backup);

// `retdecl --restore FILE`: returns 0 restored, 1 not (the reason told), 2 usage.
int runRestoreCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                      QTextStream& out);

// `retdecl --backup [FILE]`: a proven backup of the profile's database into FILE, else into
// the folder of backups; prints "Copia: FILE (N filas comprobadas)". Returns 0 when it was made,
// 1 when it was not (the reason told), 2 when it could not start (usage, connection).
int runBackupCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                     QTextStream& out);

} // namespace ret
