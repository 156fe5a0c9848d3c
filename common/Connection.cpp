#include "common/Connection.h"

#include "common/Messages.h"
#include "common/Schema.h"
#include "common/SchemaVersion.h"
#include "common/WholeFile.h"

namespace ret {
namespace {

// What makes the file the shared database: the integrator's tables that the module reads, and
// the module's as well for every program but the installer, which creates them. The catalogues
// that only the installer fills are left out: it reports a missing one statement by statement.
QStringList requiredTables(Deliverable who) {
    const QStringList catalogues = {QStringLiteral("reportes"), QStringLiteral("envio_t")};
    QStringList names;
    for (const TableDef& t : integratorTables()) {
        if (!catalogues.contains(t.name, Qt::CaseInsensitive))
            names << t.name;
    }
    if (who != Deliverable::Installer) {
        for (const TableDef& t : moduleTables())
            names << t.name;
    }
    return names;
}

} // namespace

std::unique_ptr<Database> OpenConfiguredDatabase(const Configuration& config,
                                                 const OpenOptions& options) {
    if (!config.databaseServer.isEmpty())
        return Database::openServer(config.databaseServer, options);
    OpenOptions file = options;
    file.oneComputerOnNetworkFolder = file.oneComputerOnNetworkFolder || config.oneComputer;
    return Database::open(config.databasePath, file);
}

QString connectionMessage(Deliverable who, const DbError& error) {
    if (error.number() == dberr::Locked) {
        return QString::number(error.number()) +
               (who == Deliverable::Installer ? QStringLiteral("- Base de datos esta bloqueda")
                                              : QStringLiteral("- Base esta bloqueda"));
    }
    return error.text();
}

std::unique_ptr<Database> OpenSharedDatabase(Deliverable who, const Configuration& config,
                                             const Profile& profile, MessageSink& messages,
                                             const OpenOptions& options) {
    OpenOptions shared = options;
    shared.requiredTables = requiredTables(who);
    try {
        auto db = OpenConfiguredDatabase(config, shared);
        // tables of another version of the module: the installer brings them along, or a
        // newer program is needed
        if (who != Deliverable::Installer) {
            if (const auto refused = schemaRefusal(*db, databaseName(config))) {
                messages.inform(MsgIcon::Critical, *refused, kConnectionTitle);
                return nullptr;
            }
        }
        // the main program stages the declaration in hand in tables of its own session
        if (who == Deliverable::MainProgram)
            db->createSessionTables(stagingTables());
        if (who == Deliverable::MainProgram || who == Deliverable::SendCheck) {
            FileWriteError why;
            if (!profile.write(kOptions, QStringLiteral("SystemDB"), config.workgroupFile, &why)) {
                // the profile stays as it was; like any step of the connection, this ends the run
                messages.inform(MsgIcon::None,
                                why.message() + QLatin1Char('\n') + QString::number(why.number),
                                kConnectionTitle);
                return nullptr;
            }
        }
        return db;
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, connectionMessage(who, e), kConnectionTitle);
        return nullptr;
    }
}

} // namespace ret
