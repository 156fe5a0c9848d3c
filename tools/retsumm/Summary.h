#pragma once

#include "common/CommandRecord.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace ret {
class Database;
class ImpLinea;
} // namespace ret

namespace ret::summary {

// What the summary of a sending shows, read from the shared tables.
struct SummaryData {
    QString abbreviation; // of the document type ("RUC")
    QString number;
    QString name;
    QString form;
    QString period; // for display: "mm/yyyy", or the year alone for month "00"
    bool cashLines = false;
    QString cashAmount;
    bool chequeLines = false;
    QString bank;
    QString bankName;
    QString chequeNumber;
    QString chequeAmount;
    bool rectifying = false;
    std::optional<QString> box405; // i_valor, when the box has a row
    std::optional<QString> box410;
    QString sendingNumber;
    QDateTime now;
};

// The period as the queries take it: the year alone for month "00".
QString queryPeriod(const QString& period);
// The text of the declaration-header query, as it is traced.
QString headerQueryText(const CommandRecord& r);

// The summary of the record's declaration; nullopt when it has no header row.
std::optional<SummaryData> readSummary(Database& db, const CommandRecord& r, const QDateTime& now);

// The registered report's items (tags, header and body).
void writeReport(ImpLinea& out, const SummaryData& s);
// The plain summary's lines.
QStringList plainLines(const SummaryData& s);

} // namespace ret::summary
