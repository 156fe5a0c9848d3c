#pragma once

#include <QDateTime>
#include <QStringList>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::summary {

// Exit codes: the summary was written, every file of it whole; a file of it could not be
// written whole (told in a message; a file not written stays as it was); the run could not be
// made (an unusable record, no connection, another copy running).
// Busy: another copy runs on the same database; the integrator may try again shortly.
enum ExitCode { Done = 0, NotWritten = 1, NotRun = 2, Busy = 3 };

// One run of the send-summary tool on its command-line record (passed as one argument).
int runSendSummary(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                   const QDateTime& now);

} // namespace ret::summary
