#include "common/SchemaVersion.h"

#include "common/ChangeRecord.h"
#include "common/Database.h"
#include "common/Schema.h"

namespace ret {
namespace {

const QString kVersionTable = QStringLiteral("F947ESQUEMA");

void createMissing(Database& db, const std::vector<TableDef>& tables) {
    for (const TableDef& t : tables) {
        if (db.tableExists(t.name))
            continue;
        for (const QString& sql : db.dialect().createTable(t))
            db.execute(sql);
    }
}

} // namespace

const std::vector<SchemaStep>& schemaSteps() {
    static const std::vector<SchemaStep> steps = {
        {2,
         [](Database& db) {
             // the declarations' versions and the record of their changes, only added to
             createMissing(db, recordTables());
             createMissing(db, {schemaVersionTable()});
             makeRecordAppendOnly(db);
         }},
    };
    return steps;
}

int storedSchemaVersion(Database& db) {
    if (!db.tableExists(QStringLiteral("F947RPCAB")))
        return 0;
    if (!db.tableExists(kVersionTable))
        return 1;
    const auto v = db.scalar(QStringLiteral("SELECT max(version) FROM ") + kVersionTable);
    return v && !v->isNull() ? v->toInt() : 1;
}

void writeSchemaVersion(Database& db, int version) {
    createMissing(db, {schemaVersionTable()});
    db.execute(QStringLiteral("DELETE FROM ") + kVersionTable);
    db.execute(QStringLiteral("INSERT INTO ") + kVersionTable + QStringLiteral(" VALUES (?)"),
               {version});
}

int upgradeSchema(Database& db, const std::vector<SchemaStep>& steps) {
    int version = storedSchemaVersion(db);
    if (version == 0)
        return 0;
    for (const SchemaStep& step : steps) {
        if (step.to <= version)
            continue;
        Transaction tx(db);
        step.apply(db);
        writeSchemaVersion(db, step.to);
        tx.commit();
        version = step.to;
    }
    return version;
}

QString newerSchemaText(const QString& where, int version) {
    return QString::fromUtf8("La base de datos '%1' fue creada por una versión más reciente del "
                             "módulo (sus tablas son de la versión %2; este programa conoce hasta "
                             "la %3). No se cambió nada: instale la versión más reciente del "
                             "módulo.")
        .arg(where)
        .arg(version)
        .arg(kSchemaVersion);
}

std::optional<QString> schemaRefusal(Database& db, const QString& where) {
    const int version = storedSchemaVersion(db);
    if (version > kSchemaVersion)
        return newerSchemaText(where, version);
    if (version < kSchemaVersion)
        return QString::fromUtf8("Las tablas del módulo en la base de datos '%1' son de una "
                                 "versión anterior (la %2; este programa necesita la %3). Ejecute "
                                 "el instalador del módulo (retsetup) antes de usarla.")
            .arg(where)
            .arg(version)
            .arg(kSchemaVersion);
    return std::nullopt;
}

} // namespace ret
