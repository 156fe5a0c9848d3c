#include "common/EmbeddedSql.h"

#include "common/Database.h"
#include "common/Schema.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QTime>

#include <sqlite3.h>

#include <cstdio>

namespace ret::embedded {
namespace {

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

DbError failure(sqlite3* handle, int code, const QString& sql) {
    const QString text = QString::fromUtf8(sqlite3_errmsg(handle));
    static const bool logged = qEnvironmentVariable("RET_ENGINE_LOG") == QLatin1String("1");
    if (logged)
        std::fprintf(stderr, "engine: %s [%d] in: %s\n", qPrintable(text), code, qPrintable(sql));
    return toDbError(QSqlError(QString(), text, QSqlError::StatementError, QString::number(code)));
}

void bindAll(sqlite3* handle, sqlite3_stmt* statement, const QVariantList& values,
             std::vector<QByteArray>& texts, const QString& sql) {
    if (values.size() != sqlite3_bind_parameter_count(statement))
        throw failure(handle, SQLITE_RANGE, sql);
    texts.clear();
    texts.reserve(size_t(values.size())); // no text moves while it is bound
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (const int code = bind(statement, int(i) + 1, values[i], texts); code != SQLITE_OK) {
            sqlite3_clear_bindings(statement);
            throw failure(handle, code, sql);
        }
    }
}

sqlite3_stmt* prepare(sqlite3* handle, const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    // preparing can meet another process's lock, like any statement
    const int code =
        sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw failure(handle, code, sql);
    }
    return statement;
}

Rows::Rows(sqlite3* handle, const QString& sql, const QVariantList& values)
    : handle_(handle), statement_(prepare(handle, sql)), sql_(sql) {
    try {
        bindAll(handle_, statement_, values, texts_, sql_);
    } catch (...) {
        sqlite3_finalize(statement_);
        throw;
    }
}

Rows::~Rows() {
    sqlite3_finalize(statement_);
}

bool Rows::next() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW)
        return true;
    // the end, or a failure: the statement lets go of the engine's locks either way
    sqlite3_reset(statement_);
    if (code == SQLITE_DONE)
        return false;
    throw failure(handle_, code, sql_);
}

QVariant Rows::value(int column) const {
    if (column < 0 || column >= sqlite3_column_count(statement_))
        return QVariant();
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement_, column));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char*>(sqlite3_column_blob(statement_, column)),
                       sqlite3_column_bytes(statement_, column)));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default: {
        const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QVariant(QString::fromUtf8(utf8, sqlite3_column_bytes(statement_, column)));
    }
    }
}

QString Rows::text(int column) const {
    if (column < 0 || column >= sqlite3_column_count(statement_))
        return QString();
    const int type = sqlite3_column_type(statement_, column);
    if (type == SQLITE_NULL)
        return QString();
    if (type != SQLITE_TEXT) // a number reads as its value's text ("9", not the engine's "9.0")
        return value(column).toString();
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(statement_, column));
}

int Rows::column(const QString& name) const {
    for (int i = 0; i < sqlite3_column_count(statement_); ++i) {
        if (name.compare(QString::fromUtf8(sqlite3_column_name(statement_, i)),
                         Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QSqlRecord Rows::record() const {
    QSqlRecord r;
    for (int i = 0; i < sqlite3_column_count(statement_); ++i)
        r.append(QSqlField(QString::fromUtf8(sqlite3_column_name(statement_, i))));
    return r;
}

} // namespace ret::embedded
