#pragma once

// The embedded engine's own interface, for the reads and writes of many rows where QtSql's
// handling of each value costs more than the engine's own work on it. Values are bound and read
// as QtSql binds and reads them, so that a row is the same whichever way it went.
#include "common/DbError.h"

#include <QByteArray>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ret::embedded {

// The failure of the engine's last call, in the old engine's terms, as QtSql reports it.
DbError failure(sqlite3* handle, int code, const QString& sql);

// Binds one value to each mark of the statement; texts are kept in `texts` (emptied first)
// until the statement has run. Throws DbError.
void bindAll(sqlite3* handle, sqlite3_stmt* statement, const QVariantList& values,
             std::vector<QByteArray>& texts, const QString& sql);

// The statement of `sql`, prepared; throws DbError.
sqlite3_stmt* prepare(sqlite3* handle, const QString& sql);

// The rows of a query, read forward one at a time; each value is converted only when asked for.
class Rows {
public:
    Rows(sqlite3* handle, const QString& sql, const QVariantList& values);
    ~Rows();
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    // The next row; false at the end. A failure throws DbError.
    bool next();
    // A value as QtSql gives it: whole numbers as 64-bit integers, other numbers as doubles,
    // texts, bytes, and null as a null text.
    QVariant value(int column) const;
    // The column as text; null reads as an empty text.
    QString text(int column) const;
    // The column of that name, without regard to case; -1 when there is none.
    int column(const QString& name) const;
    QSqlRecord record() const;

private:
    sqlite3* handle_;
    sqlite3_stmt* statement_;
    QString sql_;
    std::vector<QByteArray> texts_;
};

} // namespace ret::embedded
