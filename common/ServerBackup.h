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

// Puts pg_dump's archive `backup` in place of the server's database named by `conninfo`: the
// archive proven first; refused while any other session uses the database (named by user,
// program and client); the database kept first as a proven archive `keepAs`; the archive
// restored into a new database of the server, which takes the old one's name in one
// transaction that also renames the old one away (kept, not dropped). Needs the right to
// create databases.
RestoreOutcome serverRestore(const QString& conninfo, const QString& backup, const QString& keepAs);

} // namespace ret
