// The window kit as a person meets it, offscreen: Enter on a focused button, the focus drawn,
// message boxes in Spanish and centred on their window.
#include "app/widgets/AppWindows.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/MessageBoxes.h"
#include "common/widgets/WidgetWindows.h"
#include "declaration/widgets/DeclarationWindows.h"
#include "detail/widgets/SubjectWindow.h"
#include "detail/widgets/VoucherWindows.h"
#include "import/widgets/frmTransferenciaDialog.h"
#include "reports/widgets/frmImprimirDialog.h"

#include "tests/support/GridColumns.h"
#include "tests/support/SampleEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

using namespace ret;

namespace {

// Every window of the program, opened as the program opens it.
class ProgramWindowsTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.windows = &real;
        main.setGeometry(0, 0, 637, 488);
        real.setMainWindow(&main);
        registerAppWindows(real, session);
        registerDeclarationWindows(real, session);
        registerSubjectWindow(real, session);
        registerVoucherWindows(real, session);
        reports::registerReportWindows(real, session);
        registerImportWindow(real, session, [](const QString&) {});
        session.CurrentRuc = "20100070970";
        session.CurrentPeriod = "201007";
        session.RetentionKind = "R";
        session.RetentionRate = "0.06";
        session.DetailMode = "0";
        session.VoucherMode = "0";
        session.PaymentVoucherMode = "0";
        session.selectedSubject.ruc = "20512345671";
        session.QueryKind = "B";
    }

    // Opens `window` and runs `inside` on it once it is shown; a window still open after a
    // while is closed so that the test goes on. Says whether `inside` left it closed.
    bool closedBy(Window window, const std::function<void(QWidget&)>& inside) {
        bool stuck = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            if (shown == nullptr)
                return;
            QApplication::setActiveWindow(shown);
            inside(*shown);
            QApplication::processEvents();
            if (QApplication::activeModalWidget() == shown) {
                stuck = true;
                shown->close();
            }
        });
        real.open(window);
        return !stuck;
    }

    static QPushButton* buttonCaptioned(QWidget& window, const QString& caption) {
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == caption && b->isVisible())
                return b;
        return nullptr;
    }

    QWidget main;
    WidgetWindows real{messages};
};

TEST_F(ProgramWindowsTest, EnterOnAFocusedButtonPressesIt) {
    struct Case {
        Window window;
        int mode;
        const char* button;
    };
    const Case cases[] = {
        {Window::FrmContAbrir, 1, "&Salir"}, {Window::FrmContAbrirE, 1, "&Salir"},
        {Window::FrmConsultas, 1, "&Salir"}, {Window::frmAcercade, 1, "&Aceptar"},
        {Window::Frm947, 0, "&Salir"},       {Window::FrmAgeRet, 0, "&Salir"},
        {Window::FrmDetAgeRet, 0, "&Salir"}, {Window::frmRetDet, 0, "&Salir"},
        {Window::frmImprimir, 0, "&Salir"},  {Window::frmTransferencia, 0, "&Salir"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(windowTitle(c.window).toStdString());
        session.OperationMode = c.mode;
        bool found = false;
        EXPECT_TRUE(closedBy(c.window, [&](QWidget& shown) {
            QPushButton* button = buttonCaptioned(shown, QString::fromUtf8(c.button));
            if (button == nullptr)
                return;
            found = true;
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
        }));
        EXPECT_TRUE(found);
    }
    // Enter elsewhere is the field's own: it moves on and presses nothing
    session.OperationMode = 0;
    EXPECT_FALSE(closedBy(Window::frmRetDet, [](QWidget& shown) {
        QWidget* field = shown.findChild<QWidget*>("TxtSerie");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }));
}

TEST_F(ProgramWindowsTest, TheListsShowEveryColumnWithoutScrollingInTheirSizes) {
    const QString ruc = QStringLiteral("20100070970");
    const QString period = QStringLiteral("12/2010");
    const QString date = QStringLiteral("15/07/2010");
    struct Case {
        Window window;
        bool sent;
        QSize size;
        std::map<int, QString> widest;
        int last;
    };
    const Case cases[] = {
        {Window::FrmContAbrir, false, {517, 302}, {{0, ruc}, {2, period}, {3, "0947"}}, 5},
        {Window::FrmContAbrirE,
         true,
         {613, 302},
         {{0, ruc}, {2, period}, {3, "0947"}, {4, "9999999999"}, {5, date}, {6, "99999999"}},
         8},
        {Window::frmImprimir, false, {}, {{0, ruc}, {3, period}, {4, "0947"}, {10, "NO"}}, 10},
        {Window::frmImprimir,
         true,
         {},
         {{0, ruc}, {3, period}, {4, "0947"}, {5, "9999999999"}, {6, date}, {7, "99999999"}},
         10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(windowTitle(c.window).toStdString() + (c.sent ? " sent" : ""));
        session.OperationMode = 1;
        session.SentMode = c.sent;
        closedBy(c.window, [&](QWidget& shown) {
            if (c.size.isValid()) {
                EXPECT_EQ(shown.size(), c.size);
            }
            const auto* grid = shown.findChild<QTableView*>("grdContrib");
            ASSERT_NE(grid, nullptr);
            test::expectColumnsReadable(*grid, c.widest, c.last);
            shown.close();
        });
    }
}

// What a widget looks like, drawn as it stands.
QImage drawn(QWidget& w) {
    return w.grab().toImage();
}

TEST_F(ProgramWindowsTest, TheFocusIsDrawnOnButtonsAndOptionButtonsWhateverMovedIt) {
    session.OperationMode = 0;
    for (const char* name : {"OptImp1", "CmdImprimir2"}) {
        SCOPED_TRACE(name);
        bool differs = false;
        closedBy(Window::frmImprimir, [&](QWidget& shown) {
            auto* button = shown.findChild<QAbstractButton*>(name);
            ASSERT_NE(button, nullptr);
            const QImage before = drawn(*button);
            button->setFocus(); // as the window or a field's Enter moves it, no Tab key
            QApplication::processEvents();
            ASSERT_TRUE(button->hasFocus());
            differs = drawn(*button) != before;
        });
        EXPECT_TRUE(differs);
    }
}

// Answers the message box that opens next, recording it.
struct BoxWatch {
    QString buttons;
    QWidget* parent = nullptr;
    QPoint centre;

    void answerNext() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            QStringList texts;
            for (QAbstractButton* b : box->buttons())
                texts << b->text();
            texts.sort();
            buttons = texts.join('|');
            parent = box->parentWidget();
            centre = box->frameGeometry().center();
            box->reject();
        });
    }
};

TEST(MessageBoxesTest, TheStandardButtonsAreInSpanish) {
    const std::unique_ptr<QTranslator> texts = installSpanishTexts();
    ASSERT_NE(texts, nullptr);
    MessageBoxes boxes;
    struct Case {
        MsgButtons buttons;
        const char* expected;
    };
    // Qt's texts: Enter and Escape are the keys of "Aceptar" and "Cancelar"
    for (const Case& c :
         {Case{MsgButtons::Ok, "Aceptar"}, Case{MsgButtons::OkCancel, "Aceptar|Cancelar"},
          Case{MsgButtons::YesNo, "&No|&Sí"}, Case{MsgButtons::YesNoCancel, "&No|&Sí|Cancelar"}}) {
        BoxWatch watch;
        watch.answerNext();
        boxes.show({MsgIcon::Question, "¿Seguro?", "Título", c.buttons, MsgAnswer::Ok});
        EXPECT_EQ(watch.buttons, QString::fromUtf8(c.expected));
    }
}

TEST(MessageBoxesTest, ABoxThatFollowsAnotherIsCentredOnTheSameWindow) {
    QWidget window;
    window.setGeometry(40, 30, 637, 488);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    MessageBoxes boxes;
    BoxWatch first, second;
    first.answerNext();
    boxes.inform(MsgIcon::Critical, "El periodo no es válido.", "Título");
    EXPECT_EQ(first.parent, &window);
    // the box closed; the platform gives the window its activation back only later
    QApplication::setActiveWindow(nullptr);
    second.answerNext();
    boxes.inform(MsgIcon::Critical, "Ingrese el RUC.", "Título");
    EXPECT_EQ(second.parent, &window);
    EXPECT_NEAR(second.centre.x(), window.frameGeometry().center().x(), 8);
    EXPECT_NEAR(second.centre.y(), window.frameGeometry().center().y(), 8);
}

TEST(FormHelpersTest, AShortenedNameEndsAfterAWholeWord) {
    const QFontMetrics metrics(QApplication::font());
    const QString name = QStringLiteral("DISTRIBUIDORA ANDINA DEL PERÚ S.A.");
    EXPECT_EQ(shortenAtBlank(name, metrics, metrics.horizontalAdvance(name)), name);
    const int room = metrics.horizontalAdvance(QStringLiteral("DISTRIBUIDORA ANDINA D"));
    EXPECT_EQ(shortenAtBlank(name, metrics, room), QStringLiteral("DISTRIBUIDORA ANDINA…"));
    // a first word that does not fit is all that can be cut
    const QString cut = shortenAtBlank(name, metrics, metrics.horizontalAdvance("DISTRI"));
    EXPECT_TRUE(cut.startsWith("DIS") && cut.endsWith(QChar(0x2026))) << cut.toStdString();
}

} // namespace
