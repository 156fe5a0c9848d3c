#include "app/widgets/AppWindows.h"

#include "app/widgets/DeclarationListDialog.h"
#include "app/widgets/FrmConsultas.h"
#include "app/widgets/frmAcercade.h"
#include "common/widgets/WidgetWindows.h"

namespace ret {

void registerAppWindows(WidgetWindows& windows, Session& session) {
    WidgetWindows* w = &windows;
    Session* s = &session;
    windows.registerWindow(Window::FrmContAbrir, [w, s](QWidget* parent) {
        return std::make_unique<FrmContAbrir>(*s, w->mainWindow(), parent);
    });
    windows.registerWindow(Window::FrmContAbrirE, [w, s](QWidget* parent) {
        return std::make_unique<FrmContAbrirE>(*s, w->mainWindow(), parent);
    });
    windows.registerWindow(Window::FrmConsultas, [w, s](QWidget* parent) {
        return std::make_unique<FrmConsultas>(*s, w->mainWindow(), parent);
    });
    windows.registerWindow(Window::frmAcercade, [w](QWidget* parent) {
        return std::make_unique<frmAcercade>(w->mainWindow(), parent);
    });
}

} // namespace ret
