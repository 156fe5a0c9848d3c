#include "Connection.h"

#include "Messages.h"

namespace ret {

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
    try {
        auto db = Database::open(config.databasePath, options);
        if (who == Deliverable::MainProgram || who == Deliverable::SendCheck) {
            if (!profile.write(kOptions, QStringLiteral("SystemDB"), config.workgroupFile))
                qWarning("SystemDB could not be written to %s", qPrintable(profile.path()));
        }
        return db;
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, connectionMessage(who, e), kConnectionTitle);
        return nullptr;
    }
}

} // namespace ret
