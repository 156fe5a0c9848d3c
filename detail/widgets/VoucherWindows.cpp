#include "detail/widgets/VoucherWindows.h"

#include "common/Session.h"
#include "common/widgets/WidgetWindows.h"
#include "detail/widgets/FrmDetAgeRetDialog.h"
#include "detail/widgets/frmRetDetDialog.h"

namespace ret {

void registerVoucherWindows(WidgetWindows& windows, Session& session) {
    Session* s = &session;
    windows.registerWindow(Window::FrmDetAgeRet, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<FrmDetAgeRetDialog>(*s, parent);
    });
    windows.registerWindow(Window::frmRetDet, [s](QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<frmRetDetDialog>(*s, parent);
    });
}

} // namespace ret
