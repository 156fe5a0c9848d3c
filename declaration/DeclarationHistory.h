#pragma once

#include "common/ChangeRecord.h"

#include <QStringList>
#include <QTextStream>

#include <vector>

namespace ret {

class MessageSink;
class Profile;

// The record of a declaration's changes as the lists and `retdecl --history` show it: a title,
// then one block per change, newest first.
QString historyText(const QString& ruc, const QString& period,
                    const std::vector<RecordEntry>& entries);

// `retdecl --history RUC PERIOD`: the record of the declaration and its sent copies on standard
// output, for a contributor of the profile's user. Returns 0 when it was read (also when it is
// empty), 2 when it could not be (usage, connection, another user's contributor).
int runHistoryCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                      QTextStream& out);

} // namespace ret
