#pragma once

// What the stress tests compare: the rows of the declarations, the sendings and the report
// register, read through the module's own database layer and kept as sorted texts, so that two
// runs compare as multisets whatever order their processes wrote in.

#include "common/Database.h"

#include <QFileInfo>
#include <QSqlRecord>
#include <QStringList>

#include <algorithm>
#include <map>

namespace ret::test {

// The tables of a declaration (working copy) and of its sendings (history copies).
inline const QStringList kDeclarationTables = {
    QStringLiteral("CAB"),          QStringLiteral("DET"),          QStringLiteral("F947RPCAB"),
    QStringLiteral("F947RPDET"),    QStringLiteral("F947RPDETDET"), QStringLiteral("HCAB"),
    QStringLiteral("HDET"),         QStringLiteral("HF947RPCAB"),   QStringLiteral("HF947RPDET"),
    QStringLiteral("HF947RPDETDET")};

// What the installer writes besides the tables themselves.
inline const QStringList kInstallerTables = {QStringLiteral("PARAM"), QStringLiteral("reportes"),
                                             QStringLiteral("envio_t")};

// Columns that two correct runs of the same commands fill differently, left out of every
// comparison:
// - CAB.fec_pro is the day of the save, and HCAB copies it; HCAB.fec_env is the day of the
//   sending: a run that straddles midnight differs;
// - HCAB.control is a new random value for every sending;
// - cNumero is the row's check value, computed over the row, so it follows the dates above in
//   CAB and HCAB (in the other tables it is compared);
// - SPOOL's Secuencia and Archivo are the register's running numbers, given in the order the
//   processes reach the register, and Fecha is the time of the report.
inline bool leftAside(const QString& table, const QString& column) {
    static const std::map<QString, QStringList> kColumns = {
        {QStringLiteral("CAB"), {QStringLiteral("fec_pro"), QStringLiteral("cNumero")}},
        {QStringLiteral("HCAB"),
         {QStringLiteral("fec_pro"), QStringLiteral("fec_env"), QStringLiteral("control"),
          QStringLiteral("cNumero")}},
        {QStringLiteral("SPOOL"),
         {QStringLiteral("Secuencia"), QStringLiteral("Archivo"), QStringLiteral("Fecha")}},
    };
    const auto it = kColumns.find(table);
    return it != kColumns.end() && it->second.contains(column, Qt::CaseInsensitive);
}

struct Snapshot {
    // table -> its rows as "column=value|...", sorted; a missing table has the one row "(no table)"
    std::map<QString, QStringList> tables;
    // one declaration ("RUC PERIOD FORM") or one of its sendings ("RUC PERIOD FORM correl C")
    // -> its rows over every declaration table, as "TABLE column=value|...", sorted
    std::map<QString, QStringList> units;
    QStringList reportFiles; // the files the register names (SPOOL.Archivo)
};

namespace detail {

inline QString rowText(const QString& table, const QSqlRecord& r) {
    QStringList fields;
    for (int i = 0; i < r.count(); ++i) {
        if (leftAside(table, r.fieldName(i)))
            continue;
        const QVariant v = r.value(i);
        fields << r.fieldName(i).toLower() + QLatin1Char('=') +
                      (v.isNull() ? QStringLiteral("NULL") : v.toString());
    }
    return fields.join(QLatin1Char('|'));
}

inline QString unitOf(const QSqlRecord& r) {
    QString unit = r.value(QStringLiteral("doc_id_d")).toString().trimmed() + QLatin1Char(' ') +
                   r.value(QStringLiteral("periodo")).toString() + QLatin1Char(' ') +
                   r.value(QStringLiteral("formulario")).toString();
    if (r.indexOf(QStringLiteral("correl")) >= 0)
        unit += QStringLiteral(" correl ") + r.value(QStringLiteral("correl")).toString();
    return unit;
}

inline void readTable(Database& db, const QString& table, const QString& sql, Snapshot& s) {
    QStringList& rows = s.tables[table];
    if (!db.tableExists(table) && table != QLatin1String("schema")) {
        rows << QStringLiteral("(no table)");
        return;
    }
    const bool declaration = kDeclarationTables.contains(table);
    Cursor c = db.query(sql);
    while (c.next()) {
        const QSqlRecord r = c.record();
        rows << rowText(table, r);
        if (declaration)
            s.units[unitOf(r)] << table + QLatin1Char(' ') + rows.back();
    }
    rows.sort();
}

} // namespace detail

// Reads the database at `path`: the declaration tables, SPOOL, the installer's rows and the
// schema (every table, index and their definitions).
inline Snapshot takeSnapshot(Database& database) {
    Snapshot s;
    Database* db = &database;
    for (const QString& t : kDeclarationTables + kInstallerTables + QStringList{"SPOOL"})
        detail::readTable(*db, t, QStringLiteral("SELECT * FROM ") + t, s);
    detail::readTable(
        *db, QStringLiteral("schema"),
        db->dialect().engine() == SqlDialect::Engine::Postgres
            ? QStringLiteral("SELECT table_name, column_name, data_type, character_maximum_length "
                             "FROM information_schema.columns WHERE table_schema = "
                             "current_schema()")
            : QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master"),
        s);
    for (auto& unit : s.units)
        unit.second.sort();
    Cursor c = db->query(QStringLiteral("SELECT Archivo FROM SPOOL"));
    while (c.next())
        s.reportFiles << c.text(0).trimmed();
    return s;
}

inline Snapshot takeSnapshot(const QString& path) {
    auto db = Database::open(path);
    return takeSnapshot(*db);
}

// What differs between two maps of sorted rows, for a failure message: per key, the rows only
// in `a` ("-") and only in `b` ("+"), at most `limit` lines. Empty when they are equal.
inline QString difference(const std::map<QString, QStringList>& a,
                          const std::map<QString, QStringList>& b, int limit = 12) {
    QStringList keys;
    for (const auto& m : {&a, &b}) {
        for (const auto& [k, rows] : *m) {
            if (!keys.contains(k))
                keys << k;
        }
    }
    QStringList lines;
    int omitted = 0;
    const auto note = [&](const QString& line) {
        if (lines.size() < limit)
            lines << line;
        else
            ++omitted;
    };
    static const QStringList kNone;
    for (const QString& k : keys) {
        const auto ia = a.find(k);
        const auto ib = b.find(k);
        const QStringList& ra = ia == a.end() ? kNone : ia->second;
        const QStringList& rb = ib == b.end() ? kNone : ib->second;
        if (ra == rb)
            continue;
        QStringList onlyA;
        QStringList onlyB;
        std::set_difference(ra.begin(), ra.end(), rb.begin(), rb.end(), std::back_inserter(onlyA));
        std::set_difference(rb.begin(), rb.end(), ra.begin(), ra.end(), std::back_inserter(onlyB));
        note(QStringLiteral("%1: %2 rows against %3").arg(k).arg(ra.size()).arg(rb.size()));
        for (const QString& r : onlyA)
            note(QStringLiteral("  - ") + r);
        for (const QString& r : onlyB)
            note(QStringLiteral("  + ") + r);
    }
    if (omitted > 0)
        lines << QStringLiteral("  (%1 more lines)").arg(omitted);
    return lines.join(QLatin1Char('\n'));
}

// The same map without the given keys.
inline std::map<QString, QStringList> without(std::map<QString, QStringList> m,
                                              const QStringList& keys);

// What differs between two snapshots' tables, the declaration tables told per declaration and
// sending (every row of them belongs to one), which is what a reader looks for.
inline QString difference(const Snapshot& a, const Snapshot& b) {
    QStringList parts;
    if (const QString d = difference(a.units, b.units); !d.isEmpty())
        parts << d;
    if (const QString d = difference(without(a.tables, kDeclarationTables),
                                     without(b.tables, kDeclarationTables));
        !d.isEmpty())
        parts << d;
    return parts.join(QLatin1Char('\n'));
}

// The same map without the given keys.
inline std::map<QString, QStringList> without(std::map<QString, QStringList> m,
                                              const QStringList& keys) {
    for (const QString& k : keys)
        m.erase(k);
    return m;
}

// The register rows that name no file of the report directory.
inline QStringList missingReportFiles(const Snapshot& s, const QString& reportDirectory) {
    QStringList missing;
    for (const QString& f : s.reportFiles) {
        if (!QFileInfo(reportDirectory + QLatin1Char('/') + f).isFile())
            missing << f;
    }
    return missing;
}

inline QString integrity(const QString& path) {
    auto db = Database::open(path);
    const auto result = db->scalar(QStringLiteral("PRAGMA integrity_check"));
    return result ? result->toString() : QStringLiteral("(no answer)");
}

// The file's integrity check; a server keeps its own files whole, and answering is its check.
inline QString integrity(Database& db) {
    if (db.dialect().engine() == SqlDialect::Engine::Postgres)
        return db.scalar(QStringLiteral("SELECT 'ok'"))->toString();
    const auto result = db.scalar(QStringLiteral("PRAGMA integrity_check"));
    return result ? result->toString() : QStringLiteral("(no answer)");
}

} // namespace ret::test
