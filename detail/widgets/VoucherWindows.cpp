#include "VoucherWindows.h"

#include "FrmDetAgeRetDialog.h"
#include "Session.h"
#include "WidgetWindows.h"
#include "frmRetDetDialog.h"

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
