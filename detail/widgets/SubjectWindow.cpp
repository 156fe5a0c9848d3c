#include "detail/widgets/SubjectWindow.h"

#include "common/Session.h"
#include "common/widgets/WidgetWindows.h"
#include "detail/widgets/FrmAgeRetDialog.h"

namespace ret {

void registerSubjectWindow(WidgetWindows& windows, Session& session) {
    Session* s = &session;
    windows.registerWindow(Window::FrmAgeRet, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<FrmAgeRetDialog>(*s, parent);
    });
}

} // namespace ret
