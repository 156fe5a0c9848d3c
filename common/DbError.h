#pragma once

#include <QString>

#include <stdexcept>

namespace ret {

// Error numbers of the old database engine that callers react to; the layer reports these
// numbers for the matching failures of the engine in use.
namespace dberr {
constexpr int TableExists = 3010;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int BadAccount = 3029;   // the server refused the user or the password
constexpr int NoPermission = 3033; // the user may not use the database or the object
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027; // the database or the object cannot be written
constexpr int DiskError = 3043;
constexpr int TableNotFound = 3078;
constexpr int Locked = 3051;        // locked, held exclusively by another process, or no access
constexpr int NetworkFolder = 3045; // "could not use the file": it is in a network folder
constexpr int FieldTooSmall = 3163;
constexpr int RecordLocked = 3218; // a statement waited out the busy timeout
constexpr int PrimaryKeyExists = 3283;
constexpr int NotADatabase = 3343;
constexpr int NumericOverflow = 3349;
constexpr int ServerUnreachable = 3151;     // no answer from the server, or no such server
constexpr int ServerDatabaseMissing = 3044; // the server has no database of that name
} // namespace dberr

class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}

    int number() const { return number_; }
    const QString& description() const { return description_; }

    // "description", a line feed, the number: how a window reports an unexpected error.
    QString text() const { return description_ + QLatin1Char('\n') + QString::number(number_); }

private:
    int number_;
    QString description_;
};

} // namespace ret
