#pragma once

#include <QString>
#include <QTextStream>

namespace ret::hub {

// Moves an office's embedded database (the one the profile names) into an empty database on a
// PostgreSQL server: every table of the file, with its rows, in one transaction, which commits
// only once the server holds the same rows, check values included, as the file. Then the
// profile names the server (DBServer). Nothing is changed when any step fails. Returns the
// exit code: 0 moved, 1 not.
int moveToServer(const QString& profilePath, const QString& conninfo, QTextStream& out,
                 QTextStream& err);

} // namespace ret::hub
