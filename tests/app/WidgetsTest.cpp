#include "tests/app/AppEnvironment.h"

#include "app/widgets/AppWindows.h"

#include "app/MainProgram.h"
#include "app/widgets/DeclarationListDialog.h"
#include "app/widgets/FrmConsultas.h"
#include "app/widgets/MDIFrm.h"
#include "app/widgets/frmAcercade.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/WidgetWindows.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest/QTest>

using namespace ret;
using namespace ret::test;

namespace {

// The captions of a menu's entries, "-" for a separator.
QStringList entries(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

TEST(WidgetWindowsTest, EachOpeningIsAFreshModalWindowDiscardedWhenItCloses) {
    ScriptedMessages messages;
    WidgetWindows windows(messages);
    std::vector<QPointer<QDialog>> made;
    bool waitCursorWhileShown = true;
    bool modalWhileShown = false;
    windows.registerWindow(Window::FrmConsultas, [&](QWidget* parent) {
        auto d = std::make_unique<QDialog>(parent);
        made.emplace_back(d.get());
        QTimer::singleShot(0, d.get(), [&, dialog = d.get()] {
            waitCursorWhileShown = QApplication::overrideCursor() != nullptr;
            modalWhileShown = dialog->isModal() && dialog->isVisible();
            dialog->accept();
        });
        return d;
    });
    windows.open(Window::FrmConsultas);
    windows.open(Window::FrmConsultas);

    ASSERT_EQ(made.size(), 2u);
    EXPECT_TRUE(made[0].isNull() && made[1].isNull());
    EXPECT_FALSE(waitCursorWhileShown);
    EXPECT_TRUE(modalWhileShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(WidgetWindowsTest, AWindowNotInThisVersionIsSaidSo) {
    ScriptedMessages messages;
    WidgetWindows windows(messages);
    windows.open(Window::frmTransferencia);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(messages.shown[0].title, "Importar");
    EXPECT_EQ(messages.shown[0].text, kWindowNotAvailable);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MDIFrmTest, MenusToolbarAndWindowAreTheSystems) {
    ScriptedMessages messages;
    MainProgram program(messages);
    RecordingWindows windows(program.session());
    program.session().windows = &windows;
    MDIFrm main(program, {[] {}});

    EXPECT_EQ(main.windowTitle(), "0947 Agentes de Retención - v 1.1");
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main.windowFlags() & Qt::WindowCloseButtonHint);

    QStringList menus;
    for (const QAction* a : main.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus,
              QStringList({"&Declaraciones", "Declaraciones &Enviadas", "&Consultas", "&Ayuda"}));
    const auto menu = [&](const char* name) { return main.findChild<QMenu*>(name); };
    EXPECT_EQ(entries(menu("mnuDeclara")),
              QStringList({"&Nueva", "&Modificar", "&Eliminar", "-", "&Imprimir",
                           "&Copia de seguridad", "-", "&Salir"}));
    EXPECT_EQ(entries(menu("mnuDeclaraE")),
              QStringList({"&Registrar número de orden", "&Eliminar", "-", "&Imprimir"}));
    EXPECT_EQ(entries(menu("mnuConsultas")), QStringList({"&Bancos"}));
    EXPECT_EQ(entries(menu("mnuayuda")), QStringList({"&Contenido", "-", "Acerca &de Velkar"}));

    QStringList buttons;
    for (const QAction* a : main.findChild<QToolBar*>("Toolbar1")->actions())
        buttons << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(buttons, QStringList({"Nueva", "Modificar", "Eliminar", "Imprimir", "Salir", "-",
                                    "Num. Orden", "-", "-", "Ayuda"}));

    // the entries reach the rules: modes set, windows opened
    main.findChild<QAction*>("mnuEliminarE")->trigger();
    main.findChild<QAction*>("Toolbar1_1")->trigger();
    main.findChild<QAction*>("mnuImprimir")->trigger();
    main.findChild<QAction*>("mnuBancos")->trigger();
    ASSERT_EQ(windows.opened.size(), 4u);
    EXPECT_EQ(windows.opened[0].window, Window::FrmContAbrirE);
    EXPECT_EQ(windows.opened[0].operationMode, 3);
    EXPECT_TRUE(windows.opened[0].sentMode);
    EXPECT_EQ(windows.opened[1].window, Window::Frm947);
    EXPECT_EQ(windows.opened[1].operationMode, 0);
    EXPECT_FALSE(windows.opened[1].sentMode);
    EXPECT_EQ(windows.opened[2].window, Window::frmImprimir);
    EXPECT_EQ(windows.opened[3].window, Window::FrmConsultas);
    EXPECT_EQ(windows.opened[3].queryKind, "B");

    // the status bar shows the session's texts
    program.session().setStatus({"20100070970", "DISTRIBUIDORA", "0947", "06/2002"});
    EXPECT_EQ(main.findChild<QLabel*>("StatusRuc")->text(), "20100070970");
    EXPECT_EQ(main.findChild<QLabel*>("StatusName")->text(), "DISTRIBUIDORA");
    EXPECT_EQ(main.findChild<QLabel*>("StatusForm")->text(), "0947");
    EXPECT_EQ(main.findChild<QLabel*>("StatusPeriod")->text(), "06/2002");
}

// Records where a window stands, and whether that was asked for, when it is first shown.
class ShownPlace final : public QObject {
public:
    QPoint pos{-1, -1};
    QSize size;
    bool placed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !placed) {
            const auto* w = static_cast<QWidget*>(watched);
            pos = w->pos();
            size = w->size();
            placed = w->testAttribute(Qt::WA_Moved);
        }
        return false;
    }
};

TEST(MDIFrmTest, ItAsksForTheTopLeftCornerBeforeItIsShown) {
    // a window manager places a window where it likes unless the place comes before the map
    ScriptedMessages messages;
    MainProgram program(messages);
    RecordingWindows windows(program.session());
    program.session().windows = &windows;
    MDIFrm main(program, {[] {}});
    ShownPlace shown;
    main.installEventFilter(&shown);
    main.load(Profile(QStringLiteral("/nonexistent/HUB000.INI")));
    EXPECT_TRUE(shown.placed);
    EXPECT_EQ(shown.pos, QPoint(0, 0));
    EXPECT_EQ(shown.size, QSize(637, 488));
}

class ListDialogTest : public AppEnvironment {
protected:
    void SetUp() override {
        AppEnvironment::SetUp();
        addDeclaration(kTextiles, "200208");
        addDeclaration(kPenaloza, "200207");
        addDeclaration(kAndina, "200206");
    }
    QTableView* grid(QDialog& d) { return d.findChild<QTableView*>("grdContrib"); }
    QString button(QDialog& d, int i) {
        return d.findChild<QPushButton*>(QStringLiteral("CmdOpciones%1").arg(i))->text();
    }
};

TEST_F(ListDialogTest, EnterActsInTheGridAndTypedKeysDoNothing) {
    session.OperationMode = 1;
    FrmContAbrir dialog(session, nullptr, nullptr);
    dialog.show();
    QTableView* view = grid(dialog);
    ASSERT_TRUE(view->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Modificar Declaraciones");
    EXPECT_EQ(button(dialog, 0), "&Modificar");
    EXPECT_EQ(button(dialog, 1), "&Salir");
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(),
              "Seleccione la Declaración que desea modificar :");
    EXPECT_EQ(dialog.size(), QSize(517, 302));
    EXPECT_EQ(view->model()->index(0, 2).data().toString(), "08/2002");

    // "2" would otherwise jump to the next RUC that starts with it
    QTest::keyClick(view, Qt::Key_2);
    QTest::keyClick(view, Qt::Key_A);
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_TRUE(windows.opened.empty());

    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 1);
    EXPECT_EQ(session.status.ruc, kPenaloza);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::Frm947);
    EXPECT_EQ(session.listRow.ruc, kPenaloza);
    EXPECT_EQ(view->currentIndex().row(), 1);

    QTest::mouseClick(view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(view->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), kAndina);
}

TEST_F(ListDialogTest, TabLeavesTheGridForTheButtonsAndEnterPressesThem) {
    session.OperationMode = 1;
    FrmContAbrir dialog(session, nullptr, nullptr);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTableView* view = grid(dialog);
    ASSERT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Tab);
    auto* action = qobject_cast<QPushButton*>(QApplication::focusWidget());
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->objectName(), "CmdOpciones0");
    QTest::keyClick(action, Qt::Key_Return);
    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::Frm947);
}

TEST_F(ListDialogTest, AltHShowsTheChosenDeclarationsHistory) {
    session.OperationMode = 1;
    FrmContAbrir dialog(session, nullptr, nullptr);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* history = dialog.findChild<QPushButton*>("CmdHistorial");
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->text(), "&Historial...");
    QTest::keyClick(grid(dialog), Qt::Key_Down);
    // a button's mnemonic clicks it a moment later
    QTest::keyClick(grid(dialog), Qt::Key_H, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !windows.opened.empty(); }, 3000));
    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::FrmHistorial);
    EXPECT_TRUE(session.History.contains(kPenaloza)) << session.History.toStdString();
    EXPECT_TRUE(session.History.contains("No hay cambios registrados"));
}

TEST_F(ListDialogTest, TheSentListHidesTheCopyNumberAndEnterDeletesAfterAsking) {
    addSentCopy(kAndina, "200206", "001");
    session.OperationMode = 3;
    FrmContAbrirE dialog(session, nullptr, nullptr);
    dialog.show();
    QTableView* view = grid(dialog);
    EXPECT_TRUE(view->isColumnHidden(7));
    EXPECT_FALSE(view->isColumnHidden(6));
    EXPECT_EQ(dialog.windowTitle(), "Eliminar Declaraciones Enviadas");

    messages.answers = {MsgAnswer::Yes};
    QTest::keyClick(view, Qt::Key_Enter);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kDeleteQuestion);
    EXPECT_EQ(countCopy("HCAB", kAndina, "200206", "001"), 0);
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_FALSE(view->isEnabled());

    dialog.findChild<QPushButton*>("CmdOpciones1")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(session.status.form, "0947");
    EXPECT_TRUE(session.status.ruc.isEmpty());
}

TEST_F(ListDialogTest, SmallWindowsCarryTheirCaptions) {
    session.QueryKind = "B";
    FrmConsultas banks(session, nullptr, nullptr);
    EXPECT_EQ(banks.windowTitle(), "Bancos");
    EXPECT_TRUE(banks.findChild<QTableView*>("grdBancos")->isEnabled());
    EXPECT_EQ(banks.findChild<QPushButton*>("CmdSalir")->text(), "&Salir");
    EXPECT_EQ(banks.size(), QSize(471, 276));

    QWidget main;
    main.setGeometry(0, 0, 637, 488);
    frmAcercade about(&main, nullptr);
    EXPECT_EQ(about.windowTitle(), "Acerca de Velkar ");
    EXPECT_EQ(about.findChild<QLabel*>("txtVersion")->text(), "Versión 1.1");
    EXPECT_EQ(about.findChild<QLabel*>("Text1")->text(), "Agentes de Retención");
    EXPECT_EQ(about.findChild<QPushButton*>("cmdAceptar")->text(), "&Aceptar");
    const QRect placed = about.frameGeometry();
    EXPECT_EQ(placed.x(), (637 - placed.width()) / 2);
    EXPECT_EQ(placed.y(), (488 - placed.height()) / 2);
}

TEST_F(ListDialogTest, TheProgramsWindowsOpenModallyCentredOverTheMainWindow) {
    WidgetWindows real(messages);
    session.windows = &real;
    QWidget main;
    main.setGeometry(0, 0, 637, 488);
    real.setMainWindow(&main);
    registerAppWindows(real, session);

    struct Case {
        Window window;
        int mode;
        QString title;
    };
    session.QueryKind = "B";
    for (const Case& c : {Case{Window::FrmContAbrir, 3, "Eliminar Declaraciones"},
                          Case{Window::FrmContAbrirE, 1, "Registrar número de orden"},
                          Case{Window::FrmConsultas, 1, "Bancos"},
                          Case{Window::frmAcercade, 1, "Acerca de Velkar "}}) {
        session.OperationMode = c.mode;
        QString title;
        QRect placed;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            ASSERT_NE(shown, nullptr);
            title = shown->windowTitle();
            placed = shown->frameGeometry();
            shown->close();
        });
        real.open(c.window);
        SCOPED_TRACE(c.title.toStdString());
        EXPECT_EQ(title, c.title);
        // the window is placed before the platform draws its frame, a few pixels wide
        EXPECT_NEAR(placed.center().x(), 637 / 2, 8);
        EXPECT_NEAR(placed.center().y(), 488 / 2, 8);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(FormHelpersTest, PasaFocoMovesOnOnlyForTab) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    QApplication::setActiveWindow(&window);
    first->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), first);

    PasaFoco("ENTER");
    EXPECT_EQ(QApplication::focusWidget(), first);
    PasaFoco("TAB");
    EXPECT_EQ(QApplication::focusWidget(), second);
}
