#pragma once

#include <QStringList>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::reports {

// `retdecl --view REPORT`: the viewer on a registered report of the report directory (a bare
// file name, or a path whose file name is taken), as the module opens any report it composed.
// Returns 0 when the viewer was closed, 2 on a bad command line.
int runViewReport(const QStringList& arguments, const Profile& profile, MessageSink& messages);

} // namespace ret::reports
