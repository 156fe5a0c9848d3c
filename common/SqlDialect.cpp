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

QStringList SqlDialect::appendOnly(const QString& table, const QString& refusal) const {
    QString quoted = refusal;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    if (engine_ == Engine::Sqlite) {
        QStringList out;
        for (const char* change : {"UPDATE", "DELETE"}) {
            out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_SIN_%2 BEFORE %2 ON %1 "
                                  "BEGIN SELECT RAISE(ABORT, '%3'); END")
                       .arg(table, QLatin1String(change), quoted);
        }
        return out;
    }
    const QString lower = table.toLower();
    return {
        QStringLiteral("CREATE OR REPLACE FUNCTION ret_solo_agregar() RETURNS trigger "
                       "LANGUAGE plpgsql AS $f$ BEGIN RAISE EXCEPTION '%', TG_ARGV[0]; END $f$"),
        QStringLiteral("DROP TRIGGER IF EXISTS %1_sin_cambios ON %1").arg(lower),
        QStringLiteral("CREATE TRIGGER %1_sin_cambios BEFORE UPDATE OR DELETE ON %1 FOR EACH ROW "
                       "EXECUTE FUNCTION ret_solo_agregar('%2')")
            .arg(lower, quoted),
        QStringLiteral("DROP TRIGGER IF EXISTS %1_sin_vaciar ON %1").arg(lower),
        QStringLiteral("CREATE TRIGGER %1_sin_vaciar BEFORE TRUNCATE ON %1 FOR EACH STATEMENT "
                       "EXECUTE FUNCTION ret_solo_agregar('%2')")
            .arg(lower, quoted),
        // PUBLIC, and every role the owner gave those rights to, loses them
        QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON %1 FROM PUBLIC").arg(lower),
        QStringLiteral("DO $f$ DECLARE r record; BEGIN FOR r IN SELECT DISTINCT "
                       "pg_get_userbyid(a.grantee) AS name FROM pg_class c, aclexplode(c.relacl) a "
                       "WHERE c.oid = '%1'::regclass AND a.grantee <> 0 AND a.grantee <> "
                       "c.relowner AND a.privilege_type IN ('UPDATE', 'DELETE', 'TRUNCATE') LOOP "
                       "EXECUTE format('REVOKE UPDATE, DELETE, TRUNCATE ON %1 FROM %I', r.name); "
                       "END LOOP; END $f$")
            .arg(lower),
    };
}

QStringList SqlDialect::allowEmptyText(const TableDef&, const QStringList&) const {
    return {};
}

} // namespace ret
