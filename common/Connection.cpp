#include "Connection.h"

#include "Messages.h"
#include "WholeFile.h"

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
