// The viewer on a report of thousands of pages, and printing a thousand pages to PDF: a report
// of 60 text lines and a box per page is written as PrintScript, then opened in the viewer
// (first page on screen), paged to its last page, and printed to PDF (its first 1,000 pages).
#include "bench/PdfReadBack.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/PrintScript.h"
#include "common/Session.h"
#include "reports/widgets/ReportPrinting.h"
#include "reports/widgets/frmPreview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <cstdio>

namespace {

long peakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void writeReport(const QString& path, int pages) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::exit(2);
    ret::EstadoReporte state;
    state.nArchivo = &file;
    ret::ImpLinea out(state);
    out.EscribeLinea(QStringLiteral("<!font!>Courier New<!/font!>"));
    out.EscribeLinea(QStringLiteral("<!nHojas!>%1<!/nHojas!>").arg(pages));
    out.EscribeLinea(QStringLiteral("<!Orientacion!>V<!/Orientacion!>"));
    for (int page = 0; page < pages; ++page) {
        // each page ends with its break, as the module's reports write them
        if (page > 0)
            out.EscribeTexto(0, 0, QStringLiteral("pNuevaHoja"), false, 8, page);
        out.EscribeCuadro(300, 300, 11300, 16000, page);
        for (int line = 0; line < 60; ++line) {
            const QString text = QStringLiteral("%1  %2  PROVEEDOR DE PRUEBA S.A.C.   %3.00")
                                     .arg(page + 1, 5)
                                     .arg(line + 1, 3)
                                     .arg((page * 60 + line) % 100000, 12);
            out.EscribeTexto(500, 500 + line * 250, text, line == 0, 8, page);
        }
    }
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pages = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int printed = std::min(pages, argc > 2 ? std::atoi(argv[2]) : 1000);

    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("BENCH.PRN"));
    writeReport(report, pages);
    std::printf("report: %d pages, %.1f MB\n", pages, QFileInfo(report).size() / 1e6);

    ret::HeadlessMessages messages;
    ret::FieldRules rules(messages);
    ret::Session session;
    session.config.reportDirectory = dir.path() + QLatin1Char('/');
    session.messages = &messages;
    session.rules = &rules;
    const long before = peakKilobytes();

    QElapsedTimer t;
    t.start();
    ret::frmPreview viewer(session, QStringLiteral("BENCH.PRN"));
    viewer.show();
    viewer.canvas()->repaint();
    const double open = seconds(t);
    t.restart();
    viewer.showLastPage();
    viewer.canvas()->repaint();
    const double last = seconds(t);
    t.restart();
    viewer.pMostrar(-2);
    viewer.canvas()->repaint();
    const double previous = seconds(t);
    std::printf("viewer: open and first page %.3f s, to the last page %.4f s, one page back "
                "%.4f s (%d pages, %d read); peak memory %.1f MB (%.1f MB before opening)\n",
                open, last, previous, viewer.pageCount(), viewer.pagesRead(),
                peakKilobytes() / 1024.0, before / 1024.0);

    const QString pdf = dir.filePath(QStringLiteral("bench.pdf"));
    t.restart();
    QString error;
    if (!ret::saveReportAsPdf(report, {true, 1, printed}, pdf, &error)) {
        std::printf("PDF failed: %s\n", qPrintable(error));
        return 1;
    }
    const double took = seconds(t);
    std::printf("PDF: %d pages in %.2f s, %.2f ms a page (%.1f MB); peak memory %.1f MB\n", printed,
                took, took * 1e3 / printed, QFileInfo(pdf).size() / 1e6, peakKilobytes() / 1024.0);
    // what a reader finds in it: its pages, and the last one's own text
    const int found = ret::bench::pdfPages(pdf);
    const QString lastText = ret::bench::pageText(pdf, printed).simplified();
    const QString expected = QStringLiteral("%1 1 PROVEEDOR DE PRUEBA").arg(printed);
    std::printf("PDF read back: %d pages; the last page's text %s\n", found,
                lastText.contains(expected) ? "is there" : "is MISSING");
    if (!lastText.contains(expected))
        std::printf("%s\n", qPrintable(lastText.left(300)));
    return found == printed && lastText.contains(expected) ? 0 : 1;
}
