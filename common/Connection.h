#pragma once

#include "common/Configuration.h"
#include "common/Database.h"

#include <memory>

namespace ret {

class MessageSink;

inline const QString kConnectionTitle = QString::fromUtf8("Error de Conección");

// Opens the shared database for the deliverable. On failure it shows the connection message
// (title "Error de Conección") and returns null: the caller ends the program. The main program
// and the send-verification tool record the workgroup path as SystemDB in the profile;
// this happens only once the database is open, so a failed start changes no file. A profile
// that cannot be written is a failure of the connection like the others.
std::unique_ptr<Database> OpenSharedDatabase(Deliverable who, const Configuration& config,
                                             const Profile& profile, MessageSink& messages,
                                             const OpenOptions& options = {});

// Opens the database the configuration names: the server of DBServer when there is one, else
// the file. Throws DbError like Database::open.
std::unique_ptr<Database> OpenConfiguredDatabase(const Configuration& config,
                                                 const OpenOptions& options = {});

// The text of the connection message for an error.
QString connectionMessage(Deliverable who, const DbError& error);

} // namespace ret
