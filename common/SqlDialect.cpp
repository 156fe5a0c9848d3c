#include "common/SqlDialect.h"

#include "common/Schema.h"

namespace ret {
namespace {

// Texts compare without regard to case on both engines, as the old engine's did: the server's
// case-insensitive text type.
QString postgresType(const ColumnDef& c) {
    switch (c.type) {
    case ColumnType::Byte:
    case ColumnType::Integer:
        return QStringLiteral("SMALLINT");
    case ColumnType::Long:
        return QStringLiteral("INTEGER");
    case ColumnType::Date:
        return QStringLiteral("TIMESTAMP(0)");
    case ColumnType::Text:
        return QStringLiteral("CITEXT");
    }
    return {};
}

QString sqliteType(const ColumnDef& c) {
    switch (c.type) {
    case ColumnType::Byte:
        return QStringLiteral("BYTE");
    case ColumnType::Integer:
        return QStringLiteral("SMALLINT");
    case ColumnType::Long:
        return QStringLiteral("INTEGER");
    case ColumnType::Date:
        return QStringLiteral("DATE");
    case ColumnType::Text:
        // texts compare without regard to case, as the old engine's did
        return QStringLiteral("TEXT(%1) COLLATE NOCASE").arg(c.width);
    }
    return {};
}

// The old engine refused values that do not fit their column; the engines in use need checks.
QString columnCheck(const ColumnDef& c) {
    const QString& n = c.name;
    switch (c.type) {
    case ColumnType::Byte:
        return QStringLiteral("CONSTRAINT range_%1 CHECK (%1 BETWEEN 0 AND 255)").arg(n);
    case ColumnType::Integer:
        return QStringLiteral("CONSTRAINT range_%1 CHECK (%1 BETWEEN -32768 AND 32767)").arg(n);
    case ColumnType::Long:
        return QStringLiteral("CONSTRAINT range_%1 CHECK (%1 BETWEEN -2147483648 AND 2147483647)")
            .arg(n);
    case ColumnType::Text:
        return QStringLiteral("CONSTRAINT len_%1 CHECK (length(%1) <= %2)").arg(n).arg(c.width);
    case ColumnType::Date:
        return {};
    }
    return {};
}

} // namespace

QString SqlDialect::concat(const QStringList& parts) const {
    return QLatin1Char('(') + parts.join(QLatin1String(" || ")) + QLatin1Char(')');
}

QString SqlDialect::substring(const QString& expr, int start, int length) const {
    return QStringLiteral("substr(%1, %2, %3)").arg(expr).arg(start).arg(length);
}

QString SqlDialect::left(const QString& expr, int length) const {
    return QStringLiteral("substr(%1, 1, %2)").arg(expr).arg(length);
}

QString SqlDialect::trimmedLength(const QString& expr) const {
    return QStringLiteral("length(trim(%1))").arg(expr);
}

QString SqlDialect::numericValue(const QString& expr) const {
    // the embedded engine reads the leading number of a text in arithmetic, as the old one did;
    // the server does so through a function of its own
    if (engine_ == Engine::Postgres)
        return QStringLiteral("ret_num(%1)").arg(expr);
    return QStringLiteral("(%1 * 1)").arg(expr);
}

QString SqlDialect::exactSum(const QString& expr) const {
    // the server's numeric type is exact already
    if (engine_ == Engine::Postgres)
        return QStringLiteral("CAST(SUM(ret_num(%1)) AS TEXT)").arg(expr);
    return QStringLiteral("decsum(%1)").arg(expr); // registered on every connection
}

QStringList SqlDialect::engineObjects() const {
    if (engine_ != Engine::Postgres)
        return {};
    // the number a text starts with, as the old engine read it: blanks skipped, a sign, digits
    // and one decimal point; 0 when there is none, null for null
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"),
        QStringLiteral("CREATE OR REPLACE FUNCTION ret_num(t TEXT) RETURNS NUMERIC LANGUAGE SQL "
                       "IMMUTABLE AS $$ SELECT CASE WHEN t IS NULL THEN NULL ELSE COALESCE(CAST("
                       "substring(t FROM '^[[:space:]]*([-+]?([0-9]+[.]?[0-9]*|[.][0-9]+))') "
                       "AS NUMERIC), 0) END $$")};
}

QString SqlDialect::deleteAll(const QString& table) const {
    return QStringLiteral("DELETE FROM ") + table;
}

QString SqlDialect::emptySessionTable(const QString& table) const {
    return (engine_ == Engine::Postgres ? QStringLiteral("TRUNCATE ")
                                        : QStringLiteral("DELETE FROM ")) +
           table;
}

QStringList SqlDialect::createTable(const TableDef& table, Visibility visibility) const {
    QStringList parts;
    for (const auto& c : table.columns) {
        QString col = c.name + QLatin1Char(' ') +
                      (engine_ == Engine::Postgres ? postgresType(c) : sqliteType(c));
        const QString check = columnCheck(c);
        if (!check.isEmpty())
            col += QLatin1Char(' ') + check;
        parts << col;
    }
    if (!table.primaryKey.isEmpty())
        parts << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)")
                     .arg(table.primaryKeyName(), table.primaryKey.join(QLatin1String(", ")));
    const QString create = visibility == Visibility::Session ? QStringLiteral("CREATE TEMP TABLE")
                                                             : QStringLiteral("CREATE TABLE");
    return {QStringLiteral("%1 %2 (%3)").arg(create, table.name, parts.join(QLatin1String(", ")))};
}

QStringList SqlDialect::allowEmptyText(const TableDef&, const QStringList&) const {
    return {};
}

} // namespace ret
