#include "common/RowBatch.h"

#include "common/Schema.h"

#include <algorithm>

namespace ret {
namespace {

// Values in one statement. A server takes fewer round trips with more; the embedded engine
// gains nothing past a few hundred (measured on 100,000 imported lines and on a save: 1,000 or
// 4,000 values a statement were no faster than 256). Both far under the engines' limits
// (32,766 and 65,535).
int valuesPerStatement(const Database& db) {
    return db.dialect().engine() == SqlDialect::Engine::Postgres ? 1000 : 256;
}
constexpr int kMostRows = 500;

} // namespace

QString boundTuple(int columns) {
    QString tuple = QStringLiteral("(");
    for (int i = 0; i < columns; ++i)
        tuple += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    return tuple + QLatin1Char(')');
}

RowBatch::RowBatch(Database& db, QString head, QString tuple, QString tail)
    : db_(db), head_(std::move(head)), tuple_(std::move(tuple)), tail_(std::move(tail)),
      width_(std::max(1, int(tuple_.count(QLatin1Char('?'))))),
      rowsPerStatement_(std::clamp(valuesPerStatement(db) / width_, 1, kMostRows)) {}

RowBatch RowBatch::insertInto(Database& db, const TableDef& table) {
    return RowBatch(db,
                    QStringLiteral("INSERT INTO %1 (%2) VALUES")
                        .arg(table.name, table.columnNames().join(QLatin1Char(','))),
                    boundTuple(int(table.columns.size())));
}

QString RowBatch::statementFor(int rows) const {
    QString sql = head_;
    sql.reserve(head_.size() + rows * (tuple_.size() + 2) + tail_.size() + 1);
    for (int i = 0; i < rows; ++i) {
        sql += i == 0 ? QStringLiteral(" ") : QStringLiteral(", ");
        sql += tuple_;
    }
    return sql + tail_;
}

void RowBatch::add(const QVariantList& values) {
    Q_ASSERT(values.size() == width_);
    pending_ += values;
    if (pending_.size() >= qsizetype(rowsPerStatement_) * width_)
        flush();
}

void RowBatch::flush() {
    const QVariantList values = std::move(pending_);
    pending_.clear();
    const int rows = int(values.size() / width_);
    if (rows == 0)
        return;
    if (rows == rowsPerStatement_) {
        if (!full_)
            full_.emplace(db_, statementFor(rows));
        full_->execute(values);
        return;
    }
    // the rest of a run, of any size: prepared for this once
    RowStatement(db_, statementFor(rows)).execute(values);
}

} // namespace ret
