#pragma once

#include <QDateTime>
#include <QString>

namespace ret {

class Database;

// Registers a report about to be composed in the shared register SPOOL and returns its file
// name ("00000001.PRN" for the register's first): the next running number of its code and the
// next file number of the whole register, taken under one write lock so that two programs
// never get the same file.
QString RegistrarReporte(Database& db, const QString& codRep, int tipDoc, const QString& docId,
                         const QString& user, const QDateTime& now);

} // namespace ret
