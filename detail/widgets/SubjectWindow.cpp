#include "SubjectWindow.h"

#include "FrmAgeRetDialog.h"
#include "Session.h"
#include "WidgetWindows.h"

namespace ret {

void registerSubjectWindow(WidgetWindows& windows, Session& session) {
    Session* s = &session;
    windows.registerWindow(Window::FrmAgeRet, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<FrmAgeRetDialog>(*s, parent);
    });
}

} // namespace ret
