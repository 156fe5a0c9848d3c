#pragma once

#include <QString>

#include <vector>

namespace ret {

// A field of a parameter record: the text at 1-based `position` of `length` characters,
// trimmed; empty when the record is shorter than the position.
QString ParamField(const QString& funcion, int position, int length);
// The same without trimming (for the few readers that keep the blanks).
QString ParamFieldRaw(const QString& funcion, int position, int length);

// The document-type record used for RUC when table 044 has no row for it.
extern const QString kDefaultRucRecord;

struct ParamRow {
    QString numero;
    QString argumento;
    QString funcion;
    QString correlParam;
};

// The module's parameter rows, in the order the installer writes them.
const std::vector<ParamRow>& seededParameters();

struct ReportCode {
    QString code;
    QString title;
};

// The module's report codes in the integrator's report catalogue.
const std::vector<ReportCode>& reportCodes();

} // namespace ret
