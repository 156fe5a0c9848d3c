#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

namespace ret {

enum class ColumnType {
    Byte,    // 0..255
    Integer, // 16-bit signed
    Long,    // 32-bit signed
    Date,    // stored as "yyyy-MM-dd" (or "yyyy-MM-dd HH:mm:ss" with a time), read back as dates
    Text,    // text(width)
};

struct ColumnDef {
    QString name;
    ColumnType type;
    int width = 0; // texts only
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    QStringList primaryKey;
    int checkKeyLength = 0; // key part of the row check value; 0 when the table has none

    QString primaryKeyName() const { return QStringLiteral("PK_") + name; }
    int indexOf(const QString& column) const; // -1 when absent; case-insensitive
    QStringList columnNames() const;
};

// The module's nine tables, in the order the installer creates them.
const std::vector<TableDef>& moduleTables();
// The declarations' versions (F947VERSION) and the record of their changes (F947BITACORA),
// which the installer creates beside the nine.
const std::vector<TableDef>& recordTables();
// The one row of the module's tables' version (F947ESQUEMA).
const TableDef& schemaVersionTable();
// The three staging tables of the declaration in hand (the detail the windows and the import
// work on until it is saved), in the order of moduleTables().
const std::vector<TableDef>& stagingTables();
// The integrator's tables that the module reads and writes.
const std::vector<TableDef>& integratorTables();
// Any of the above by name (case-insensitive); throws std::out_of_range when unknown.
const TableDef& tableDef(const QString& name);

// A record read from the table, as the row of values in the table's column order, with date
// columns as QDate (or QDateTime when they hold a time) and numeric columns as numbers.
QVariantList typedRow(const TableDef& table, const QSqlRecord& record);

// A value of typedRow() written one way whatever the engine it was read from: dates as
// "yyyy-MM-dd" (with " HH:mm:ss" when they hold a time), null as "NULL".
QString canonicalValue(const QVariant& value);

// The value as stored for a column of that type (dates in their fixed text form).
QVariant storedValue(ColumnType type, const QVariant& value);
// A stored date text back as QDate / QDateTime; anything else unchanged.
QVariant dateFromStored(const QVariant& stored);

} // namespace ret
