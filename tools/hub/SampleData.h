#pragma once

#include <QString>

#include <vector>

namespace ret::hub {

// The integrator's own rows that the module reads but does not seed: a small, realistic set
// for a ready environment.
struct SampleRow {
    QString table;
    std::vector<QString> values; // in the table's column order; numbers as digit texts
};

std::vector<SampleRow> sampleRows(const QString& user);

// A document-type record of parameter table 044.
QString documentTypeRecord(const QString& description, const QString& abbreviation, int length,
                           bool digitsOnly, bool exactLength);
// A bank record of parameter table 004.
QString bankRecord(const QString& name, const QString& shortName);

// The sending catalogue file the integrator ships (env947.txt), as Windows-1252 bytes.
QByteArray sendingCatalogue();

// A month's import file for the first sample contributor (07/2010): good lines and a few that
// the import refuses, as an accounting system might write them.
inline const QString kSampleImportName = QStringLiteral("094720100070970201007.TXT");
QByteArray sampleImportFile();

} // namespace ret::hub
