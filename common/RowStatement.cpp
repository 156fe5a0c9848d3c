#include "common/RowStatement.h"

#include "common/Schema.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QTime>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace ret {
namespace {

// The failure of the engine's last call, in the old engine's terms, as QtSql reports it.
DbError failure(sqlite3* handle, int code, const QString& sql) {
    const QString text = QString::fromUtf8(sqlite3_errmsg(handle));
    static const bool logged = qEnvironmentVariable("RET_ENGINE_LOG") == QLatin1String("1");
    if (logged)
        std::fprintf(stderr, "engine: %s [%d] in: %s\n", qPrintable(text), code, qPrintable(sql));
    return toDbError(QSqlError(QString(), text, QSqlError::StatementError, QString::number(code)));
}

// Whether QtSql stores the value as null: an invalid or null value, and a null text, bytes,
// date or time.
bool storedAsNull(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(v.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(v.constData())->isNull();
    case QMetaType::QDate:
        return !v.toDate().isValid();
    case QMetaType::QDateTime:
        return !v.toDateTime().isValid();
    case QMetaType::QTime:
        return !v.toTime().isValid();
    default:
        return false;
    }
}

// Texts go in as UTF-8, the database's own encoding: the engine then copies them without
// converting them. Each is kept in `texts` until the statement has run.
int bindText(sqlite3_stmt* statement, int mark, const QString& text,
             std::vector<QByteArray>& texts) {
    const QByteArray& utf8 = texts.emplace_back(text.toUtf8());
    return sqlite3_bind_text(statement, mark, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

// Binds a value the way QtSql's embedded driver does, so that a row stores the same either way.
int bind(sqlite3_stmt* statement, int mark, const QVariant& given, std::vector<QByteArray>& texts) {
    const bool date = given.typeId() == QMetaType::QDate || given.typeId() == QMetaType::QDateTime;
    const QVariant v = date ? storedValue(ColumnType::Date, given) : given;
    if (storedAsNull(v))
        return sqlite3_bind_null(statement, mark);
    switch (v.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        return sqlite3_bind_blob(statement, mark, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        return sqlite3_bind_int(statement, mark, v.toInt());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, mark, v.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, mark, v.toLongLong());
    case QMetaType::QString:
        return bindText(statement, mark, *static_cast<const QString*>(v.constData()), texts);
    case QMetaType::QTime:
        return bindText(statement, mark, v.toTime().toString(Qt::ISODateWithMs), texts);
    default:
        return bindText(statement, mark, v.toString(), texts);
    }
}

} // namespace

RowStatement::RowStatement(Database& db, const QString& sql) : sql_(sql) {
    handle_ = db.embeddedHandle();
    if (handle_ == nullptr) {
        statement_.emplace(db.prepare(sql));
        return;
    }
    const QByteArray text = sql.toUtf8();
    // preparing can meet another process's lock, like any statement
    const int code =
        sqlite3_prepare_v2(handle_, text.constData(), int(text.size()), &native_, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_finalize(native_);
        native_ = nullptr;
        throw failure(handle_, code, sql_);
    }
}

RowStatement::~RowStatement() {
    sqlite3_finalize(native_);
}

int RowStatement::execute(const QVariantList& values) {
    if (statement_)
        return statement_->execute(values);
    if (values.size() != sqlite3_bind_parameter_count(native_))
        throw failure(handle_, SQLITE_RANGE, sql_);
    texts_.clear();
    texts_.reserve(size_t(values.size())); // no text moves while it is bound
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (const int code = bind(native_, int(i) + 1, values[i], texts_); code != SQLITE_OK) {
            sqlite3_clear_bindings(native_);
            throw failure(handle_, code, sql_);
        }
    }
    const int code = sqlite3_step(native_);
    // reset at once: a statement left open would hold the engine's locks
    sqlite3_reset(native_);
    sqlite3_clear_bindings(native_);
    texts_.clear();
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        throw failure(handle_, code, sql_);
    return sqlite3_changes(handle_);
}

} // namespace ret
