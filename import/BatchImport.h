#pragma once

#include <QStringList>
#include <QTextStream>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::import {

// `retdecl --import DIR RUC PERIOD [--save]`: the window's import without any window. The
// declaration is opened as the declaration window opens it (its stored detail staged, nothing
// for one not registered yet), the import runs on the staging tables, the log, error files and
// error report are written, the two counts printed, and with --save the declaration is saved as
// "&Grabar" saves it. Returns 0 when no line was refused, 1 when some were, 2 when the import
// could not run, kSaveConflict when another program changed, registered or deleted the
// declaration after it was opened (nothing saved).
constexpr int kSaveConflict = 3;
int runBatchImport(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                   QTextStream& out);

} // namespace ret::import
