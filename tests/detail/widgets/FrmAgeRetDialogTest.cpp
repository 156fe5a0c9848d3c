// The retention subject window's widgets, offscreen: refused and converted keys, no pasting,
// the name layout, leaving by Escape.
#include "detail/widgets/FrmAgeRetDialog.h"

#include "tests/support/SampleEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ret;

namespace {

class FrmAgeRetDialogTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.CurrentRuc = "20100070970";
        session.CurrentPeriod = "201007";
        session.RetentionKind = "R";
    }
    void openWindow(const QString& mode, const SubjectSelection& subject = {}) {
        session.DetailMode = mode;
        session.selectedSubject = subject;
        dialog = std::make_unique<FrmAgeRetDialog>(session, nullptr);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    QLineEdit* field(const char* name) { return dialog->findChild<QLineEdit*>(name); }
    void focus(QWidget* w) {
        w->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }
    std::unique_ptr<FrmAgeRetDialog> dialog;
};

} // namespace

TEST_F(FrmAgeRetDialogTest, TheRucTakesDigitsOnlyAndNothingIsPasted) {
    openWindow("0");
    QLineEdit* ruc = field("TxtNumRuc");
    ASSERT_NE(ruc, nullptr);
    focus(ruc);
    QTest::keyClicks(ruc, "20a6-0 000.0013");
    EXPECT_EQ(ruc->text(), "20600000013");
    EXPECT_EQ(dialog->model().ruc(), "20600000013");
    EXPECT_TRUE(texts().isEmpty()); // a valid new supplier

    QTest::keyClick(ruc, Qt::Key_Backspace);
    QApplication::clipboard()->setText("9");
    QTest::keyClick(ruc, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(ruc->text(), "2060000001");
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
    QApplication::clipboard()->setText("9");
    QTest::mouseClick(ruc, Qt::RightButton);
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
    EXPECT_TRUE(dialog->model().changed());
}

TEST_F(FrmAgeRetDialogTest, NameLettersReachTheFieldInCapitals) {
    openWindow("0");
    QLineEdit* nombres = field("TxtNombres");
    ASSERT_NE(nombres, nullptr);
    focus(nombres);
    QTest::keyClicks(nombres, "juan ");
    QTest::sendKeyEvent(QTest::Click, nombres, Qt::Key_Ntilde, QString::fromUtf8("ñ"),
                        Qt::NoModifier);
    QTest::keyClicks(nombres, "-2. ib");
    // the accented letters and the enye stay, in capitals, as the import keeps them
    for (const char* letter : {"á", "ñ", "e", "z", "Ü", "ç"})
        QTest::sendKeyEvent(QTest::Click, nombres, Qt::Key_unknown, QString::fromUtf8(letter),
                            Qt::NoModifier);
    EXPECT_EQ(nombres->text(), QString::fromUtf8("JUAN Ñ2 IBÁÑEZÜ"));
    EXPECT_EQ(dialog->model().nombres(), QString::fromUtf8("JUAN Ñ2 IBÁÑEZÜ"));
    QTest::keyClick(nombres, Qt::Key_Return); // Enter moves on like Tab
    EXPECT_FALSE(nombres->hasFocus());
}

TEST_F(FrmAgeRetDialogTest, ACompanyRucSwitchesTheNameLayout) {
    openWindow("0");
    QLineEdit* ruc = field("TxtNumRuc");
    QLineEdit* apePat = field("TxtApePat");
    QLineEdit* nombres = field("TxtNombres");
    auto* label4 = dialog->findChild<QLabel*>("Label4");
    ASSERT_TRUE(ruc && apePat && nombres && label4);
    EXPECT_TRUE(apePat->isVisibleTo(dialog.get()));
    EXPECT_EQ(nombres->maxLength(), 20);

    focus(ruc);
    QTest::keyClicks(ruc, "20");
    EXPECT_FALSE(apePat->isVisibleTo(dialog.get()));
    EXPECT_EQ(label4->text(), QString::fromUtf8("Razón Social :"));
    EXPECT_EQ(nombres->maxLength(), 40);
    EXPECT_EQ(nombres->width(), 4500 / 15);
    // the wide field sits on the first name row, where the surnames were
    QApplication::processEvents();
    EXPECT_EQ(nombres->y(), apePat->y());

    QTest::keyClick(ruc, Qt::Key_Backspace);
    QTest::keyClick(ruc, Qt::Key_Backspace);
    QTest::keyClicks(ruc, "10");
    EXPECT_TRUE(apePat->isVisibleTo(dialog.get()));
    EXPECT_EQ(label4->text(), "Nombres :");
    EXPECT_EQ(nombres->maxLength(), 20);
    QApplication::processEvents();
    EXPECT_GT(nombres->y(), apePat->y());
}

TEST_F(FrmAgeRetDialogTest, EscapeLeavesAsSalirDoes) {
    db->execute("INSERT INTO TMPF947RPCAB VALUES ('R', 6, '20600000013', 'LA EMPRESA', NULL, "
                "NULL, NULL, 1, '1.00', '0.06', NULL)");
    openWindow("1", {"20600000013", "LA EMPRESA", {}, {}, {}});
    EXPECT_FALSE(field("TxtNumRuc")->isEnabled());
    EXPECT_EQ(field("TxtNombres")->text(), "LA EMPRESA");
    messages.answers = {MsgAnswer::No};
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible()); // no vouchers, and the user would rather stay
    ASSERT_EQ(messages.shown.size(), 1u);
    messages.answers = {MsgAnswer::Yes};
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPCAB"), 0);
}

TEST_F(FrmAgeRetDialogTest, TheSupplierFrameIsCaptioned) {
    openWindow("0");
    QStringList frames;
    for (const QGroupBox* g : dialog->findChildren<QGroupBox*>())
        frames << g->title();
    EXPECT_TRUE(frames.contains("Datos del Proveedor")) << frames.join('|').toStdString();
    const QLineEdit* ruc = field("TxtNumRuc");
    const auto* frame = qobject_cast<const QGroupBox*>(ruc->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "Datos del Proveedor");
}
