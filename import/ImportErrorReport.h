#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace ret {
class Database;
class MessageSink;
} // namespace ret

namespace ret::import {

// What the import error report prints besides the error file's lines.
struct ErrorReportHeader {
    QString ruc;    // the declarant's RUC
    QString name;   // its name in the contributors' table
    QString period; // yyyymm
    QDateTime now;
};

// Composes the import error report (RYP001) from a run's error file into `reportPath`, as
// PrintScript: portrait, a page header repeated on every page, a sub-total block after every 69
// errors and the total. Returns false when the error file cannot be read or the report written.
bool ImprimirErroresImportacion(const QString& errorFile, const QString& reportPath,
                                const ErrorReportHeader& header);

// The report's bytes as ImprimirErroresImportacion composes them; nullopt when the error file
// cannot be read or the report passes the 16-bit limits.
std::optional<QByteArray> composeErrorLines(const QString& errorFile,
                                            const ErrorReportHeader& header);

// Composes the error report of a run from its error file and registers it under RYP001 with
// its file (the row only once the file is whole); the report's full path, or empty when it
// could not be composed or written (nothing registered then; a file that could not be written
// is told on `messages`). Throws DbError.
QString composeErrorReport(Database& db, const QString& reportDirectory, const QString& user,
                           const QString& errorFile, const QString& ruc, const QString& period,
                           MessageSink& messages);

// The declarant's name for the header (CONT, document type 6); empty when it has no row.
QString declarantName(Database& db, const QString& ruc);

} // namespace ret::import
