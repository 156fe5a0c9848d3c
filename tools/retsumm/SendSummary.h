#pragma once

#include <QDateTime>
#include <QStringList>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::summary {

// Exit codes: the summary was written; the run could not be made (an unusable record, no
// connection, another copy running).
enum ExitCode { Done = 0, NotRun = 2 };

// One run of the send-summary tool on its command-line record (passed as one argument).
int runSendSummary(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                   const QDateTime& now);

} // namespace ret::summary
