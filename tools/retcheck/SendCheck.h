#pragma once

#include <QDateTime>
#include <QStringList>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::check {

// Exit codes: the declaration is consistent; the report was written; the run could not be made
// (an unusable record, no connection, a file that could not be written, another copy running).
// Busy: another copy runs on the same database; the integrator may try again shortly.
enum ExitCode { Consistent = 0, Inconsistent = 1, NotRun = 2, Busy = 3 };

inline const QString kToolTitle = QString::fromUtf8("Presentación Telemática");

// One run of the send-verification tool on its command-line record (passed as one argument).
int runSendCheck(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                 const QDateTime& now);

} // namespace ret::check
