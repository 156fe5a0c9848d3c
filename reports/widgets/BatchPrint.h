#pragma once

#include <QStringList>
#include <QTextStream>

namespace ret {
class MessageSink;
class Profile;
} // namespace ret

namespace ret::reports {

// `retdecl --print RUC PERIOD declaracion|anexos [--correl C] [--pdf FILE]`: the print window's
// direct print without any window. The declaration (its sent copy C with --correl) is found in
// the print window's list, its report registered and composed into the report directory (the
// file's path is printed), then every page goes to the default printer, or to FILE as a PDF.
// Returns 0 when it was printed, 1 when the report could not be composed whole or printed, 2
// when nothing could be started (usage, database, a declaration not in the list).
int runBatchPrint(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                  QTextStream& out);

} // namespace ret::reports
