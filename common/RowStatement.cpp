#include "common/RowStatement.h"

#include "common/EmbeddedSql.h"

#include <sqlite3.h>

#include <vector>

namespace ret {

RowStatement::RowStatement(Database& db, const QString& sql) : sql_(sql) {
    handle_ = db.embeddedHandle();
    if (handle_ == nullptr) {
        statement_.emplace(db.prepare(sql));
        return;
    }
    native_ = embedded::prepare(handle_, sql);
}

RowStatement::~RowStatement() {
    sqlite3_finalize(native_);
}

int RowStatement::execute(const QVariantList& values) {
    if (statement_)
        return statement_->execute(values);
    embedded::bindAll(handle_, native_, values, texts_, sql_);
    const int code = sqlite3_step(native_);
    // reset at once: a statement left open would hold the engine's locks
    sqlite3_reset(native_);
    sqlite3_clear_bindings(native_);
    texts_.clear();
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        throw embedded::failure(handle_, code, sql_);
    return sqlite3_changes(handle_);
}

} // namespace ret
