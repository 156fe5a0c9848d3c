#pragma once

#include "reports/ReportScreens.h"

#include <QPointer>
#include <QWidget>

namespace ret {
struct Session;
}

namespace ret::reports {

// The print window's real screens: the page-range dialog and the viewer, modal over `parent`,
// and the system's default printer (or the PDF file of RET_PRINT_TO_PDF).
class WidgetReportScreens final : public ReportScreens {
public:
    WidgetReportScreens(Session& session, QWidget* parent) : session_(session), parent_(parent) {}

    void chooseRange(frmImpxPag& dialog) override;
    void preview(const QString& fileName, const RangoPaginas& range) override;
    bool print(const QString& fileName) override;

private:
    QWidget* parent() const;

    Session& session_;
    QPointer<QWidget> parent_;
};

} // namespace ret::reports
