#pragma once

#include "app/MainMenu.h"

#include <QMainWindow>

class QAction;
class QMenu;

namespace ret {

class MainProgram;
class Profile;
class StatusBar;

// The main window: the menus and toolbar from which every other window is opened, and the
// status bar with the declaration in hand.
class MDIFrm final : public QMainWindow {
    Q_OBJECT
public:
    // `hooks` stand in for the end of the program (tests); by default the program ends. F1
    // shows the help's contents, as "Contenido" does.
    explicit MDIFrm(MainProgram& program, MainMenuHooks hooks = {});
    ~MDIFrm() override;

    // The load: the window at the screen's corner, shown, then the program's load. False when
    // the program has to end.
    bool load(const Profile& profile);

    MainMenu& menu() { return menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static MainMenuHooks withDefaults(MainMenuHooks hooks);
    void buildMenus();
    void buildToolbar();
    QAction* entry(QMenu* menu, const char* name, const QString& caption,
                   void (MainMenu::*action)());
    void showStatus();

    MainProgram& program_;
    MainMenu menu_;
    StatusBar* status_ = nullptr;
};

} // namespace ret
