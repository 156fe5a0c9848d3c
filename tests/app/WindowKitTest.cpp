// The window kit as a person meets it, offscreen: Enter on a focused button, the focus drawn,
// message boxes in Spanish and centred on their window.
#include "app/widgets/AppWindows.h"
#include "common/HelpBook.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/HelpWindow.h"
#include "common/widgets/MessageBoxes.h"
#include "common/widgets/WidgetWindows.h"
#include "declaration/widgets/DeclarationWindows.h"
#include "declaration/widgets/Frm947Dialog.h"
#include "detail/widgets/SubjectWindow.h"
#include "detail/widgets/VoucherWindows.h"
#include "import/widgets/frmTransferenciaDialog.h"
#include "reports/widgets/frmImprimirDialog.h"

#include "tests/support/GridColumns.h"
#include "tests/support/SampleEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

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

namespace {

// Presses F1 in the window and says which page the help window showed ("" for none), closing
// the help so that the window goes on.
QString pageShownOnF1(QWidget& window) {
    auto page = std::make_shared<QString>();
    QTimer::singleShot(0, [page] {
        if (auto* help = qobject_cast<HelpWindow*>(QApplication::activeModalWidget())) {
            *page = help->book().current();
            help->accept();
        }
    });
    // the offscreen platform gives the activation back to no window when the help closes
    QApplication::setActiveWindow(&window);
    // a field of a tab that is no longer in view keeps the focus but takes no key
    QWidget* focused = window.focusWidget();
    QWidget* target = focused != nullptr && focused->isVisible() ? focused : &window;
    QTest::keyClick(target, Qt::Key_F1);
    return *page;
}

} // namespace

TEST_F(ProgramWindowsTest, F1OpensTheHelpOnTheTopicOfTheWindowAndOfItsTab) {
    real.setHelpFolder([this] { return helpFolder(session.config); });
    struct Case {
        Window window;
        int mode;
        bool sent;
        const char* page;
    };
    const Case cases[] = {
        {Window::FrmContAbrir, 1, false, "1016.html"},
        {Window::FrmContAbrirE, 1, true, "1015.html"},
        {Window::FrmConsultas, 1, false, "1014.html"},
        {Window::frmAcercade, 1, false, "1036.html"},
        {Window::FrmAgeRet, 0, false, "1030.html"},
        {Window::FrmDetAgeRet, 0, false, "1031.html"},
        {Window::frmRetDet, 0, false, "1032.html"},
        {Window::frmImprimir, 0, false, "1016.html"},
        {Window::frmImprimir, 0, true, "1015.html"},
        {Window::frmTransferencia, 0, false, "1033.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(windowTitle(c.window).toStdString() + (c.sent ? " (enviadas)" : ""));
        session.OperationMode = c.mode;
        session.SentMode = c.sent;
        QString shown;
        closedBy(c.window, [&](QWidget& w) { shown = pageShownOnF1(w); });
        EXPECT_EQ(shown, QString::fromLatin1(c.page));
    }

    // the declaration window's topic follows the tab in view
    session.OperationMode = 0;
    session.SentMode = false;
    QStringList pages;
    closedBy(Window::Frm947, [&](QWidget& w) {
        auto& d = static_cast<Frm947Dialog&>(w);
        pages << pageShownOnF1(w);
        d.model().chooseContributor(0);
        d.model().chooseModality(0);
        d.model().setPeriodText("07/2010");
        for (const int tab : {Frm947::TabDeuda, Frm947::TabRetencion, Frm947::TabIdentificacion}) {
            d.findChild<QTabWidget*>()->setCurrentIndex(tab);
            pages << pageShownOnF1(w);
        }
    });
    EXPECT_EQ(pages, QStringList({"1020.html", "1018.html", "1021.html", "1020.html"}));
    messages.shown.clear(); // what closing the changed declaration asked

    // no help folder: the message, and no help window
    real.setHelpFolder([this] { return path("nada/ayuda"); });
    QString shown = "?";
    closedBy(Window::FrmConsultas, [&](QWidget& w) { shown = pageShownOnF1(w); });
    EXPECT_EQ(shown, QString());
    EXPECT_EQ(texts(), QStringList({QStringLiteral("No se encuentra el archivo de ayuda %1.")
                                        .arg(path("nada/ayuda/index.html"))}));
}

// The help window as the browser drives it: the links it hands over come resolved against the
// page shown, and only those into the help's folder are followed; the buttons walk the visits.
TEST_F(ProgramWindowsTest, TheHelpWindowFollowsLinksInItsFolderAndWalksBackAndForward) {
    const QString folder = helpFolder(session.config);
    HelpWindow help(folder, topics::kImport);
    ASSERT_EQ(help.book().current(), "1033.html");
    const auto click = [&](const QUrl& url) { emit help.browser()->anchorClicked(url); };
    const auto button = [&](const char* name) {
        help.findChild<QPushButton*>(QLatin1String(name))->click();
        return help.book().current() +
               (help.book().anchor().isEmpty() ? "" : "#" + help.book().anchor());
    };

    QUrl toCodes = QUrl::fromLocalFile(folder + "/1102.html");
    toCodes.setFragment("corregir");
    click(toCodes);
    EXPECT_EQ(help.book().current(), "1102.html");
    EXPECT_EQ(help.book().anchor(), "corregir");
    EXPECT_TRUE(help.browser()->source().toLocalFile().endsWith("/1102.html"));

    click(QUrl::fromLocalFile(path("velkar/0947/retdecl.hlp"))); // beside the folder
    click(QUrl("https://example.org/1020.html"));                // off the machine
    EXPECT_EQ(help.book().current(), "1102.html");

    EXPECT_EQ(button("cmdAtras"), "1033.html");
    EXPECT_FALSE(help.findChild<QPushButton*>("cmdAtras")->isEnabled());
    EXPECT_EQ(button("cmdAdelante"), "1102.html#corregir");

    // Enter in the search's words searches, and presses no button of the window
    help.show();
    auto* words = help.findChild<QLineEdit*>("txtBuscar");
    words->setText("dígito verificador");
    QTest::keyClick(words, Qt::Key_Return);
    EXPECT_EQ(help.book().current(), "1102.html");
    EXPECT_TRUE(help.isVisible());
    auto* hits = help.findChild<QListWidget*>("lstEncontradas");
    QStringList found;
    for (int i = 0; i < hits->count(); ++i)
        found << hits->item(i)->data(Qt::UserRole).toString();
    EXPECT_TRUE(found.contains("1104.html")) << found.join(' ').toStdString();
    EXPECT_FALSE(found.contains("1014.html"));
    EXPECT_EQ(button("cmdContenido"), "index.html");
}
