// The voucher windows' widgets, offscreen: keys refused or converted, Enter, no pasting.
#include "common/widgets/WidgetWindows.h"
#include "detail/widgets/FrmDetAgeRetDialog.h"
#include "detail/widgets/VoucherWindows.h"
#include "detail/widgets/frmRetDetDialog.h"

#include "tests/support/GridColumns.h"
#include "tests/support/SampleEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

using namespace ret;

namespace {

class VoucherDialogsTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.CurrentPeriod = "201007";
        session.RetentionRate = "0.06";
        session.selectedSubject.ruc = "20512345671";
        session.selectedVoucher = {"0001", "00000001", "15/07/2010", "100", "6"};
        session.VoucherMode = "0";
        session.PaymentVoucherMode = "0";
    }
    void show(QDialog& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    static QLineEdit* field(QDialog& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(name);
    }
    void focus(QWidget* w) {
        w->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }
};

} // namespace

TEST_F(VoucherDialogsTest, TheVoucherSerieTakesALetterOnlyFirst) {
    FrmDetAgeRetDialog dialog(session, nullptr);
    show(dialog);
    QLineEdit* serie = field(dialog, "TxtSerie");
    ASSERT_NE(serie, nullptr);
    focus(serie);
    QTest::keyClicks(serie, "0e.1");
    EXPECT_EQ(serie->text(), "01"); // no letter in position 2, no point
    serie->clear();
    QTest::keyClicks(serie, "e0f1.2");
    EXPECT_EQ(serie->text(), "E012"); // converted to capitals; 4 at most
    EXPECT_EQ(dialog.model().serie(), "E012");
    EXPECT_TRUE(dialog.model().changed());
    QTest::keyClick(serie, Qt::Key_Return);
    EXPECT_FALSE(serie->hasFocus()); // Enter moves on once there is a serie
}

TEST_F(VoucherDialogsTest, NumbersAndAmountsRefuseWhatTheyMayNotHold) {
    FrmDetAgeRetDialog dialog(session, nullptr);
    show(dialog);
    QLineEdit* numero = field(dialog, "TxtNumero");
    QLineEdit* base = field(dialog, "TxtMtoBase");
    focus(numero);
    QTest::keyClicks(numero, "3.4a5");
    EXPECT_EQ(numero->text(), "345");
    focus(base);
    EXPECT_EQ(numero->text(), "00000345"); // zero-filled when left
    QTest::keyClicks(base, "100.2.5x");
    EXPECT_EQ(base->text(), "100.25");
    EXPECT_EQ(field(dialog, "TxtRetencion")->text(), "6.02");
    QTest::keyClick(base, Qt::Key_Return);
    EXPECT_FALSE(base->hasFocus());
    EXPECT_EQ(base->text(), "100.25");
    focus(base);
    QTest::keyClicks(base, "1234567890123");
    EXPECT_EQ(base->text().size(), 15); // two decimals and 12 integer digits at most
}

TEST_F(VoucherDialogsTest, NothingIsPastedIntoTheFields) {
    FrmDetAgeRetDialog dialog(session, nullptr);
    show(dialog);
    QApplication::clipboard()->setText("9999");
    ASSERT_EQ(QApplication::clipboard()->text(), "9999");
    QLineEdit* numero = field(dialog, "TxtNumero");
    focus(numero);
    QTest::keyClick(numero, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(numero, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(numero->text(), "");
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

TEST_F(VoucherDialogsTest, ATillReceiptSerieTakesDigitsOnly) {
    frmRetDetDialog dialog(session, nullptr);
    show(dialog);
    auto* tipo = dialog.findChild<QComboBox*>("CmbTipoDoc");
    ASSERT_NE(tipo, nullptr);
    ASSERT_EQ(tipo->count(), 5);
    dialog.model().chooseType(3);
    ASSERT_EQ(dialog.model().typeCode(), "12");
    QLineEdit* serie = field(dialog, "TxtSerie");
    focus(serie);
    QTest::keyClicks(serie, "E0.01");
    EXPECT_EQ(serie->text(), "001");
    dialog.model().chooseType(0); // an invoice's serie may begin with a letter
    serie->clear();
    focus(serie);
    QTest::keyClicks(serie, "f.1");
    EXPECT_EQ(serie->text(), "F1");

    // a credit note's total allows 11 integer digits while typed
    dialog.model().chooseType(1);
    QLineEdit* total = field(dialog, "TxtMtoDet");
    focus(total);
    QTest::keyClicks(total, "123456789012");
    EXPECT_EQ(total->text(), "12345678901");
    QTest::keyClicks(total, ".5.");
    EXPECT_EQ(total->text(), "12345678901.5");
}

TEST_F(VoucherDialogsTest, AStoredVoucherOpensWithItsKeyFrozen) {
    session.VoucherMode = "1";
    FrmDetAgeRetDialog dialog(session, nullptr);
    show(dialog);
    EXPECT_EQ(field(dialog, "MkeFecEmis")->displayText(), "15/07/2010");
    EXPECT_EQ(field(dialog, "TxtSerie")->text(), "0001");
    EXPECT_FALSE(field(dialog, "TxtSerie")->isEnabled());
    EXPECT_FALSE(field(dialog, "TxtNumero")->isEnabled());
    EXPECT_EQ(field(dialog, "TxtRetencion")->text(), "6");
    EXPECT_EQ(field(dialog, "TxtTasa")->text(), "6.00");
}

TEST_F(VoucherDialogsTest, BothWindowsAreRegistered) {
    WidgetWindows opener(messages);
    registerVoucherWindows(opener, session);
    EXPECT_TRUE(opener.isRegistered(Window::FrmDetAgeRet));
    EXPECT_TRUE(opener.isRegistered(Window::frmRetDet));
    EXPECT_FALSE(opener.isRegistered(Window::FrmAgeRet));
}

TEST_F(VoucherDialogsTest, ThePaymentVoucherListShowsItsAmountsWhole) {
    FrmDetAgeRetDialog dialog(session, nullptr);
    show(dialog);
    const auto* grid = dialog.findChild<QTableView*>("GrdDetRet");
    ASSERT_NE(grid, nullptr);
    // a type-99 number takes 15 digits; a credit note shows in brackets, one digit fewer
    const QFontMetrics metrics(grid->font());
    QString amount = QStringLiteral("999,999,999,999.99");
    if (const QString credit = QStringLiteral("(99,999,999,999.99)");
        metrics.horizontalAdvance(credit) > metrics.horizontalAdvance(amount))
        amount = credit;
    test::expectColumnsReadable(
        *grid, {{1, "E001"}, {2, "999999999999999"}, {3, "15/07/2010"}, {5, amount}}, 5);
}

TEST_F(VoucherDialogsTest, ThePaymentVoucherWindowKeepsItsWidthAndGreysItsTypeList) {
    frmRetDetDialog dialog(session, nullptr);
    show(dialog);
    const int width = dialog.width();
    ASSERT_GT(dialog.model().types().size(), 1);
    for (int i = 0; i < dialog.model().types().size(); ++i) {
        dialog.model().chooseType(i);
        QApplication::processEvents();
        SCOPED_TRACE(dialog.model().types()[i].toStdString());
        EXPECT_EQ(dialog.width(), width);
        EXPECT_EQ(dialog.sizeHint().width(), width);
    }

    // a stored payment voucher freezes its type: the list is grey as the frozen fields are
    session.PaymentVoucherMode = "1";
    session.selectedPayment = {"01", "F002", "00000007", "21/07/2010", "500"};
    frmRetDetDialog stored(session, nullptr);
    show(stored);
    auto* types = stored.findChild<QComboBox*>("CmbTipoDoc");
    ASSERT_FALSE(types->isEnabled());
    const QImage drawn = types->grab().toImage();
    const QColor grey = field(stored, "TxtSerie")
                            ->grab()
                            .toImage()
                            .pixelColor(field(stored, "TxtSerie")->width() - 6,
                                        field(stored, "TxtSerie")->height() / 2);
    EXPECT_EQ(drawn.pixelColor(drawn.width() / 2 + 20, drawn.height() / 2), grey);
}
