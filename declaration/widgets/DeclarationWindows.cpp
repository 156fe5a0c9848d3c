#include "declaration/widgets/DeclarationWindows.h"

#include "common/Session.h"
#include "common/widgets/WidgetWindows.h"
#include "declaration/widgets/Frm947Dialog.h"
#include "declaration/widgets/FrmConsistDialog.h"
#include "declaration/widgets/FrmHistorialDialog.h"

namespace ret {

void registerDeclarationWindows(WidgetWindows& windows, Session& session) {
    Session* s = &session;
    windows.registerWindow(Window::Frm947, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Frm947Dialog>(*s, parent);
    });
    windows.registerWindow(Window::FrmConsist, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<FrmConsistDialog>(s->Inconsistencies, parent);
    });
    windows.registerWindow(Window::FrmHistorial, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<FrmHistorialDialog>(s->History, parent);
    });
}

} // namespace ret
