#pragma once

#include "common/CommandRecord.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <vector>

namespace ret {
class Database;
class DbError;
} // namespace ret

namespace ret::check {

// One inconsistency: its text (beginning with ") ") and the rows listed under it.
struct Inconsistency {
    QString text;
    QStringList listing;
};

// Compares the declaration's boxes with its stored detail and the three detail levels with one
// another, in the order the report lists them. A check that meets a database error is skipped
// (reported to `onError`) and the others still run. Reads only.
std::vector<Inconsistency> runChecks(Database& db, const CommandRecord& record,
                                     const std::function<void(const DbError&)>& onError = {});

// The report file's lines: date and time, title, rule, then the numbered entries with their
// listings.
QStringList reportLines(const std::vector<Inconsistency>& found, const QString& form,
                        const QDateTime& now);

} // namespace ret::check
