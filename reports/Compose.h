#pragma once

// the declaration key only (no code of the declaration library is used)
#include "DeclarationStore.h"

#include <QDateTime>
#include <QString>

namespace ret {
class Database;
class MessageSink;
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

// Composes the report into its file (created or emptied) and closes it. A failure is shown
// with the title "Impresión" and leaves the file with what was written so far; returns false
// then. `pages`, when given, receives the number of pages the report has.
bool GenerarReporte(Database& db, const ComposeSettings& settings, MessageSink& messages,
                    int* pages = nullptr);

} // namespace ret::reports
