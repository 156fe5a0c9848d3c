#include "common/PrintScript.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

using namespace ret;

namespace {

struct Report {
    QBuffer file;
    EstadoReporte state;
    ImpLinea out{state};
    Report() {
        file.open(QIODevice::WriteOnly);
        state.nArchivo = &file;
    }
    QStringList lines() const {
        QStringList l = QString::fromLatin1(file.data()).split("\r\n");
        l.removeLast(); // after the last CR LF
        return l;
    }
};

} // namespace

TEST(PrintScript, FlowingLinesAndTags) {
    Report r;
    r.out.EscribeLinea("<!font!>Courier New<!/font!>");
    r.out.EscribeLinea("");
    r.out.EscribeLinea(QString::fromUtf8("RETENCIÓN"));
    EXPECT_EQ(r.lines(), QStringList({"<!font!>Courier New<!/font!>", "pPos|10|175||False|8|0|",
                                      QString::fromLatin1("pPos|10|350|RETENCI\xD3N|False|8|0|")}));
    EXPECT_TRUE(r.file.data().contains("RETENCI\xD3N")); // Windows-1252 on disk
    EXPECT_EQ(r.state.nLinea, 3);                        // the tag line counts on page 1
}

// A text that holds what looks like a place marker ("%2") is written as it is.
TEST(PrintScript, TextsWithPercentSignsAreWrittenAsTheyAre) {
    Report r;
    r.out.EscribeLinea("DESCUENTO 50%2 Y 10%1 S.A.C.");
    r.out.EscribeTexto(100, 200, "AL 5%1%2%3", true, 9, 1);
    EXPECT_EQ(r.lines(), QStringList({"pPos|10|175|DESCUENTO 50%2 Y 10%1 S.A.C.|False|8|0|",
                                      "pPos|100|200|AL 5%1%2%3|True|9|1|"}));
}

TEST(PrintScript, PagesBreakByTheFlowingWidth) {
    for (const auto& [width, perPage] : {std::pair{82, 85}, {146, 83}, {150, 64}}) {
        SCOPED_TRACE(width);
        Report r;
        r.state.nAncho = width;
        r.state.pageHeader = [&] {
            r.state.nPosY = 0;
            r.out.EscribeLinea("CABECERA");
            r.out.EscribeLinea("<!font!>x<!/font!>"); // tags after the first page are dropped
        };
        for (int i = 0; i < perPage - 1; ++i)
            r.out.EscribeLinea("linea");
        EXPECT_EQ(r.state.nHoja, 1);
        r.out.EscribeLinea("linea");
        EXPECT_EQ(r.state.nHoja, 2);
        const QStringList lines = r.lines();
        ASSERT_EQ(lines.size(), perPage + 2);
        EXPECT_EQ(lines[perPage], "pNuevaHoja");
        EXPECT_EQ(lines[perPage + 1], "pPos|10|175|CABECERA|False|8|1|");
        EXPECT_EQ(r.state.nLinea, 1);
    }
}

TEST(PrintScript, ItemsAtAbsolutePositions) {
    Report r;
    r.out.EscribeTexto(100, 200, " A ", true, 10, 0);
    r.out.EscribeTexto(0, 0, "pNuevaHoja", false, 8, 0);
    r.out.EscribeCuadro(-5, 0, 300, 400, 1);
    r.state.nHoja = 2;
    r.out.EscribeTexto(0, 0, "<!Color!>&H80000005&<!/Color!>", false, 8, 1);
    EXPECT_EQ(r.lines(), QStringList({"pPos|100|200| A |True|10|0|", "pNuevaHoja",
                                      "pCuadro|-5|0|300|400|1|"}));
    EXPECT_THROW(r.out.EscribeTexto(40000, 0, "x", false, 8, 0), ReportOverflow);
    r.state.nPosY = 32700;
    EXPECT_THROW(r.out.EscribeLinea("x"), ReportOverflow);
}

TEST(PrintScript, ReadingLines) {
    const auto item = [](const QString& line) {
        return std::get<PsItem>(readPrintScriptLine(line));
    };
    const PsItem t = item(" pPos|10|175| dos  blancos |true|12|3|");
    EXPECT_EQ(t.kind, PsItem::Kind::Text);
    EXPECT_EQ(t.x, 10);
    EXPECT_EQ(t.y, 175);
    EXPECT_EQ(t.text, " dos  blancos ");
    EXPECT_TRUE(t.bold);
    EXPECT_EQ(t.size, 12);
    EXPECT_EQ(t.page, 3);
    for (const char* size : {"0", "", "abc"})
        EXPECT_EQ(item(QString("pPos|1|2|x|False|%1|0|").arg(size)).size, 8) << size;
    EXPECT_EQ(item("pPos|2.5|3.5|x|false|8.5|0|").x, 2); // halves to even
    EXPECT_EQ(item("pPos|2.5|3.5|x|false|8.5|0|").y, 4);
    const PsItem box = item("pCuadro|1|2|3|4|5|");
    EXPECT_EQ(box.kind, PsItem::Kind::Box);
    EXPECT_EQ(box.y2, 4);
    EXPECT_EQ(item("pPosVerti|1|2|ABC|False|8|0|").kind, PsItem::Kind::VerticalText);

    EXPECT_TRUE(std::holds_alternative<PsPageBreak>(readPrintScriptLine("pNuevaHoja")));
    EXPECT_TRUE(std::holds_alternative<PsSkip>(readPrintScriptLine("pOtra|1|2|")));
    EXPECT_TRUE(std::holds_alternative<PsSkip>(readPrintScriptLine("pPos|1|2|sin cierre")));
    const PsTag tag = std::get<PsTag>(readPrintScriptLine("<!nHojas!>12<!/nHojas!>"));
    EXPECT_EQ(tag.name, "nHojas");
    EXPECT_EQ(tag.value, "12");
    EXPECT_EQ(
        colorValue(std::get<PsTag>(readPrintScriptLine("<!Color!>&H00FFFFC0&<!/Color!>")).value),
        16777152);
    EXPECT_EQ(colorValue("&H80000005&"), std::int32_t(0x80000005u));
    EXPECT_FALSE(colorValue("rojo").has_value());
}
