#pragma once

#include "common/DbError.h"
#include "common/SqlDialect.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace ret {

struct OpenOptions {
    // How long a statement waits for another process's lock before it fails.
    int busyTimeoutMs = 5000;
    // Credentials for a server engine; the embedded engine has none.
    QString user;
    QString password;
    // Tables that make the file a database of this system; a file without any of them is
    // refused as damaged before anything is written to it.
    QStringList requiredTables;
    // A file in a network folder is refused, for several PCs on it could damage it, unless the
    // office says that one PC at a time uses it: it is then opened with the rollback journal
    // and held by this connection alone.
    bool oneComputerOnNetworkFolder = false;
    // Opens the file for reading only and writes nothing to it (a backup being proven).
    bool readOnly = false;
    // The type number of the file system that holds a path (statfs's when not given).
    std::function<std::optional<unsigned long>(const QString&)> fileSystemOf;
};

class Database;

namespace embedded {
class Rows;
}

// Rows of a read query, forward only. Column names match without regard to case.
class Cursor {
public:
    // The next row; false at the end. A row that fails to be read (an overflowing sum, a lock)
    // throws like any other failed statement instead of passing for the end of the rows.
    bool next();
    QVariant value(int column) const;
    QVariant value(const QString& column) const;
    // The column as text; null reads as an empty text.
    QString text(const QString& column) const { return value(column).toString(); }
    QString text(int column) const;
    // A date column (stored in its fixed form) as a date; invalid when null or unreadable.
    QDate date(const QString& column) const;
    QDate date(int column) const;
    QSqlRecord record() const;

private:
    friend class Statement;
    friend class Database;
    explicit Cursor(std::shared_ptr<QSqlQuery> query) : query_(std::move(query)) {}
    explicit Cursor(std::shared_ptr<embedded::Rows> rows) : rows_(std::move(rows)) {}
    std::shared_ptr<QSqlQuery> query_;
    std::shared_ptr<embedded::Rows> rows_; // read through the embedded engine's own interface
};

// A statement prepared once and run many times with new values.
class Statement {
public:
    // Runs an action statement; returns the number of rows it changed.
    int execute(const QVariantList& params = {});
    Cursor query(const QVariantList& params = {});

private:
    friend class Database;
    explicit Statement(std::shared_ptr<QSqlQuery> query, QString direct = {})
        : query_(std::move(query)), direct_(std::move(direct)) {}
    void run(const QVariantList& params);
    std::shared_ptr<QSqlQuery> query_;
    QString direct_; // a statement the engine does not prepare, run as it is each time
};

// The one connection of a process to the shared database. Every value goes in as a bound
// parameter; failures are thrown as DbError with the old engine's numbers where callers react
// to them.
class Database {
public:
    // Opens an existing database for shared reading and writing. Never creates a file: a
    // missing path, a file that is not a database (or lacks a required table) and a database
    // held by another process all throw (FileNotFound, NotADatabase, Locked).
    static std::unique_ptr<Database> open(const QString& path, const OpenOptions& options = {});
    // Creates a new, empty database file (the integrator's set-up and tests).
    static std::unique_ptr<Database> create(const QString& path, const OpenOptions& options = {});
    // Connects to a database on a PostgreSQL server, named by a libpq connection string
    // ("host=... port=... dbname=... user=...", or "service=..."); the password comes from
    // libpq's own files. A server that does not answer, an unknown host or database, a refused
    // password and a missing permission throw, like the file's failures.
    static std::unique_ptr<Database> openServer(const QString& conninfo,
                                                const OpenOptions& options = {});

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    const SqlDialect& dialect() const { return dialect_; }

    Statement prepare(const QString& sql);
    Cursor query(const QString& sql, const QVariantList& params = {});
    // A read of many rows: on the embedded engine through the engine's own interface, each
    // value converted only when it is asked for; on a server as query() reads it.
    Cursor queryRows(const QString& sql, const QVariantList& params = {});
    int execute(const QString& sql, const QVariantList& params = {});
    // The first column of the first row, or nullopt when there is no row.
    std::optional<QVariant> scalar(const QString& sql, const QVariantList& params = {});

    bool tableExists(const QString& name);
    QStringList tableNames();

    bool inTransaction() const { return inTransaction_; }

    // The embedded engine's online backup of the whole database into the new file `path`, a
    // consistent snapshot taken while other programs go on working; returns each table's row
    // count in that same snapshot. The copy keeps its journal in itself (no write-ahead log
    // beside it). Throws DbError (a full disk, a folder that cannot be written).
    std::map<QString, qint64> backupInto(const QString& path);

    // Gives this connection its own empty copies of the tables, seen under their names by this
    // connection only and gone when it closes: each program's declaration in hand is staged
    // apart from every other's, while the shared tables of those names stay as they are.
    void createSessionTables(const std::vector<TableDef>& tables);
    bool hasSessionTables() const { return sessionTables_; }

private:
    friend class Transaction;
    friend class RowStatement;
    // The embedded engine's own connection; null on a server.
    sqlite3* embeddedHandle() const;
    Database(QSqlDatabase db, QString path, SqlDialect dialect = SqlDialect());
    static std::unique_ptr<Database> connect(const QString& path, bool create,
                                             const OpenOptions& options);
    // `exclusive`: the rollback journal and this connection alone (a file in a network folder)
    void configure(bool exclusive);
    void configureServer(int lockTimeoutMs);
    bool onServer() const { return dialect_.engine() == SqlDialect::Engine::Postgres; }
    void requireTables(const QStringList& names);
    QString tableListSql() const;

    QSqlDatabase db_;
    QString path_;
    SqlDialect dialect_;
    bool inTransaction_ = false;
    bool sessionTables_ = false;
};

// One unit of work that writes, rolled back unless committed. One that writes shared tables
// takes the write lock at its start (BEGIN IMMEDIATE), so that it waits for another writer
// there, within the busy timeout, instead of failing part-way. One that writes only this
// connection's session tables takes no lock on the shared ones: another program's long write
// does not hold it up, and it holds up no one.
class Transaction {
public:
    enum class Writes { Shared, SessionTables };

    explicit Transaction(Database& db, Writes writes = Writes::Shared);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& db_;
    bool open_ = false;
};

// The error of a failed statement or connection in the old engine's terms.
DbError toDbError(const QSqlError& error, const QString& context = {});

} // namespace ret
