#include "reports/widgets/frmPreview.h"
#include "common/Cp1252.h"
#include "common/FieldRules.h"
#include "common/Session.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace ret {
namespace {

class frmPreviewTest : public test::TempDirTest {
protected:
    test::ScriptedMessages messages;
    FieldRules rules{messages};
    Session session;

    void SetUp() override {
        session.config.reportDirectory = tmp.path();
        session.messages = &messages;
        session.rules = &rules;
    }

    // A report whose page n (from 1) holds the text "Hoja n"; `breaks` false leaves out the
    // page-break lines (pages then come from the items alone).
    QString writeReport(int pages, const QString& color = {}, bool breaks = true) {
        QByteArray bytes = "<!font!>Courier New<!/font!>\r\n<!nHojas!>1<!/nHojas!>\r\n";
        if (!color.isEmpty())
            bytes += "<!Color!>" + color.toLatin1() + "<!/Color!>\r\n";
        for (int p = 0; p < pages; ++p) {
            if (p > 0 && breaks)
                bytes += "pNuevaHoja\r\n";
            bytes += cp1252::encode(QStringLiteral("pPos|600|400|Hoja %1|False|12|%2|\r\n"
                                                   "pCuadro|500|300|6000|900|%2|\r\n")
                                        .arg(p + 1)
                                        .arg(p));
        }
        writeFile("00000003.PRN", bytes);
        return QStringLiteral("00000003.PRN");
    }
    static QString shownText(const frmPreview& v) {
        for (const PsItem& item : v.shownItems())
            if (item.kind == PsItem::Kind::Text)
                return item.text;
        return {};
    }
};

TEST_F(frmPreviewTest, PagesThroughAThreePageReport) {
    frmPreview viewer(session, writeReport(3));
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Presentación Preliminar"));
    EXPECT_EQ(viewer.helpTopic(), 1016);
    EXPECT_EQ(viewer.sObject(), QStringLiteral("PresPrevia"));
    ASSERT_EQ(viewer.pageCount(), 3);
    for (const char* caption : {"Pag Anterior", "Pag Sgt", "Imprimir", "Salir"})
        ASSERT_NE(viewer.action(caption), nullptr) << caption;
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 1"));
    EXPECT_EQ(viewer.pageLabel()->text(), QStringLiteral("Página 1 de 3"));

    QAction* next = viewer.action("Pag Sgt");
    QAction* previous = viewer.action("Pag Anterior");
    previous->trigger(); // already on the first page
    EXPECT_EQ(viewer.iNroHoja(), 0);
    next->trigger();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 2"));
    next->trigger();
    next->trigger(); // the last page stays
    EXPECT_EQ(viewer.iNroHoja(), 2);
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 3"));
    EXPECT_EQ(viewer.pageLabel()->text(), QStringLiteral("Página 3 de 3"));
    previous->trigger();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 2"));
    viewer.action("Ultima Pag")->trigger();
    EXPECT_EQ(viewer.iNroHoja(), 2);
    viewer.action("Primera Pag")->trigger();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 1"));
    // only the pages shown were read: 1, 2, 3, 2, 3, 1
    EXPECT_EQ(viewer.pagesRead(), 6);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(frmPreviewTest, ScrollBarsMoveTogetherAndANewPageStartsAtTheTop) {
    frmPreview viewer(session, writeReport(2));
    viewer.resize(500, 400);
    viewer.show();
    QScrollBar* left = viewer.verticalBar(0);
    QScrollBar* right = viewer.verticalBar(1);
    ASSERT_GT(left->maximum(), 200); // an A4 page is taller than the window
    EXPECT_EQ(right->maximum(), left->maximum());
    const int top = viewer.canvas()->y();
    left->setValue(150);
    EXPECT_EQ(right->value(), 150);
    EXPECT_EQ(viewer.canvas()->y(), top - 150);
    right->setValue(90);
    EXPECT_EQ(left->value(), 90);
    EXPECT_EQ(viewer.canvas()->y(), top - 90);
    const int leftEdge = viewer.canvas()->x();
    ASSERT_GT(viewer.horizontalBar()->maximum(), 40);
    viewer.horizontalBar()->setValue(40);
    EXPECT_EQ(viewer.canvas()->x(), leftEdge - 40);

    viewer.action("Pag Sgt")->trigger();
    EXPECT_EQ(left->value(), 0);
    EXPECT_EQ(right->value(), 0);
    EXPECT_EQ(viewer.canvas()->y(), top);
}

TEST_F(frmPreviewTest, ARangeShowsItsPagesOnly) {
    frmPreview viewer(session, writeReport(5), {true, 2, 3});
    ASSERT_EQ(viewer.pageCount(), 2);
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 2"));
    viewer.action("Pag Sgt")->trigger();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 3"));
    viewer.action("Pag Sgt")->trigger();
    EXPECT_EQ(viewer.iNroHoja(), 1);
}

TEST_F(frmPreviewTest, PagesComeFromTheItemsNotFromTheBreaks) {
    frmPreview viewer(session, writeReport(2, {}, false));
    ASSERT_EQ(viewer.pageCount(), 2);
    viewer.action("Pag Sgt")->trigger();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 2"));
}

TEST_F(frmPreviewTest, PaperColourAndWhatIsPainted) {
    frmPreview cyan(session, writeReport(1));
    EXPECT_EQ(cyan.paperColor(), QColor(0xC0, 0xFF, 0xFF));
    const QImage page = cyan.canvas()->grab().toImage();
    // the paper colour fills the page; the box and the text are drawn on it
    EXPECT_EQ(page.pixelColor(page.width() - 5, page.height() - 5), QColor(0xC0, 0xFF, 0xFF));
    const int scale = 15; // twips per pixel at 96 dpi
    ASSERT_EQ(cyan.canvas()->logicalDpiX(), 96);
    EXPECT_LT(qGray(page.pixel(3000 / scale, 300 / scale)), 128); // top side of the box
    int ink = 0;
    for (int y = 400 / scale; y < 700 / scale; ++y)
        for (int x = 600 / scale; x < 1800 / scale; ++x)
            ink += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(ink, 10);

    frmPreview window(session, writeReport(1, "&H80000005&"));
    EXPECT_EQ(window.paperColor(), window.palette().color(QPalette::Base));
    frmPreview white(session, writeReport(1, "&H00FFFFFF&"));
    EXPECT_EQ(white.paperColor(), QColor(Qt::white));
}

TEST_F(frmPreviewTest, AMissingFileShowsOneEmptyPage) {
    frmPreview viewer(session, "falta.PRN");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Archivo Físico del Reporte no Existe"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Error al Imprimir"));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(viewer.pageCount(), 1);
    EXPECT_TRUE(viewer.shownItems().empty());
    viewer.action("Pag Sgt")->trigger();
    EXPECT_EQ(viewer.iNroHoja(), 0);
}

TEST_F(frmPreviewTest, ABigReportReadsOnlyThePagesShown) {
    QFile f(path("00000009.PRN"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int p = 0; p < 5000; ++p) {
        QByteArray page = p > 0 ? "pNuevaHoja\r\n" : "";
        for (int l = 0; l < 60; ++l)
            page += QStringLiteral("pPos|10|%1|Hoja %2|False|8|%3|\r\n")
                        .arg(175 * (l + 1))
                        .arg(p + 1)
                        .arg(p)
                        .toLatin1();
        f.write(page);
    }
    f.close();
    session.SentMode = true;
    frmPreview viewer(session, "00000009.PRN");
    EXPECT_EQ(viewer.helpTopic(), 1015);
    ASSERT_EQ(viewer.pageCount(), 5000);
    viewer.showLastPage();
    EXPECT_EQ(shownText(viewer), QStringLiteral("Hoja 5000"));
    EXPECT_EQ(viewer.shownItems().size(), 60u);
    EXPECT_EQ(viewer.pagesRead(), 2);
}

} // namespace
} // namespace ret
