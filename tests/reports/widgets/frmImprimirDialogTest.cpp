#include "reports/widgets/frmImprimirDialog.h"
#include "reports/frmImpxPag.h"
#include "reports/widgets/ReportPrinting.h"
#include "reports/widgets/frmImpxPagDialog.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace ret {
namespace {

class NoScreens final : public reports::ReportScreens {
public:
    void chooseRange(reports::frmImpxPag&) override {}
    void preview(const QString&, const RangoPaginas&) override {}
    bool print(const QString&) override { return false; }
};

class frmImprimirDialogTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        test::SampleDeclaration sample(*db);
        qputenv(kPrintToPdfVariable, path("out.pdf").toLocal8Bit());
    }
    void TearDown() override { qunsetenv(kPrintToPdfVariable); }

    // The pages of the PDF the last print wrote, and whether the first is landscape.
    std::pair<int, bool> printedPages() const {
        const QString pdf = QString::fromLatin1(readFile("out.pdf"));
        const int pages = int(pdf.count(QRegularExpression("/Type\\s*/Page(?!s)")));
        const auto box =
            QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)").match(pdf);
        return {pages, box.captured(1).toDouble() > box.captured(2).toDouble()};
    }
    // The text of the PDF as a reader extracts it.
    QString pdfText() const {
        QProcess extract;
        extract.start("pdftotext", {"-layout", path("out.pdf"), "-"});
        EXPECT_TRUE(extract.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
        return QString::fromUtf8(extract.readAllStandardOutput());
    }
};

TEST_F(frmImprimirDialogTest, PrintsTheChosenReportOfTheChosenDeclaration) {
    reports::frmImprimirDialog window(session, nullptr, nullptr);
    EXPECT_EQ(window.windowTitle(), "Imprimir ");
    ASSERT_EQ(window.grid()->model()->rowCount(), 1);
    EXPECT_FALSE(window.grid()->isColumnHidden(reports::frmImprimir::Rectifica));
    EXPECT_TRUE(window.grid()->isColumnHidden(reports::frmImprimir::Periodo));
    EXPECT_EQ(window.grid()->model()->index(0, 3).data().toString(), "07/2010");
    EXPECT_TRUE(window.option(0)->isChecked());

    window.button(1)->click();
    EXPECT_EQ(printedPages(), std::make_pair(1, false));
    const QString text = pdfText();
    for (const char* expected : {"AGENTES DE RETENCION", "20100070970", "DISTRIBUIDORA ANDINA DEL",
                                 "RETENCIONES - PROVEEDORES", "1,201", "TOTAL DEUDA TRIBUTARIA"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;

    window.option(1)->click();
    EXPECT_EQ(window.model().reportCode(), "RYP003");
    window.button(1)->click();
    const auto [pages, landscape] = printedPages();
    EXPECT_GE(pages, 1);
    EXPECT_TRUE(landscape);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL"), 2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(frmImprimirDialogTest, RangeBoxesTakeOnlyTheirKeysAndShowTheCountInTheSentence) {
    NoScreens screens;
    reports::frmImpxPag model(screens, messages);
    model.load("00000001.PRN", 12);
    reports::frmImpxPagDialog dialog(model, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), "Impresión de 12 páginas");
    EXPECT_EQ(dialog.totPaginas()->text(), "12");
    EXPECT_FALSE(dialog.totPaginas()->focusPolicy() & Qt::TabFocus);
    // over the run of blanks after "contiene", on the first line
    const QRect count = dialog.totPaginas()->geometry();
    const QFontMetrics fm = dialog.text1()->fontMetrics();
    EXPECT_GE(count.left(), fm.horizontalAdvance(reports::frmImpxPag::textBeforeCount()));
    EXPECT_LT(count.top(), fm.lineSpacing());

    dialog.desde()->setFocus();
    dialog.desde()->clear();
    QTest::keyClicks(dialog.desde(), "a2x.5-");
    EXPECT_EQ(dialog.desde()->text(), "2.5");
    QTest::keyClick(dialog.desde(), Qt::Key_Return);
    EXPECT_TRUE(dialog.hasta()->hasFocus());
    QTest::keyClicks(dialog.hasta(), "1 1");
    dialog.preliminar();
    EXPECT_EQ(model.range().nDesde, 2);
    EXPECT_EQ(model.range().nHasta, 11);
}

} // namespace
TEST_F(frmImprimirDialogTest, TheLastRangeBoxHandsTheFocusToPreliminarWhereEnterPressesIt) {
    NoScreens screens;
    reports::frmImpxPag model(screens, messages);
    model.load("00000001.PRN", 12);
    reports::frmImpxPagDialog dialog(model, nullptr);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.desde()->setFocus();
    dialog.desde()->clear();
    QTest::keyClicks(dialog.desde(), "3");
    QTest::keyClick(dialog.desde(), Qt::Key_Return);
    dialog.hasta()->clear();
    QTest::keyClicks(dialog.hasta(), "9");
    QTest::keyClick(dialog.hasta(), Qt::Key_Return);
    auto* preliminar = qobject_cast<QPushButton*>(QApplication::focusWidget());
    ASSERT_NE(preliminar, nullptr);
    EXPECT_EQ(preliminar->text(), "&Preliminar");
    QTest::keyClick(preliminar, Qt::Key_Return);
    EXPECT_EQ(model.range().nDesde, 3);
    EXPECT_EQ(model.range().nHasta, 9);
}

} // namespace ret
