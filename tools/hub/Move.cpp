#include "tools/hub/Move.h"

#include "common/ChangeRecord.h"
#include "common/Configuration.h"
#include "common/Database.h"
#include "common/Profile.h"
#include "common/RowBatch.h"
#include "common/Schema.h"
#include "common/WholeFile.h"
#include "tools/hub/Sending.h"

namespace ret::hub {
namespace {

// Every table the system knows, by name.
const TableDef* knownTable(const QString& name) {
    if (name.compare(sendingNumbersTable().name, Qt::CaseInsensitive) == 0)
        return &sendingNumbersTable();
    try {
        return &tableDef(name);
    } catch (const std::out_of_range&) {
        return nullptr;
    }
}

// The table's rows, each written one way whatever the engine, sorted.
QStringList rowsOf(Database& db, const TableDef& t) {
    QStringList rows;
    Cursor c = db.query(QStringLiteral("SELECT * FROM ") + t.name);
    while (c.next()) {
        QStringList fields;
        for (const QVariant& v : typedRow(t, c.record()))
            fields << canonicalValue(v);
        rows << fields.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// Copies one table's rows; returns how many.
int copyTable(Database& from, Database& to, const TableDef& t) {
    for (const QString& sql : to.dialect().createTable(t))
        to.execute(sql);
    RowBatch insert = RowBatch::insertInto(to, t);
    int copied = 0;
    Cursor c = from.query(QStringLiteral("SELECT * FROM ") + t.name);
    while (c.next()) {
        insert.add(typedRow(t, c.record()));
        ++copied;
    }
    insert.flush();
    return copied;
}

} // namespace

int moveToServer(const QString& profilePath, const QString& conninfo, QTextStream& out,
                 QTextStream& err) {
    const Profile profile(profilePath);
    const Configuration config = ReadConfiguration(Deliverable::SendCheck, profile);
    if (!config.databaseServer.isEmpty()) {
        err << "hub: " << profilePath << " names a server already (DBServer)\n";
        return 1;
    }
    try {
        auto from = Database::open(config.databasePath);
        std::vector<const TableDef*> tables;
        for (const QString& name : from->tableNames()) {
            const TableDef* t = knownTable(name);
            if (t == nullptr) {
                err << "hub: the table " << name << " of " << config.databasePath
                    << " is not one of the system's; nothing was moved\n";
                return 1;
            }
            tables.push_back(t);
        }
        auto to = Database::openServer(conninfo);
        if (!to->tableNames().isEmpty()) {
            err << "hub: the server database " << conninfo << " is not empty; nothing was moved\n";
            return 1;
        }
        Transaction tx(*to);
        int rows = 0;
        for (const TableDef* t : tables) {
            const int copied = copyTable(*from, *to, *t);
            // the same rows, check values and all, or nothing is moved
            if (rowsOf(*to, *t) != rowsOf(*from, *t)) {
                err << "hub: the rows of " << t->name
                    << " on the server differ from the file's; nothing was moved\n";
                return 1;
            }
            rows += copied;
        }
        // the record of changes stays one that is only added to
        if (to->tableExists(QStringLiteral("F947BITACORA")))
            makeRecordAppendOnly(*to);
        tx.commit();
        FileWriteError why;
        if (!profile.write(kOptions, QStringLiteral("DBServer"), conninfo, &why)) {
            err << "hub: the database was copied, but " << profilePath
                << " could not name it: " << why.message() << '\n';
            return 1;
        }
        out << "Moved " << tables.size() << " tables, " << rows << " rows, from "
            << config.databasePath << " to " << conninfo << "\n  profile: " << profilePath
            << " (DBServer)\n";
        return 0;
    } catch (const DbError& e) {
        err << "hub: " << e.text().replace(QLatin1Char('\n'), QLatin1Char(' '))
            << "; nothing was moved\n";
        return 1;
    }
}

} // namespace ret::hub
