#pragma once

#include "reports/ReportDocument.h"

#include <QString>

namespace ret {
class MessageSink;
}

namespace ret::reports {

class ReportScreens;

// The page-range dialog of a preview: the report's page count, the range wanted, and the
// checks the range must pass before the viewer opens on it. One instance per preview; after
// the viewer closes it keeps its values, so another range of the same file can be seen.
class frmImpxPag {
public:
    frmImpxPag(ReportScreens& screens, MessageSink& messages);

    // Form_Load and what the print window sets before showing it.
    void load(const QString& fileName, int pages);

    const QString& caption() const { return caption_; }
    // The explanation, with a run of blanks where the page count stands.
    static QString text1();
    // The first line of the explanation up to the run of blanks the page count covers.
    static QString textBeforeCount();
    const QString& txtTotPaginas() const { return totPaginas_; }
    const QString& tag() const { return tag_; }

    QString txtPagDesde;
    QString txtPagHasta;

    // The keys the two range boxes take: backspace, the digits, "." and the blank.
    static bool acceptsKey(QChar key);

    // "&Preliminar": the checks in order; the first that fails shows its message and nothing
    // opens. When all pass, the viewer opens on the range. False when a check failed.
    bool preliminar();
    // The range of the last preview that passed its checks.
    const RangoPaginas& range() const { return range_; }

private:
    bool refuse(const QString& text);

    ReportScreens& screens_;
    MessageSink& messages_;
    QString caption_;
    QString totPaginas_;
    QString tag_;
    RangoPaginas range_;
};

// A number typed into a range box, read the old way: blanks anywhere are skipped, reading
// stops at the first character that cannot continue the number; empty or non-numeric is 0.
// Held in ten-thousandths, saturating far above any page count.
long long readPageNumber(const QString& text);
// A page number read by readPageNumber as a whole page: halves go to the even neighbour, and
// what the 16-bit range cannot hold is held at its limit.
int wholePage(long long tenThousandths);

} // namespace ret::reports
