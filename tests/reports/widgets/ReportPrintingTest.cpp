#include "reports/widgets/ReportPrinting.h"
#include "common/Cp1252.h"
#include "common/FieldRules.h"
#include "common/Session.h"
#include "reports/widgets/ReportPainter.h"
#include "reports/widgets/frmPreview.h"

#include "tests/support/FullDisk.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace ret {
namespace {

// Sends the prints of one test to a PDF file, and back to the printer afterwards.
class PrintToPdf {
public:
    explicit PrintToPdf(const QString& path) { qputenv(kPrintToPdfVariable, path.toLocal8Bit()); }
    ~PrintToPdf() { qunsetenv(kPrintToPdfVariable); }
};

// The page dictionaries of a PDF ("/Type /Page", not "/Pages").
int countPages(const QByteArray& pdf) {
    int n = 0;
    auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))
                  .globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// Width and height of the first page's MediaBox, in points.
QSizeF mediaBox(const QByteArray& pdf) {
    const auto m =
        QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+"
                                          "([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"))
            .match(QString::fromLatin1(pdf));
    if (!m.hasMatch())
        return {};
    return {m.captured(3).toDouble() - m.captured(1).toDouble(),
            m.captured(4).toDouble() - m.captured(2).toDouble()};
}

// What a PDF reader finds on a page: each word with where it stands, in points.
struct PlacedWord {
    QString word;
    double x = 0;
    double y = 0;
};

std::vector<PlacedWord> wordsOf(const QString& pdf) {
    QProcess extract;
    extract.start("pdftotext", {"-bbox", pdf, "-"});
    EXPECT_TRUE(extract.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
    std::vector<PlacedWord> words;
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\"[^>]*>([^<]*)</word>"));
    auto it = word.globalMatch(QString::fromUtf8(extract.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto m = it.next();
        words.push_back({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}

// The fonts a PDF names, as pdffonts lists them.
QString fontsOf(const QString& pdf) {
    QProcess list;
    list.start("pdffonts", {pdf});
    EXPECT_TRUE(list.waitForFinished(20000));
    return QString::fromUtf8(list.readAllStandardOutput());
}

class ReportPrintingTest : public test::TempDirTest {
protected:
    test::ScriptedMessages messages;
    FieldRules rules{messages};
    Session session;

    void SetUp() override {
        session.config.reportDirectory = tmp.path() + QLatin1Char('/');
        session.messages = &messages;
        session.rules = &rules;
    }

    // A report of `pages` pages with a box and a text on each; returns its file name.
    QString writeReport(const QString& name, int pages, const QString& orientation = "V") {
        QByteArray bytes = "<!font!>Courier New<!/font!>\r\n";
        bytes += QStringLiteral("<!nHojas!>%1<!/nHojas!>\r\n<!Orientacion!>%2<!/Orientacion!>\r\n")
                     .arg(pages)
                     .arg(orientation)
                     .toLatin1();
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                bytes += "pNuevaHoja\r\n";
            bytes +=
                cp1252::encode(QStringLiteral("pPos|1000|1000|DECLARACIÓN página %1|True|10|%2|\r\n"
                                              "pCuadro|500|500|10000|3000|%2|\r\n")
                                   .arg(p + 1)
                                   .arg(p));
        }
        writeFile(name, bytes);
        return name;
    }
    QByteArray printed(const QString& pdf) { return readFile(QFileInfo(pdf).fileName()); }
};

TEST_F(ReportPrintingTest, OnePdfPagePerPrintedReportPage) {
    const QString pdf = path("out.pdf");
    const PrintToPdf redirect(pdf);
    struct Case {
        int pages;
        RangoPaginas range;
        int expected;
    };
    for (const Case& c :
         {Case{3, {}, 3}, Case{5, {true, 2, 3}, 2}, Case{5, {true, 5, 8}, 1}, Case{1, {}, 1}}) {
        SCOPED_TRACE(testing::Message()
                     << c.pages << " pages, " << c.range.nDesde << "-" << c.range.nHasta);
        QFile::remove(pdf);
        const QString file = writeReport("r.PRN", c.pages);
        EXPECT_EQ(printReportFile(path(file), c.range, rules, messages), PrintResult::Printed);
        EXPECT_EQ(countPages(printed(pdf)), c.expected);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ReportPrintingTest, LandscapeOnlyWhenTheReportSaysH) {
    const QString pdf = path("out.pdf");
    const PrintToPdf redirect(pdf);
    ASSERT_EQ(printReportFile(path(writeReport("h.PRN", 2, "H")), {}, rules, messages),
              PrintResult::Printed);
    const QSizeF landscape = mediaBox(printed(pdf));
    EXPECT_GT(landscape.width(), landscape.height());
    // the next job is portrait again
    ASSERT_EQ(printReportFile(path(writeReport("v.PRN", 1, "V")), {}, rules, messages),
              PrintResult::Printed);
    const QSizeF portrait = mediaBox(printed(pdf));
    EXPECT_LT(portrait.width(), portrait.height());
    EXPECT_NEAR(portrait.width(), landscape.height(), 1.0);
}

TEST_F(ReportPrintingTest, AMissingFileIsReportedAndNothingPrinted) {
    const QString pdf = path("out.pdf");
    const PrintToPdf redirect(pdf);
    EXPECT_EQ(printReportFile(path("falta.PRN"), {}, rules, messages), PrintResult::FileMissing);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Archivo Físico del Reporte no Existe"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Error al Imprimir"));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ReportPrintingTest, WithoutAPrinterTheUserIsTold) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    EXPECT_EQ(printReportFile(path(writeReport("r.PRN", 1)), {}, rules, messages),
              PrintResult::NoPrinter);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("No existe una impresora seleccionada.Verifique."));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Impresión"));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
}

TEST_F(ReportPrintingTest, SavedPdfIsLaidOutAsThePrint) {
    const QString file = writeReport("h.PRN", 5, "H");
    const QString printedPdf = path("printed.pdf");
    {
        const PrintToPdf redirect(printedPdf);
        ASSERT_EQ(printReportFile(path(file), {true, 2, 3}, rules, messages), PrintResult::Printed);
    }
    QString error;
    ASSERT_TRUE(saveReportAsPdf(path(file), {true, 2, 3}, path("saved.pdf"), &error))
        << error.toStdString();
    const QByteArray saved = readFile("saved.pdf");
    EXPECT_EQ(countPages(saved), 2);
    EXPECT_EQ(mediaBox(saved), mediaBox(printed(printedPdf)));

    EXPECT_FALSE(saveReportAsPdf(path(file), {}, path("no/such/dir/x.pdf"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(saveReportAsPdf(path("falta.PRN"), {}, path("x.pdf"), &error));
    EXPECT_EQ(error, QStringLiteral("Archivo Físico del Reporte no Existe"));
}

// The saved PDF is drawn by the same painter as the print: the same words at the same places,
// in the report font, embedded, regular and bold.
TEST_F(ReportPrintingTest, SavedPdfHasThePrintsTextsWhereThePrintHasThem) {
    QByteArray bytes = "<!font!>Courier New<!/font!>\r\n<!Orientacion!>H<!/Orientacion!>\r\n";
    bytes += cp1252::encode("pPos|1000|1000|DECLARACIÓN JURADA  0947|True|12|0|\r\n"
                            "pPos|1000|1600|  E001 00000001 05/07/2010    1,000.00|False|8|0|\r\n"
                            "pPosVerti|14000|2000|ANEXO|False|8|0|\r\n"
                            "pCuadro|500|500|15000|9000|0|\r\n"
                            "pNuevaHoja\r\n"
                            "pPos|2000|3000|página dos|False|10|1|\r\n");
    writeFile("w.PRN", bytes);
    const QString printedPdf = path("printed.pdf");
    {
        const PrintToPdf redirect(printedPdf);
        ASSERT_EQ(printReportFile(path("w.PRN"), {}, rules, messages), PrintResult::Printed);
    }
    QString error;
    ASSERT_TRUE(saveReportAsPdf(path("w.PRN"), {}, path("saved.pdf"), &error))
        << error.toStdString();
    EXPECT_EQ(countPages(readFile("saved.pdf")), 2);
    EXPECT_EQ(mediaBox(readFile("saved.pdf")), mediaBox(printed(printedPdf)));

    const std::vector<PlacedWord> saved = wordsOf(path("saved.pdf"));
    const std::vector<PlacedWord> print = wordsOf(printedPdf);
    ASSERT_EQ(saved.size(), print.size());
    ASSERT_GE(saved.size(), 9u);
    for (size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(saved[i].word, print[i].word) << i;
        EXPECT_NEAR(saved[i].x, print[i].x, 0.5) << saved[i].word.toStdString();
        EXPECT_NEAR(saved[i].y, print[i].y, 0.5) << saved[i].word.toStdString();
    }
    const QStringList fonts = fontsOf(path("saved.pdf")).split('\n').filter("Liberation");
    ASSERT_EQ(fonts.size(), 2) << fontsOf(path("saved.pdf")).toStdString();
    EXPECT_TRUE(fonts.filter("Bold").size() == 1);
    for (const QString& font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression(" yes +yes +yes "))) << font.toStdString();
}

// A PDF that cannot be written whole (here the file may not grow past 8 KB, as on a disk that
// fills) is a failure, and the PDF saved before under that name stays as it was.
TEST_F(ReportPrintingTest, APdfNotWrittenWholeFailsAndKeepsTheOldOne) {
    const QString file = writeReport("big.PRN", 40);
    QString error;
    ASSERT_TRUE(saveReportAsPdf(path(file), {true, 1, 1}, path("keep.pdf"), &error));
    const QByteArray before = readFile("keep.pdf");
    ASSERT_LT(before.size(), 8 * 1024);
    {
        const test::FileSizeLimit limit(8 * 1024);
        EXPECT_FALSE(saveReportAsPdf(path(file), {}, path("keep.pdf"), &error));
    }
    EXPECT_EQ(error, QStringLiteral("No se pudo escribir el archivo ") + path("keep.pdf"));
    EXPECT_EQ(readFile("keep.pdf"), before);
    EXPECT_EQ(QDir(path("")).entryList({"keep.pdf*"}, QDir::Files), QStringList{"keep.pdf"});
    // with room again the whole report replaces it
    ASSERT_TRUE(saveReportAsPdf(path(file), {}, path("keep.pdf"), &error)) << error.toStdString();
    EXPECT_EQ(countPages(readFile("keep.pdf")), 40);
}

TEST_F(ReportPrintingTest, DirectPrintCoversEveryPageAndTheViewerItsRange) {
    const QString pdf = path("out.pdf");
    const PrintToPdf redirect(pdf);
    const QString file = writeReport("00000007.PRN", 5);
    VerReporte(session, file, "xx", {true, 2, 3});
    EXPECT_EQ(countPages(printed(pdf)), 5);

    frmPreview viewer(session, file, {true, 2, 3});
    viewer.action("Imprimir")->trigger();
    EXPECT_EQ(countPages(printed(pdf)), 2);
    EXPECT_EQ(viewer.sObject(), QStringLiteral("IMPRIMIR"));
    ASSERT_TRUE(viewer.saveAsPdf(path("viewer.pdf")));
    EXPECT_EQ(countPages(readFile("viewer.pdf")), 2);
    EXPECT_TRUE(messages.shown.empty());
}

// Dark pixels of an image inside a rectangle.
int darkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

TEST(ReportPainterTest, ItemsLandWhereTheirTwipsSay) {
    // one unit a twip, as on the 1440 dpi printer
    QImage image(3000, 3000, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ReportPainter draw(painter);
        PsItem box;
        box.kind = PsItem::Kind::Box;
        box.x = 100, box.y = 200, box.x2 = 1100, box.y2 = 700;
        draw.draw(box);
        PsItem text;
        text.x = 1500, text.y = 300, text.text = QStringLiteral("MMMM"), text.size = 10;
        draw.draw(text);
        PsItem vertical;
        vertical.kind = PsItem::Kind::VerticalText;
        vertical.x = 200, vertical.y = 1000, vertical.text = QStringLiteral("MMM");
        draw.draw(vertical);
    }
    // the four sides, nothing inside the box
    EXPECT_GT(darkPixels(image, QRect(100, 200, 1001, 1)), 900);
    EXPECT_GT(darkPixels(image, QRect(100, 700, 1001, 1)), 900);
    EXPECT_GT(darkPixels(image, QRect(100, 200, 1, 501)), 450);
    EXPECT_GT(darkPixels(image, QRect(1100, 200, 1, 501)), 450);
    EXPECT_EQ(darkPixels(image, QRect(105, 205, 990, 490)), 0);
    // text hangs below its top-left corner: 10 points are 200 twips high
    EXPECT_EQ(darkPixels(image, QRect(1400, 0, 1600, 300)), 0);
    EXPECT_GT(darkPixels(image, QRect(1500, 300, 1000, 200)), 0);
    EXPECT_EQ(darkPixels(image, QRect(1400, 520, 1600, 400)), 0);
    // vertical text: a character every 190 twips down, none further
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(darkPixels(image, QRect(200, 1000 + i * 190, 200, 160)), 0) << i;
    EXPECT_EQ(darkPixels(image, QRect(0, 1000 + 3 * 190 + 20, 3000, 1000)), 0);
}

} // namespace
} // namespace ret
