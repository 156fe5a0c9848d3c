#include "reports/widgets/WidgetReportScreens.h"

#include "common/Session.h"
#include "common/Windows.h"
#include "common/widgets/HelpKey.h"
#include "reports/widgets/ReportPrinting.h"
#include "reports/widgets/frmImpxPagDialog.h"

#include <QApplication>

namespace ret::reports {

QWidget* WidgetReportScreens::parent() const {
    // the range dialog is over the print window while its viewer opens
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return parent_;
}

void WidgetReportScreens::chooseRange(frmImpxPag& dialog) {
    frmImpxPagDialog window(dialog, parent());
    setHelpTopic(&window, topics::kPageRange);
    if (session_.windows)
        bindHelpKey(&window, *session_.windows);
    window.exec();
}

void WidgetReportScreens::preview(const QString& fileName, const RangoPaginas& range) {
    VerReporte(session_, fileName, QStringLiteral("Vprevia"), range, parent());
}

bool WidgetReportScreens::print(const QString& fileName) {
    return VerReporte(session_, fileName, QStringLiteral("xx"));
}

} // namespace ret::reports
