#pragma once

#include "common/WholeFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace ret {

class Database;

// Whose report it is: the register row's own fields.
struct ReportEntry {
    QString codRep;
    int tipDoc = 6;
    QString docId;
    QString user;
    QDateTime now;
};

struct RegisteredReport {
    QString archivo; // the file name ("00000001.PRN" for the register's first); empty when
                     // nothing was registered
    std::optional<FileWriteError> failure; // why the file could not be written
};

// Registers a report in the shared register SPOOL and writes its file into the report
// directory as one step: the next running number of its code and the next file number of the
// whole register are taken under one write lock, so that two programs never get the same file;
// the file is written whole, and only then is the row committed. A row and its file exist
// together or not at all: when the file cannot be written nothing is registered (`failure`
// says why), and a file whose row could not be committed is removed again. Throws DbError.
RegisteredReport RegistrarReporte(Database& db, const QString& reportDirectory,
                                  const ReportEntry& entry, const QByteArray& contents);
// The same for a report already written into a scratch file of `reportDirectory`, which becomes
// the registered file.
RegisteredReport RegistrarReporte(Database& db, const QString& reportDirectory,
                                  const ReportEntry& entry, ScratchFile& contents);

} // namespace ret
