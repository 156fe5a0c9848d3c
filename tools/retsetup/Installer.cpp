#include "tools/retsetup/Installer.h"

#include "common/Backup.h"
#include "common/Connection.h"
#include "common/HelpBook.h"
#include "common/Messages.h"
#include "common/Parameters.h"
#include "common/Schema.h"
#include "common/SchemaVersion.h"
#include "tools/retsetup/Catalogue.h"
#include "tools/retsetup/HelpPages.h"

#include <optional>

namespace ret::setup {

int Installer::run() {
    config_ = ReadConfiguration(Deliverable::Installer, profile_);
    if (config_.sysPath.isEmpty()) {
        messages_.inform(MsgIcon::Information, QStringLiteral("Debe instalar primero el Velkar "),
                         kTitle);
        return 1;
    }
    if (!connect())
        return 1;
    if (refusesNewerTables())
        return 1;
    writeRows();
    // the old installer opened the database afresh before creating the tables
    db_.reset();
    if (!connect())
        return 1;
    createTables();
    writeRows();
    db_.reset();
    installHelp();
    return catalogueFailed_ || statementFailed_ || helpFailed_ ? 1 : 0;
}

void Installer::installHelp() {
    // where the main program looks for it, by the main program's reading of the profile
    const QString folder = helpFolder(ReadConfiguration(Deliverable::MainProgram, profile_));
    if (const auto failed = installHelpPages(folder)) {
        messages_.inform(MsgIcon::Critical, failed->message(), kTitle);
        helpFailed_ = true;
    }
}

bool Installer::connect() {
    db_ = OpenSharedDatabase(Deliverable::Installer, config_, profile_, messages_, options_);
    return db_ != nullptr;
}

void Installer::alone(const std::function<void()>& statement) {
    if (db_->dialect().engine() != SqlDialect::Engine::Postgres)
        return statement();
    db_->execute(QStringLiteral("SAVEPOINT sentencia"));
    try {
        statement();
    } catch (const DbError&) {
        db_->execute(QStringLiteral("ROLLBACK TO SAVEPOINT sentencia"));
        db_->execute(QStringLiteral("RELEASE SAVEPOINT sentencia"));
        throw;
    }
    db_->execute(QStringLiteral("RELEASE SAVEPOINT sentencia"));
}

bool Installer::exists(const QString& sql, const QVariantList& params) {
    bool found = false;
    try {
        alone([&] { found = db_->scalar(sql, params).has_value(); });
    } catch (const DbError&) {
        // the statement that follows reports what is wrong with the table
    }
    return found;
}

bool Installer::execute(const QString& sql, const QVariantList& params) {
    try {
        alone([&] { db_->execute(sql, params); });
        return true;
    } catch (const DbError& e) {
        if (e.number() == dberr::TableExists) {
            // whatever the answer, nothing is overwritten
            messages_.askYesNo(MsgIcon::Question,
                               QStringLiteral("Se  detectado que ya existen las tablas del "
                                              "Marvolo\n Desea Sobreescribirlas?"),
                               kTitle, MsgAnswer::No);
        } else if (e.number() != dberr::PrimaryKeyExists) {
            reportSqlError(e);
        }
        return false;
    }
}

void Installer::reportSqlError(const DbError& e) {
    statementFailed_ = true;
    messages_.inform(MsgIcon::Critical,
                     QStringLiteral("Error Número : %1\n%2").arg(e.number()).arg(e.description()),
                     kSqlErrorTitle);
}

void Installer::inOneTransaction(const std::function<void()>& work) {
    std::optional<Transaction> tx;
    try {
        tx.emplace(*db_);
    } catch (const DbError& e) {
        reportSqlError(e);
        return;
    }
    work();
    try {
        tx->commit();
    } catch (const DbError& e) {
        reportSqlError(e);
    }
}

void Installer::writeRows() {
    inOneTransaction([this] {
        writeParameters();
        writeReportCodes();
        writeCatalogue();
    });
}

void Installer::writeParameters() {
    for (const ParamRow& p : seededParameters()) {
        if (exists(QStringLiteral("SELECT 1 FROM PARAM WHERE numero = ? AND argumento = ?"),
                   {p.numero, p.argumento}))
            execute(QStringLiteral("UPDATE PARAM SET funcion = ?, correl_param = ? WHERE "
                                   "numero = ? AND argumento = ?"),
                    {p.funcion, p.correlParam, p.numero, p.argumento});
        else
            execute(QStringLiteral("INSERT INTO PARAM VALUES (?, ?, ?, ?)"),
                    {p.numero, p.argumento, p.funcion, p.correlParam});
    }
}

void Installer::writeReportCodes() {
    for (const ReportCode& r : reportCodes()) {
        if (!exists(QStringLiteral("SELECT 1 FROM reportes WHERE codrep = ?"), {r.code}))
            execute(QStringLiteral("INSERT INTO reportes VALUES (?, ?, 1)"), {r.code, r.title});
    }
}

void Installer::writeCatalogue() {
    if (catalogueFailed_)
        return; // reported once; the second pass has nothing to add
    const QString path = resolveEntry(config_.temporaryDirectory, QStringLiteral("env947.txt"));
    const Catalogue cat = readCatalogue(path);
    if (cat.error) {
        catalogueFailed_ = true;
        const QString where =
            cat.error->line > 0 ? QStringLiteral(", línea %1").arg(cat.error->line) : QString();
        messages_.inform(MsgIcon::Critical,
                         QStringLiteral("No se pudo cargar el catálogo de envío %1%2: %3.\n"
                                        "No se cargó ninguna de sus líneas.")
                             .arg(path, where, cat.error->reason),
                         kTitle);
        return;
    }
    for (const CatalogueRow& row : cat.rows) {
        if (exists(QStringLiteral("SELECT 1 FROM envio_t WHERE formulario = ? AND tabla_o = ?"),
                   {kForm, row.tablaO})) {
            execute(QStringLiteral("UPDATE envio_t SET tabla_d = ?, tabla_ext = ?, indice = ?, "
                                   "obliga = ?, c_tip_doc_d = ?, c_doc_id_d = ?, c_Formulario = ?, "
                                   "c_periodo = ?, c_estado = ?, c_envio = ?, c_semana = ? "
                                   "WHERE formulario = ? AND tabla_o = ?"),
                    QVariantList{row.tablaD, row.tablaExt} + row.numbers +
                        QVariantList{kForm, row.tablaO});
        } else {
            execute(QStringLiteral("INSERT INTO envio_t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                   "?, ?)"),
                    QVariantList{kForm, row.tablaO, row.tablaD, row.tablaExt} + row.numbers);
        }
    }
}

bool Installer::refusesNewerTables() {
    try {
        const int version = storedSchemaVersion(*db_);
        if (version <= kSchemaVersion)
            return false;
        messages_.inform(MsgIcon::Critical, newerSchemaText(databaseName(config_), version),
                         kTitle);
    } catch (const DbError& e) {
        reportSqlError(e);
    }
    return true;
}

void Installer::createTables() {
    // an earlier version's tables are brought along step by step, each step whole or not at
    // all; a database without the module's tables gets this version's at once
    try {
        const int stored = storedSchemaVersion(*db_);
        // the tables of an earlier version change only once a proven backup of them exists
        if (stored > 0 && stored < kSchemaVersion) {
            const BackupTold backup = makeBackup(*db_, config_);
            if (!backup.made) {
                statementFailed_ = true;
                messages_.inform(MsgIcon::Critical,
                                 backup.text + QString::fromUtf8(" Las tablas no se cambiaron."),
                                 kTitle);
                return;
            }
        }
        upgradeSchema(*db_);
    } catch (const DbError& e) {
        reportSqlError(e);
        return;
    }
    inOneTransaction([this] {
        createMissingTables();
        try {
            alone([&] {
                if (storedSchemaVersion(*db_) < kSchemaVersion)
                    writeSchemaVersion(*db_, kSchemaVersion);
            });
        } catch (const DbError& e) {
            reportSqlError(e);
        }
    });
}

void Installer::createMissingTables() {
    QStringList existing;
    try {
        alone([&] {
            for (const QString& t : db_->tableNames())
                existing << t.toUpper();
        });
    } catch (const DbError& e) {
        reportSqlError(e);
        return;
    }
    const SqlDialect& dialect = db_->dialect();
    for (const auto* tables : {&moduleTables(), &recordTables()}) {
        for (const TableDef& t : *tables) {
            if (existing.contains(t.name.toUpper()))
                continue;
            for (const QString& sql : dialect.createTable(t))
                execute(sql);
        }
    }
    // the record of changes is only added to, on new databases and on those made before it
    for (const QString& sql : dialect.appendOnly(QStringLiteral("F947BITACORA"), kRecordRefusal))
        execute(sql);
    const QStringList names = {QStringLiteral("des_razon"), QStringLiteral("des_apellido_p"),
                               QStringLiteral("des_apellido_m"), QStringLiteral("des_nombres")};
    for (const char* t : {"F947RPCAB", "HF947RPCAB", "TMPF947RPCAB"}) {
        for (const QString& sql : dialect.allowEmptyText(tableDef(QLatin1String(t)), names)) {
            try {
                alone([&] { db_->execute(sql); });
            } catch (const DbError&) {
                // a missing table has nothing to allow
            }
        }
    }
}

} // namespace ret::setup
