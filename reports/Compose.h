#pragma once

// the declaration key only (no code of the declaration library is used)
#include "declaration/DeclarationStore.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace ret {
class Database;
class MessageSink;
struct ReportEntry;
} // namespace ret

namespace ret::reports {

struct ReportInputs;

enum class ReportKind {
    Declaration, // RYP002, portrait form
    Annex,       // RYP003, landscape listing
};

// What one composition needs: which report, where it goes, and whose declaration it prints
// (a sent copy through `id.sent` and `id.correl`). Unless given, the boxes, payment data and
// numbers are read from the declaration's stored rows when composing starts.
struct ComposeSettings {
    ReportKind kind = ReportKind::Declaration;
    QString reportPath;
    DeclarationId id;
    QString name; // the declarant's razón social
    QDateTime now = QDateTime::currentDateTime();
    // the boxes and payment data when the caller has read them already
    const ReportInputs* inputs = nullptr;
};

// Composes the report and writes it whole into `settings.reportPath`. A failure is shown with
// the title "Impresión" and returns false: a composition that failed part-way leaves the file
// with what was composed so far; a file that could not be written is left as it was.
// `pages`, when given, receives the number of pages the report has.
bool GenerarReporte(Database& db, const ComposeSettings& settings, MessageSink& messages,
                    int* pages = nullptr);

struct RegisteredComposition {
    QString fileName; // the register's file name, in the report directory
    int pages = 0;
    bool composed = false; // false: composing failed part-way (its message shown)
};

// Composes the report and registers it with its file (`settings.reportPath` is not used): the
// register row is committed only once its file is whole in `reportDirectory`. Nullopt, after
// the message (title "Impresión"), when the file could not be written: nothing is registered
// then. A composition that failed part-way is registered with what it holds. Throws DbError
// when the register cannot be written.
std::optional<RegisteredComposition>
GenerarReporteRegistrado(Database& db, const ComposeSettings& settings, const ReportEntry& entry,
                         const QString& reportDirectory, MessageSink& messages);

} // namespace ret::reports
