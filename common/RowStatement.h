#pragma once

#include "common/Database.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ret {

// A row-changing statement run many times with many values each, the statement of a batch of
// rows. On the embedded engine it runs through the engine's own interface: binding a value
// through QtSql costs more than the engine's own work on it (each value is looked up by a name
// made for it). The values are stored as QtSql stores them; on a server it is a plain prepared
// statement. Failures throw DbError with the old engine's numbers, as every statement's do.
class RowStatement {
public:
    RowStatement(Database& db, const QString& sql);
    ~RowStatement();
    RowStatement(const RowStatement&) = delete;
    RowStatement& operator=(const RowStatement&) = delete;

    // Runs the statement with one value for each of its marks; the number of rows it changed.
    int execute(const QVariantList& values);

private:
    std::optional<Statement> statement_; // on a server
    sqlite3* handle_ = nullptr;
    sqlite3_stmt* native_ = nullptr;
    QString sql_;
    std::vector<QByteArray> texts_; // the texts bound for the run in hand
};

} // namespace ret
