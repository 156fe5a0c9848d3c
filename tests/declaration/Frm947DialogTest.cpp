// The declaration window's widgets, offscreen: focus moves, box formats, refused keys.
#include "declaration/widgets/Frm947Dialog.h"

#include "tests/support/GridColumns.h"
#include "tests/support/SampleEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <algorithm>

using namespace ret;

namespace {

class Frm947DialogTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.OperationMode = 0;
        dialog = std::make_unique<Frm947Dialog>(session, nullptr);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        dialog->model().chooseContributor(0);
        dialog->model().chooseModality(0);
        dialog->model().setPeriodText("07/2010");
    }
    QLineEdit* box(int code) {
        return dialog->findChild<QLineEdit*>(QString("TxtValor%1").arg(code));
    }
    QLineEdit* period() { return dialog->findChild<QLineEdit*>("MkePeriodo"); }
    void focus(QWidget* w) {
        w->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }
    std::unique_ptr<Frm947Dialog> dialog;
};

} // namespace

TEST_F(Frm947DialogTest, BoxesShowPlainDigitsWhileTypedAndTheirPatternAfterwards) {
    dialog->findChild<QTabWidget*>()->setCurrentIndex(Frm947::TabDeuda);
    ASSERT_EQ(dialog->model().tab(), Frm947::TabDeuda);
    QLineEdit* b402 = box(402);
    ASSERT_NE(b402, nullptr);
    focus(b402);
    QTest::keyClicks(b402, "12a-. 34");
    EXPECT_EQ(b402->text(), "1234"); // letters, signs, points and blanks never reach the box
    focus(box(404));
    EXPECT_EQ(b402->text(), "(1,234)");
    QTest::keyClicks(box(404), "1234567");
    QTest::keyClick(box(404), Qt::Key_Return); // Enter moves on like Tab
    EXPECT_FALSE(box(404)->hasFocus());
    EXPECT_EQ(box(404)->text(), "1,234,567");
    focus(b402);
    EXPECT_EQ(b402->text(), "1234");
    EXPECT_EQ(b402->maxLength(), 12);
    EXPECT_TRUE(dialog->model().changed());
}

TEST_F(Frm947DialogTest, ThePeriodTakesDigitsOnlyAndEnterMovesOn) {
    auto fresh = std::make_unique<Frm947Dialog>(session, nullptr);
    fresh->show();
    QApplication::setActiveWindow(fresh.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(fresh.get()));
    fresh->model().chooseContributor(1);
    QLineEdit* p = fresh->findChild<QLineEdit*>("MkePeriodo");
    ASSERT_NE(p, nullptr);
    p->setFocus();
    p->setCursorPosition(0);
    QApplication::processEvents();
    QTest::keyClicks(p, "0x8/2y011");
    EXPECT_EQ(p->displayText(), "08/2011");
    EXPECT_EQ(fresh->model().periodText(), "08/2011");
    QTest::keyClick(p, Qt::Key_Return);
    EXPECT_FALSE(p->hasFocus());
}

// Saving stores what the boxes hold, whichever control has the focus: with the focus still in a
// box (showing its plain digits) the keyboard's "&Grabar", the keyboard's "&Salir" and the close
// box, answered Yes, store the same as a click that first takes the focus away.
TEST_F(Frm947DialogTest, SavingFromTheKeyboardStoresTheBoxesAsTheyStandOutsideTheFocus) {
    enum Trigger { AltG, AltS, CloseBox };
    struct Case {
        Trigger trigger;
        int focused; // the box typed last, which keeps the focus
        const char* period;
        const char* shown; // the focused box as it shows while typed in
    } cases[] = {
        {AltG, 402, "08/2010", "10"},          {AltS, 402, "09/2010", "10"},
        {CloseBox, 402, "10/2010", "10"},      {AltG, 410, "11/2010", "2500"},
        {CloseBox, 404, "12/2010", "1234567"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.period) + " box " + std::to_string(c.focused));
        auto d = std::make_unique<Frm947Dialog>(session, nullptr);
        d->show();
        QApplication::setActiveWindow(d.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
        d->model().chooseContributor(0);
        d->model().chooseModality(0);
        d->model().setPeriodText(c.period);
        d->findChild<QTabWidget*>()->setCurrentIndex(Frm947::TabDeuda);
        ASSERT_EQ(d->model().tab(), Frm947::TabDeuda);
        const auto boxOf = [&](int code) {
            return d->findChild<QLineEdit*>(QString("TxtValor%1").arg(code));
        };
        std::vector<std::pair<int, const char*>> typed = {
            {402, "10"}, {404, "1234567"}, {410, "2500"}};
        std::stable_partition(typed.begin(), typed.end(),
                              [&](const auto& t) { return t.first != c.focused; });
        for (const auto& [code, digits] : typed) {
            focus(boxOf(code));
            QTest::keyClicks(boxOf(code), digits);
        }
        QLineEdit* focused = boxOf(c.focused);
        ASSERT_TRUE(focused->hasFocus());
        ASSERT_EQ(focused->text(), c.shown);

        const QVariantList key = {"20100070970",
                                  QString(c.period).mid(3) + QString(c.period).left(2)};
        messages.answers = {MsgAnswer::Yes};
        if (c.trigger == CloseBox)
            d->close();
        else
            QTest::keyClick(focused, c.trigger == AltG ? Qt::Key_G : Qt::Key_S, Qt::AltModifier);
        const QString stored = "SELECT i_valor FROM DET WHERE doc_id_d = ? AND periodo = ? AND "
                               "casilla = ?";
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return db->scalar(stored, key + QVariantList{"402"}).has_value(); }, 3000));
        EXPECT_EQ(db->scalar(stored, key + QVariantList{"402"})->toString(), "-10");
        EXPECT_EQ(db->scalar(stored, key + QVariantList{"404"})->toString(), "1234567");
        EXPECT_EQ(db->scalar(stored, key + QVariantList{"410"})->toString(), "2500");
        EXPECT_EQ(c.trigger == AltG, d->isVisible()); // the closing ones closed the window
    }
}

TEST_F(Frm947DialogTest, TheRetentionTabShowsItsHeadingsAndAmountsWholeWithTotalsToTheRight) {
    dialog->findChild<QTabWidget*>()->setCurrentIndex(Frm947::TabRetencion);
    ASSERT_EQ(dialog->model().tab(), Frm947::TabRetencion);
    QApplication::processEvents();
    const auto* grid = dialog->findChild<QTableWidget*>("GrdDatos");
    ASSERT_NE(grid, nullptr);
    // a subject's totals take up to 12 digits before the point
    const QString amount = QStringLiteral("999,999,999,999.99");
    test::expectColumnsReadable(*grid, {{0, "20100070970"}, {2, amount}, {3, amount}}, 3);
    for (const char* name : {"TxtBase", "TxtRetencion"}) {
        const auto* total = dialog->findChild<QLineEdit*>(name);
        ASSERT_NE(total, nullptr) << name;
        EXPECT_TRUE(total->alignment() & Qt::AlignRight) << name;
    }
}

// Whether the last row and column of `image` are drawn darker than `background`, as a frame's
// edge is.
bool edgesDrawn(const QImage& image, const QColor& background) {
    int dark = 0;
    const int w = image.width(), h = image.height();
    for (int x = 2; x < w - 2; ++x)
        dark += image.pixelColor(x, h - 1).lightness() < background.lightness() - 20;
    for (int y = 2; y < h - 2; ++y)
        dark += image.pixelColor(w - 1, y).lightness() < background.lightness() - 20;
    return dark > (w + h) / 2;
}

TEST_F(Frm947DialogTest, ThePaymentAmountIsDrawnWhole) {
    dialog->findChild<QTabWidget*>()->setCurrentIndex(Frm947::TabDeuda);
    QApplication::processEvents();
    QLabel* amount = nullptr;
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->frameShape() != QFrame::NoFrame)
            amount = l;
    ASSERT_NE(amount, nullptr);
    EXPECT_TRUE(edgesDrawn(amount->grab().toImage(), dialog->palette().color(QPalette::Window)));
}
