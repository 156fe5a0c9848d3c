#pragma once

#include "common/Decimal.h"

#include <QDateTime>
#include <QString>

namespace ret {
class Database;
struct EstadoReporte;
class FieldRules;
class ImpLinea;
} // namespace ret

namespace ret::reports {

struct ReportInputs;

// The estimated page count of the annex, as its page-count tag states it.
int annexPageEstimate(Database& db, const ReportInputs& in);

// Composes the annex listing (landscape, flowing lines with a page header on every page) after
// the tag lines; `now` gives the date and time of the page headers. Ends with a page break, so
// the page index it returns is the number of pages.
int ImprimirAnexos(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                   const FieldRules& rules, const QDateTime& now);

// An amount fitted into a 15-character column after one blank: thousands separators are dropped
// from the left while it is too wide; a text that still does not fit is appended whole.
QString fitAmount(Decimal amount);

} // namespace ret::reports
