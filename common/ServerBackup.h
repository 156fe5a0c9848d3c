#pragma once

#include "common/Backup.h"

namespace ret {

// A backup of a server's database with PostgreSQL's own pg_dump, in its custom format, into the
// new file `target`: the rows counted in the snapshot that pg_dump copies (exported from this
// connection), the archive written beside the target and proven before it is renamed into place.
BackupOutcome serverBackup(Database& db, const QString& conninfo, const QString& target);

// Proves a pg_dump archive without a database to restore it into: pg_restore reads its table of
// contents, and its data as pg_restore gives it back, whose rows are counted against `counts`
// and whose check values are recomputed.
BackupProof proveServerBackup(const QString& file, const std::map<QString, qint64>& counts);

} // namespace ret
