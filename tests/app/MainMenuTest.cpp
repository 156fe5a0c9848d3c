#include "app/MainMenu.h"
#include "app/MainProgram.h"
#include "common/HelpBook.h"
#include "tests/app/RecordingWindows.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QDir>

using namespace ret;
using namespace ret::test;

namespace {

class MainMenuTest : public TempDirTest {
protected:
    void SetUp() override {
        program.session().windows = &windows;
        program.session().config.helpFile = path("0947/retdecl.hlp");
    }
    Session& session() { return program.session(); }

    ScriptedMessages messages;
    MainProgram program{messages};
    RecordingWindows windows{program.session()};
    int ended = 0;
    MainMenu menu{program, {[this] { ++ended; }}};
};

struct Expected {
    const char* entry;
    std::function<void(MainMenu&)> act;
    Window window;
    int mode; // -1: left as it was
    int sent; // -1: left as it was, else 0 or 1
};

} // namespace

TEST_F(MainMenuTest, EveryEntrySetsItsModesAndOpensItsWindow) {
    const auto button = [](int i) { return [i](MainMenu& m) { m.toolbarButton(i); }; };
    const Expected table[] = {
        {"Nueva", &MainMenu::nueva, Window::Frm947, 0, 0},
        {"Modificar", &MainMenu::modificar, Window::FrmContAbrir, 1, 0},
        {"Eliminar", &MainMenu::eliminar, Window::FrmContAbrir, 3, 0},
        {"Imprimir", &MainMenu::imprimir, Window::frmImprimir, -1, 0},
        {"Registrar número de orden", &MainMenu::registrarNumeroOrden, Window::FrmContAbrirE, 1, 1},
        {"Eliminar enviada", &MainMenu::eliminarEnviada, Window::FrmContAbrirE, 3, 1},
        {"Imprimir enviada", &MainMenu::imprimirEnviada, Window::frmImprimir, -1, 1},
        {"Acerca de", &MainMenu::acercaDe, Window::frmAcercade, -1, -1},
        {"toolbar 1", button(1), Window::Frm947, 0, 0},
        {"toolbar 2", button(2), Window::FrmContAbrir, 1, 0},
        {"toolbar 3", button(3), Window::FrmContAbrir, 3, 0},
        {"toolbar 4", button(4), Window::frmImprimir, -1, 0},
        {"toolbar 7", button(7), Window::FrmContAbrirE, 1, 1},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.entry);
        // the opposite of what the entry should leave, so that a missing setting shows
        session().OperationMode = 2;
        session().SentMode = e.sent != 1;
        windows.opened.clear();
        e.act(menu);
        ASSERT_EQ(windows.opened.size(), 1u);
        EXPECT_EQ(windows.opened[0].window, e.window);
        EXPECT_EQ(windows.opened[0].operationMode, e.mode < 0 ? 2 : e.mode);
        EXPECT_EQ(windows.opened[0].sentMode, e.sent != 0);
    }
}

TEST_F(MainMenuTest, TheBanksQueryIsAskedForBeforeItsWindowOpens) {
    session().OperationMode = 3;
    menu.bancos();
    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::FrmConsultas);
    EXPECT_EQ(windows.opened[0].queryKind, "B");
    EXPECT_EQ(session().OperationMode, 3);
}

TEST_F(MainMenuTest, ToolbarSeparatorsDoNothing) {
    for (int index : {0, 6, 8, 9, 11})
        menu.toolbarButton(index);
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(windows.helpOpened.empty());
    EXPECT_EQ(ended, 0);
}

// The configured retdecl.hlp names the help; its pages are the folder ayuda/ beside it.
TEST_F(MainMenuTest, HelpShowsTheContentsPageOrSaysWhyNot) {
    const QString contents = path("0947/ayuda/index.html");
    menu.MostrarHelp();
    EXPECT_TRUE(windows.helpOpened.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kMainCaption);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("No se encuentra el archivo de ayuda %1.").arg(contents));

    // the old help file alone is no help: the pages are
    QDir().mkpath(path("0947"));
    writeFile("0947/retdecl.hlp", "help");
    menu.toolbarButton(10);
    EXPECT_TRUE(windows.helpOpened.empty());
    EXPECT_EQ(messages.shown.size(), 2u);

    QDir().mkpath(path("0947/ayuda"));
    writeFile("0947/ayuda/index.html", "<html></html>");
    menu.toolbarButton(10);
    menu.MostrarHelp();
    EXPECT_EQ(windows.helpOpened, (std::vector<int>{kHelpContents, kHelpContents}));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(MainMenuTest, MovingOverTheClientAreaClearsTheNameOnly) {
    session().setStatus({"20100070970", "DISTRIBUIDORA", "0947", "06/2002"});
    int changes = 0;
    session().statusChanged = [&] { ++changes; };
    menu.clientAreaMouseMove();
    menu.clientAreaMouseMove();
    EXPECT_EQ(session().status.ruc, "20100070970");
    EXPECT_EQ(session().status.name, "");
    EXPECT_EQ(session().status.form, "0947");
    EXPECT_EQ(session().status.period, "06/2002");
    EXPECT_EQ(changes, 1);
}
