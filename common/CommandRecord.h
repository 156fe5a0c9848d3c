#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace ret {

// The fixed-width record the integrator passes as the send tools' whole command line.
struct CommandRecord {
    QString documentType;   // positions 1-2, digits
    QString documentNumber; // positions 3-17, trimmed
    QString form;           // positions 18-21
    QString period;         // positions 22-27, yyyymm
    QString week;           // position 28
    QString further;        // positions 29-36: the sending number (the summary prints it)

    // The base of the tool's file names: type, number, form, period and week run together.
    QString baseName() const { return documentType + documentNumber + form + period + week; }
};

struct RecordProblem {
    QString reason;
};

// The record, or why it cannot be used (too short, a type that is not two digits, a document
// number that is empty or has blanks inside, a period that is not six digits).
std::variant<CommandRecord, RecordProblem> parseRecord(const QString& line);

class MessageSink;

// The record of a send tool's command line, which must be one argument; nullopt after telling
// the user why it cannot be used.
std::optional<CommandRecord> recordFromArguments(const QStringList& arguments,
                                                 MessageSink& messages);

} // namespace ret
