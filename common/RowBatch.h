#pragma once

#include "common/Database.h"
#include "common/RowStatement.h"

#include <QString>
#include <QVariantList>

#include <optional>

namespace ret {

struct TableDef;

// Rows of one statement gathered and sent many at a time: a statement for every few hundred
// rows instead of one for each, which on a server is one round trip instead of hundreds.
class RowBatch {
public:
    // The statement is `head`, the rows' `tuple` once for each row, separated by commas, and
    // `tail`: "INSERT INTO T (a, b) VALUES" with "(?, 6, ?)", or an UPDATE from a list of
    // values. The tuple has a mark for each bound value, one at least.
    RowBatch(Database& db, QString head, QString tuple, QString tail = {});
    // Rows of `table` with a value for each of its columns, in its column order.
    static RowBatch insertInto(Database& db, const TableDef& table);

    // Gathers a row: one value for each mark of the tuple. Sends the rows gathered when they
    // fill a statement.
    void add(const QVariantList& values);
    // Sends the rows gathered. They are forgotten whether it succeeds or throws.
    void flush();
    // Forgets the rows gathered without sending them.
    void clear() { pending_.clear(); }

private:
    QString statementFor(int rows) const;

    Database& db_;
    QString head_;
    QString tuple_;
    QString tail_;
    int width_;
    int rowsPerStatement_;
    QVariantList pending_;
    std::optional<RowStatement> full_; // the statement of a whole batch, prepared once
};

// The tuple of a row of `columns` bound values: "(?,?,?)".
QString boundTuple(int columns);

} // namespace ret
