#include "reports/widgets/ReportPrinting.h"

#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/WholeFile.h"
#include "reports/widgets/PdfFile.h"
#include "reports/widgets/ReportPainter.h"
#include "reports/widgets/frmPreview.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>

namespace ret {
namespace {

const QString kMissingFile = QStringLiteral("Archivo Físico del Reporte no Existe");
const QString kMissingFileTitle = QStringLiteral("Error al Imprimir");
const QString kNoPrinter = QStringLiteral("No existe una impresora seleccionada.Verifique.");
const QString kPrintTitle = QStringLiteral("Impresión");

// The busy pointer while a report goes out, restored however the print ends.
class BusyPointer {
public:
    BusyPointer() : on_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (on_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyPointer() {
        if (on_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool on_;
};

class PainterSink final : public PrintSink {
public:
    PainterSink(QPrinter& printer, QPainter& painter) : printer_(printer), draw_(painter) {}
    void newPage() override { printer_.newPage(); }
    void item(const PsItem& item) override { draw_.draw(item); }

private:
    QPrinter& printer_;
    ReportPainter draw_;
};

// A PDF whose device unit is a twip, the page's corner at (0, 0).
void setUpPdf(QPrinter& printer, const QString& pdfPath) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    printer.setResolution(1440);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Draws the report on the printer; false when the printer could not be started or finished.
bool render(const ReportDocument& document, const RangoPaginas& range, QPrinter& printer) {
    printer.setPageOrientation(document.landscape() ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait);
    QPainter painter;
    const bool started = painter.begin(&printer);
    if (started) {
        // report coordinates are twips whatever the printer's resolution
        const qreal scale = printer.resolution() / 1440.0;
        painter.scale(scale, scale);
        PainterSink sink(printer, painter);
        document.print(range, sink);
    }
    const bool ended = started && painter.end();
    printer.setPageOrientation(QPageLayout::Portrait);
    return ended;
}

class PdfSink final : public PrintSink {
public:
    explicit PdfSink(PdfFile& pdf) : pdf_(pdf), draw_(pdf) {}
    void newPage() override { pdf_.newPage(); }
    void item(const PsItem& item) override { draw_.draw(item); }

private:
    PdfFile& pdf_;
    ReportPainter draw_;
};

// The PDF is written page by page into a scratch file beside its place, which it takes only
// once it is whole: a PDF saved before under that name stays as it was when this one cannot be
// written.
bool writePdf(const ReportDocument& document, const RangoPaginas& range, const QString& pdfPath) {
    BusyPointer busy;
    ScratchFile scratch(QFileInfo(pdfPath).absolutePath());
    if (!scratch.device().isOpen())
        return false;
    PdfFile pdf(scratch.device(), document.landscape());
    PdfSink sink(pdf);
    document.print(range, sink);
    return pdf.finish() && !scratch.commitAs(pdfPath);
}

QString pdfNotWritten(const QString& pdfPath) {
    return QStringLiteral("No se pudo escribir el archivo %1").arg(pdfPath);
}

} // namespace

PrintResult printReportFile(const QString& path, const RangoPaginas& range, const FieldRules& rules,
                            MessageSink& messages) {
    ReportDocument document;
    if (!rules.DecipherReportFile(path) || !document.open(path)) {
        messages.inform(MsgIcon::Critical, kMissingFile, kMissingFileTitle);
        return PrintResult::FileMissing;
    }
    BusyPointer busy;
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = qEnvironmentVariable(kPrintToPdfVariable);
    if (!pdf.isEmpty()) {
        setUpPdf(printer, pdf);
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            messages.inform(MsgIcon::Critical, kNoPrinter, kPrintTitle);
            return PrintResult::NoPrinter;
        }
        printer.setPrinterName(info.printerName());
    }
    if (!render(document, range, printer)) {
        // a printer that cannot be started is the printer error of composing
        messages.inform(MsgIcon::Critical, kNoPrinter, kPrintTitle);
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}

bool saveReportAsPdf(const QString& reportPath, const RangoPaginas& range, const QString& pdfPath,
                     QString* error) {
    ReportDocument document;
    if (!document.open(reportPath)) {
        if (error)
            *error = kMissingFile;
        return false;
    }
    if (!writePdf(document, range, pdfPath)) {
        if (error)
            *error = pdfNotWritten(pdfPath);
        return false;
    }
    return true;
}

PrintResult printReportToPdf(const QString& reportPath, const QString& pdfPath,
                             const FieldRules& rules, MessageSink& messages) {
    ReportDocument document;
    if (!rules.DecipherReportFile(reportPath) || !document.open(reportPath)) {
        messages.inform(MsgIcon::Critical, kMissingFile, kMissingFileTitle);
        return PrintResult::FileMissing;
    }
    if (!writePdf(document, RangoPaginas{}, pdfPath)) {
        messages.inform(MsgIcon::Critical, pdfNotWritten(pdfPath), kPrintTitle);
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}

bool VerReporte(Session& session, const QString& nombreArchivo, const QString& modo,
                const RangoPaginas& range, QWidget* parent) {
    if (modo == QLatin1String("Vprevia")) {
        frmPreview viewer(session, nombreArchivo, range, parent);
        viewer.exec();
        return true;
    }
    HeadlessMessages fallbackMessages;
    FieldRules fallbackRules(session.messages ? *session.messages : fallbackMessages);
    MessageSink& messages = session.messages ? *session.messages : fallbackMessages;
    const FieldRules& rules = session.rules ? *session.rules : fallbackRules;
    // a direct print covers every page
    return printReportFile(reportFilePath(session.config.reportDirectory, nombreArchivo),
                           RangoPaginas{}, rules, messages) == PrintResult::Printed;
}

} // namespace ret
