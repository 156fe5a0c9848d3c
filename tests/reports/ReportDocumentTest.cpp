#include "reports/ReportDocument.h"
#include "common/Cp1252.h"

#include "tests/support/TempDir.h"

#include <QElapsedTimer>

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <malloc.h>

#include <gtest/gtest.h>

namespace ret {
namespace {

// The lines of a report file, each ended by CR LF, in Windows-1252.
QByteArray report(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += cp1252::encode(line) + "\r\n";
    return bytes;
}

QString text(const QString& t, int page, int y = 175) {
    return QStringLiteral("pPos|10|%1|%2|False|8|%3|").arg(y).arg(t).arg(page);
}

// The texts of a page, joined by blanks; boxes show as "[]".
QString pageTexts(const ReportDocument& doc, int page) {
    QStringList texts;
    for (const PsItem& item : doc.items(page))
        texts << (item.kind == PsItem::Kind::Box ? QStringLiteral("[]") : item.text);
    return texts.join(QLatin1Char(' '));
}

// What reaches the printer: the texts of each printer page, pages separated by " | ".
class RecordingSink final : public PrintSink {
public:
    QString pages;
    void newPage() override { pages += QStringLiteral(" |"); }
    void item(const PsItem& item) override { pages += QLatin1Char(' ') + item.text; }
};

class ReportDocumentTest : public test::TempDirTest {
protected:
    // A report of `pages` pages, two texts each ("<n>a", "<n>b" for page number n), header first.
    QString pagedReport(int pages, const QString& orientation = QStringLiteral("V")) {
        QStringList lines{QStringLiteral("<!font!>Courier New<!/font!>"),
                          QStringLiteral("<!nHojas!>%1<!/nHojas!>").arg(pages),
                          QStringLiteral("<!Orientacion!>%1<!/Orientacion!>").arg(orientation),
                          QStringLiteral("<!Color!>&H00FFFFC0&<!/Color!>")};
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                lines << QStringLiteral("pNuevaHoja");
            lines << text(QStringLiteral("%1a").arg(p + 1), p)
                  << text(QStringLiteral("%1b").arg(p + 1), p, 350);
        }
        return writeFile(QStringLiteral("r.PRN"), report(lines));
    }
};

TEST_F(ReportDocumentTest, PagesAreIndexedByTheItemsPageIndexes) {
    struct Case {
        const char* name;
        QStringList lines;
        QStringList pages; // the texts of each page found
    };
    const QString box = QStringLiteral("pCuadro|100|100|2000|900|0|");
    const std::vector<Case> cases = {
        {"breaks between pages",
         {text("uno", 0), box, "pNuevaHoja", text("dos", 1), "pNuevaHoja", text("tres", 2)},
         {"uno []", "dos", "tres"}},
        {"no break, yet an item of page index 1", {text("uno", 0), text("dos", 1)}, {"uno", "dos"}},
        {"a break with nothing after it adds no page", {text("uno", 0), "pNuevaHoja"}, {"uno"}},
        {"an empty file still has its first page", {}, {""}},
        {"only tags", {"<!nHojas!>4<!/nHojas!>"}, {""}},
        {"a skipped index leaves an empty page",
         {text("uno", 0), "pNuevaHoja", text("tres", 2)},
         {"uno", "", "tres"}},
        {"unknown lines are skipped",
         {text("uno", 0), "basura", "pNuevaHoja", text("dos", 1)},
         {"uno", "dos"}},
        {"page indexes are read as numbers (blanks, halves to even)",
         {text("uno", 0), "pPos|10|175|dos|False|8| 1 |", "pPos|10|175|tres|False|8|1.5|"},
         {"uno", "dos", "tres"}},
        {"an item without its page field is skipped",
         {"pPos|10|175|uno|False|8|", "pCuadro|1|1|2|2|", text("dos", 0)},
         {"dos"}},
        {"vertical texts and boxes by their own page field",
         {"pPosVerti|10|175|AB|False|8|1|", "pCuadro|1|1|2|2|2|"},
         {"", "AB", "[]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportDocument doc;
        ASSERT_TRUE(doc.open(writeFile(QStringLiteral("c.PRN"), report(c.lines))));
        ASSERT_EQ(doc.pageCount(), c.pages.size());
        for (int p = 0; p < doc.pageCount(); ++p)
            EXPECT_EQ(pageTexts(doc, p), c.pages[p]) << "page index " << p;
        EXPECT_TRUE(doc.items(doc.pageCount()).empty());
        EXPECT_TRUE(doc.items(-1).empty());
    }
}

TEST_F(ReportDocumentTest, APageStartsRightAfterTheBreakThatEndsThePreviousOne) {
    const QByteArray bytes = report({QStringLiteral("<!font!>Courier New<!/font!>"), text("uno", 0),
                                     QStringLiteral("pNuevaHoja"), text("dos", 1)});
    ReportDocument doc;
    ASSERT_TRUE(doc.open(writeFile(QStringLiteral("o.PRN"), bytes)));
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(doc.pageOffset(0), 0);
    EXPECT_EQ(doc.pageOffset(1), bytes.indexOf("pNuevaHoja\r\n") + 12);
}

TEST_F(ReportDocumentTest, HeaderTagsAndTexts) {
    ReportDocument doc;
    ASSERT_TRUE(doc.open(pagedReport(2, QStringLiteral("H"))));
    EXPECT_EQ(doc.font(), QStringLiteral("Courier New"));
    EXPECT_EQ(doc.declaredPages(), 2);
    EXPECT_TRUE(doc.landscape());
    EXPECT_EQ(doc.paper(), PaperColor::fromValue(16777152));
    EXPECT_EQ(doc.paper().blue, 0xFF);
    EXPECT_EQ(doc.paper().red, 0xC0);

    const QString p = writeFile(QStringLiteral("t.PRN"),
                                report({QStringLiteral("<!Orientacion!>V<!/Orientacion!>"),
                                        QStringLiteral("<!Color!>&H80000005&<!/Color!>"),
                                        QStringLiteral("pPos|10|175|  AÑO DECLARACIÓN  |True|0|0|"),
                                        QStringLiteral("pPosVerti|20|30|AB|False|12|0|")}));
    ASSERT_TRUE(doc.open(p));
    EXPECT_FALSE(doc.landscape());
    EXPECT_TRUE(doc.paper().system);
    EXPECT_EQ(doc.paper().systemIndex, 5);
    const std::vector<PsItem> items = doc.items(0);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, QStringLiteral("  AÑO DECLARACIÓN  ")); // Windows-1252, blanks kept
    EXPECT_TRUE(items[0].bold);
    EXPECT_EQ(items[0].size, 8);
    EXPECT_EQ(items[1].kind, PsItem::Kind::VerticalText);
    EXPECT_EQ(items[1].size, 12);

    // without tags: portrait, light cyan
    ASSERT_TRUE(doc.open(writeFile(QStringLiteral("n.PRN"), report({text("x", 0)}))));
    EXPECT_FALSE(doc.landscape());
    EXPECT_EQ(doc.paper(), PaperColor::lightCyan());
    EXPECT_FALSE(doc.open(path(QStringLiteral("falta.PRN"))));
}

TEST_F(ReportDocumentTest, TheRangeDecidesWhatReachesThePrinter) {
    struct Case {
        RangoPaginas range;
        const char* printed;
    };
    const std::vector<Case> cases = {
        {{false, 0, 0}, " 1a 1b | 2a 2b | 3a 3b | 4a 4b | 5a 5b"},
        // the break after page 1 is held back, those after 2 and 3 are passed
        {{true, 2, 3}, " 2a 2b | 3a 3b"},
        {{true, 1, 1}, " 1a 1b"},
        {{true, 5, 5}, " 5a 5b"},
        {{true, 4, 9}, " 4a 4b | 5a 5b"},
        {{true, 7, 9}, ""},
        {{true, 3, 2}, ""},
    };
    ReportDocument doc;
    ASSERT_TRUE(doc.open(pagedReport(5)));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.range.bRango << " " << c.range.nDesde << "-" << c.range.nHasta);
        RecordingSink sink;
        doc.print(c.range, sink);
        EXPECT_EQ(sink.pages, QString::fromUtf8(c.printed));
    }
}

TEST_F(ReportDocumentTest, ARangeBreaksOnlyAfterItemsOfItsPages) {
    // without breaks between pages nothing starts a printer page; a break after a skipped
    // page's items is not passed
    const QString p =
        writeFile(QStringLiteral("b.PRN"), report({text("1a", 0), "pNuevaHoja", text("2a", 1),
                                                   text("3a", 2), "pNuevaHoja", text("4a", 3)}));
    ReportDocument doc;
    ASSERT_TRUE(doc.open(p));
    RecordingSink sink;
    doc.print({true, 2, 4}, sink);
    EXPECT_EQ(sink.pages, QStringLiteral(" 2a 3a | 4a"));
}

TEST_F(ReportDocumentTest, TheViewerShowsThePagesOfTheRange) {
    ReportDocument doc;
    ASSERT_TRUE(doc.open(pagedReport(5)));
    struct Case {
        RangoPaginas range;
        std::vector<int> shown; // the report pages (0-based) of the view pages
    };
    const std::vector<Case> cases = {
        {{false, 0, 0}, {0, 1, 2, 3, 4}},
        {{true, 2, 3}, {1, 2}},
        {{true, 4, 9}, {3, 4}},
        {{true, 7, 9}, {-1}},
        {{true, 0, 1}, {0}},
    };
    for (const Case& c : cases) {
        const ViewedPages pages(doc, c.range);
        std::vector<int> shown;
        for (int i = 0; i < pages.count(); ++i)
            shown.push_back(pages.documentPage(i));
        EXPECT_EQ(shown, c.shown) << c.range.nDesde << "-" << c.range.nHasta;
    }
}

TEST(ReportFilePathTest, JoinsWithOneSeparator) {
    EXPECT_EQ(reportFilePath("/x/RPT/", "00000001.PRN"), QStringLiteral("/x/RPT/00000001.PRN"));
    EXPECT_EQ(reportFilePath("/x/RPT", "00000001.PRN"), QStringLiteral("/x/RPT/00000001.PRN"));
}

// Heap bytes in use (glibc).
long heapInUse() {
    return long(mallinfo2().uordblks);
}

TEST_F(ReportDocumentTest, FiveThousandPagesAreHeldAsOffsetsOnly) {
    constexpr int kPages = 5000;
    constexpr int kLines = 80;
    const QString p = path(QStringLiteral("big.PRN"));
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<!font!>Courier New<!/font!>\r\n<!nHojas!>5000<!/nHojas!>\r\n");
        for (int page = 0; page < kPages; ++page) {
            QByteArray chunk;
            if (page > 0)
                chunk += "pNuevaHoja\r\n";
            for (int l = 0; l < kLines; ++l)
                chunk += QStringLiteral("pPos|10|%1|Pagina %2 linea %3 ........................|"
                                        "False|8|%4|\r\n")
                             .arg(175 * (l + 1))
                             .arg(page + 1)
                             .arg(l + 1)
                             .arg(page)
                             .toLatin1();
            f.write(chunk);
        }
    }
    const long before = heapInUse();
    QElapsedTimer timer;
    timer.start();
    ReportDocument doc;
    ASSERT_TRUE(doc.open(p));
    const qint64 indexMs = timer.elapsed();
    const long grownKb = (heapInUse() - before) / 1024;
    ASSERT_EQ(doc.pageCount(), kPages);
    timer.restart();
    const std::vector<PsItem> last = doc.items(kPages - 1);
    const qint64 pageMs = timer.elapsed();
    ASSERT_EQ(last.size(), size_t(kLines));
    EXPECT_EQ(last.front().text.left(17), QStringLiteral("Pagina 5000 linea"));
    EXPECT_EQ(doc.items(2499).back().text.left(19), QStringLiteral("Pagina 2500 linea 8"));
    // every item held would take tens of MB; the offsets take 40 KB
    EXPECT_LT(grownKb, 1024);
    RecordProperty("index_ms", int(indexMs));
    RecordProperty("page_ms", int(pageMs));
    RecordProperty("heap_growth_kb", int(grownKb));
    std::printf("5000 pages (%lld bytes): indexed in %lld ms, last page read in %lld ms, "
                "heap grew %ld KB\n",
                QFile(p).size(), indexMs, pageMs, grownKb);
}

} // namespace
} // namespace ret
