#include "common/Backup.h"

#include "common/BatchSession.h"
#include "common/Configuration.h"
#include "common/Database.h"
#include "common/Messages.h"
#include "common/RowCheck.h"
#include "common/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace ret {
namespace {

// The row's key, as its first columns show it.
QString keyText(const QVariantList& row, int keyLength) {
    QStringList parts;
    for (int i = 0; i < keyLength && i < row.size(); ++i)
        parts << canonicalValue(row[i]);
    return parts.join(QLatin1Char('|'));
}

// The check values of one table's rows; empty when each is right.
QString wrongCheckValue(Database& db, const TableDef& def, qint64& rows) {
    Cursor c = db.query(QStringLiteral("SELECT * FROM ") + def.name);
    while (c.next()) {
        ++rows;
        const QVariantList row = typedRow(def, c.record());
        if (row.back().toString() != CalculaCNumero(row, def.checkKeyLength))
            return QString::fromUtf8("la fila %1 de la tabla %2 no tiene el valor de control "
                                     "que le corresponde")
                .arg(keyText(row, def.checkKeyLength), def.name);
    }
    return {};
}

const TableDef* knownTable(const QString& name) {
    try {
        return &tableDef(name);
    } catch (const std::out_of_range&) {
        return nullptr;
    }
}

} // namespace

QString defaultBackupPath(const Configuration& config, const QDateTime& at) {
    const QString folder = joinPath(resolveEntry(config.systemDirectory, QStringLiteral("0947")),
                                    QStringLiteral("respaldos"));
    return joinPath(
        folder, QStringLiteral("HUB000-%1.db").arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

BackupProof proveBackup(const QString& file, const std::map<QString, qint64>& counts) {
    BackupProof proof;
    try {
        OpenOptions options;
        options.readOnly = true;
        auto db = Database::open(file, options);
        const auto check = db->scalar(QStringLiteral("PRAGMA integrity_check"));
        if (!check || check->toString() != QLatin1String("ok")) {
            proof.problem = QString::fromUtf8("el archivo está dañado (%1)")
                                .arg(check ? check->toString() : QString());
            return proof;
        }
        const QStringList tables = db->tableNames();
        for (const auto& [table, expected] : counts) {
            if (!tables.contains(table, Qt::CaseInsensitive)) {
                proof.problem = QString::fromUtf8("falta la tabla %1").arg(table);
                return proof;
            }
            const qint64 found =
                db->scalar(QStringLiteral("SELECT count(*) FROM ") + table)->toLongLong();
            if (found != expected) {
                proof.problem = QString::fromUtf8("la tabla %1 tiene %2 filas en lugar de %3")
                                    .arg(table)
                                    .arg(found)
                                    .arg(expected);
                return proof;
            }
            const TableDef* def = knownTable(table);
            if (def == nullptr || def->checkKeyLength == 0) {
                proof.rows += found;
                continue;
            }
            proof.problem = wrongCheckValue(*db, *def, proof.rows);
            if (!proof.ok())
                return proof;
        }
    } catch (const DbError& e) {
        proof.problem = e.description();
    }
    return proof;
}

BackupOutcome backupDatabase(Database& db, const QString& target) {
    BackupOutcome outcome;
    const QFileInfo info(target);
    if (info.exists()) {
        outcome.problem = QString::fromUtf8("ya existe el archivo %1; una copia nunca se "
                                            "escribe sobre otro archivo")
                              .arg(target);
        return outcome;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        outcome.problem =
            QString::fromUtf8("no se pudo crear la carpeta %1").arg(info.absolutePath());
        return outcome;
    }
    const QString scratch = target + QStringLiteral(".%1.tmp").arg(::getpid());
    QFile::remove(scratch);
    try {
        const std::map<QString, qint64> counts = db.backupInto(scratch);
        const BackupProof proof = proveBackup(scratch, counts);
        outcome.rows = proof.rows;
        if (!proof.ok())
            outcome.problem = QString::fromUtf8("la copia no pasó su prueba: ") + proof.problem;
        else if (!QFile::rename(scratch, target))
            outcome.problem = QString::fromUtf8("no se pudo poner la copia en %1").arg(target);
    } catch (const DbError& e) {
        outcome.problem = e.description();
    }
    QFile::remove(scratch);
    if (outcome.ok())
        outcome.file = target;
    return outcome;
}

int runBackupCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                     QTextStream& out) {
    const QString title = QStringLiteral("Copia de seguridad");
    if (arguments.size() > 1) {
        out << "uso: retdecl --backup [ARCHIVO]\n";
        return 2;
    }
    // the caller's file, before the program moves to the system directory
    const QString named =
        arguments.isEmpty() ? QString() : QFileInfo(arguments[0]).absoluteFilePath();
    BatchSession batch(messages);
    if (!batch.open(profile))
        return 2;
    const Configuration& config = batch.session().config;
    if (!config.databaseServer.isEmpty()) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("La base de datos está en un servidor: su copia se hace "
                                          "con pg_dump (vea el README, \"Copias de "
                                          "seguridad\")."),
                        title);
        return 1;
    }
    const QString target =
        named.isEmpty() ? defaultBackupPath(config, QDateTime::currentDateTime()) : named;
    const BackupOutcome made = backupDatabase(batch.db(), target);
    if (!made.ok()) {
        messages.inform(
            MsgIcon::Critical,
            QString::fromUtf8("No se hizo la copia de seguridad: %1.").arg(made.problem), title);
        return 1;
    }
    out << "Copia: " << made.file << " (" << made.rows << " filas comprobadas)\n";
    return 0;
}

} // namespace ret
