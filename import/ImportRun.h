#pragma once

#include <QString>

#include <functional>

namespace ret {
struct Session;
}

namespace ret::import {

// How a run ended.
enum class Outcome {
    Done,            // every line read (some may have been rejected)
    Aborted,         // "&Salir" part-way: the whole lines read so far stay staged
    NoDirectory,     // no directory chosen
    FileMissing,     // no import file in the directory
    WrongFieldCount, // a line without exactly 14 separators: nothing staged
    Unterminated,    // a line not ending with the separator: nothing staged
    Failed,          // a database failure, or a log or error file that could not be written:
                     // the staging tables are as before the run
};

struct RunResult {
    Outcome outcome = Outcome::Done;
    int accepted = 0;
    int rejected = 0;
    QString importFile;
    QString logFile;
    QString errorFile;
    QString failure; // for Outcome::Failed: the error's number and text
};

// One import of the declaration in hand (CurrentRuc, CurrentPeriod, RetentionRate,
// RetentionKind of the session) from `directory`: the lines that pass every field check are
// staged whole, the others recorded in the log and error files (written whole, afresh, by every
// run that refuses a line). The run is one transaction, the subjects' totals included; each line
// is staged whole or not at all.
// `progress` is told the lines done and their total before each line, and returns false to stop the
// run.
RunResult Transferencia(Session& session, const QString& directory,
                        const std::function<bool(int done, int total)>& progress = {});

// The subjects' totals from their staged vouchers, exact and with the decimals the amounts
// have (two at least). A total too large for its column throws DbError naming the subject, and
// no total is written.
void CalcularTot(Session& session);

} // namespace ret::import
