#pragma once

#include <QString>
#include <QStringList>

namespace ret {

struct TableDef;

// The few places where the statements of the old engine differ from the engine in use. Code
// elsewhere builds its SQL with these and binds every value as a parameter.
class SqlDialect {
public:
    // The embedded engine, or a PostgreSQL server.
    enum class Engine { Sqlite, Postgres };

    explicit SqlDialect(Engine engine = Engine::Sqlite) : engine_(engine) {}

    Engine engine() const { return engine_; }

    // "a & b & c"
    QString concat(const QStringList& parts) const;
    // mid$(expr, start, length), 1-based
    QString substring(const QString& expr, int start, int length) const;
    // left(expr, n)
    QString left(const QString& expr, int length) const;
    // len(trim(expr))
    QString trimmedLength(const QString& expr) const;
    // "expr * 1": the number a text starts with (empty or non-numeric reads 0)
    QString numericValue(const QString& expr) const;
    // SUM(expr * 1) done exactly: the result is a decimal text (null for no rows)
    QString exactSum(const QString& expr) const;
    // "DELETE * FROM table"
    QString deleteAll(const QString& table) const;
    // Empties one of this connection's own tables (see Visibility::Session). A server truncates
    // it, which empties its key's index too: deleted rows left there make every row put in
    // afterwards slower to place (three times, for a declaration opened after a large one).
    QString emptySessionTable(const QString& table) const;

    // Who sees a table: every connection, or only the connection that made it, for as long as
    // it lives (a name both engines look up before the shared table of that name).
    enum class Visibility { Shared, Session };

    // CREATE TABLE (with its primary key under its constraint name) as one or more statements.
    QStringList createTable(const TableDef& table,
                            Visibility visibility = Visibility::Shared) const;
    // Lets the named text columns hold empty texts. The engines' texts always may, so there it
    // has nothing to do.
    QStringList allowEmptyText(const TableDef& table, const QStringList& columns) const;

    // Makes a table one that rows are only ever added to: every UPDATE and DELETE of its rows
    // (and, on a server, emptying it) is refused with `refusal`, and on a server no role but
    // its owner keeps the right to change or remove its rows. Each statement may be run again.
    QStringList appendOnly(const QString& table, const QString& refusal) const;

    // What a database of the engine needs before the module's statements run in it: the
    // functions and types they use. Each statement may be run again; empty for the embedded
    // engine, whose functions live in each connection.
    QStringList engineObjects() const;

private:
    Engine engine_;
};

} // namespace ret
