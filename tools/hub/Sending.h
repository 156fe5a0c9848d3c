#pragma once

#include "common/ChangeRecord.h"

#include <QDate>
#include <QString>
#include <QTextStream>

namespace ret {
class Database;
struct TableDef;
} // namespace ret

namespace ret::hub {

inline const QString kForm = QStringLiteral("0947");

// The integrator's register of the sending numbers it has given (HUBENVIO). A number is given
// once the transaction that records it commits, and never again, even when its sending fails.
const TableDef& sendingNumbersTable();

struct SendResult {
    bool ok = false;
    QString correl;  // "001", "002", ... per declaration
    QString control; // 8 digits, the first not 0
    QString error;   // why nothing was sent
};

// The integrator's sending of a registered declaration (the contributor's RUC and the period):
// one new copy of its CAB, DET and module rows in the history tables, under the next correl,
// all in one transaction with its entry in the record of changes. Nothing is written when it
// fails.
SendResult sendDeclaration(Database& db, const QString& ruc, const QString& period,
                           const QDate& today,
                           const Actor& actor = Actor::here({}, QStringLiteral("hub")));

struct SendingOutcome {
    bool sent = false;
    QString text;    // what was sent, or why nothing was
    QString summary; // the summary's text for the integrator (in TMP)
    QString report;  // the summary's registered report (RYP004), a file of the report directory
};

// The newest report of a code registered for a document; empty when there is none.
QString latestReport(Database& db, const QString& code, const QString& docId);

// The integrator's whole sending: retcheck on the declaration (an inconsistent one is not
// sent; the outcome names its report), retsumm under the next sending number (a summary not
// written whole stops the sending), then the copy into the history tables. The tools are the
// programs in `toolDirectory`.
SendingOutcome sendWithChecks(const QString& profilePath, const QString& ruc, const QString& period,
                              const QString& toolDirectory);

// `hub send`: the sending above, told on `out` and `err`. Returns the exit code.
int sendCommand(const QString& profilePath, const QString& ruc, const QString& period,
                const QString& toolDirectory, QTextStream& out, QTextStream& err);

} // namespace ret::hub
