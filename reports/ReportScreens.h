#pragma once

#include "reports/ReportDocument.h"

#include <QString>

namespace ret::reports {

class frmImpxPag;

// What the print window opens: the page-range dialog, the viewer and the printer. The windowed
// program shows real windows; the batch print and tests put their own in place.
class ReportScreens {
public:
    virtual ~ReportScreens() = default;
    // Shows the page-range dialog modally; returns when it has closed.
    virtual void chooseRange(frmImpxPag& dialog) = 0;
    // The viewer on a report of the report directory, modally, under the range.
    virtual void preview(const QString& fileName, const RangoPaginas& range) = 0;
    // Every page of a report of the report directory on the default printer. False when the
    // report did not go out (its message already shown).
    virtual bool print(const QString& fileName) = 0;
};

} // namespace ret::reports
