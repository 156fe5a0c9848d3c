#pragma once

namespace ret {

struct Session;
class WidgetWindows;

// Makes the retention voucher window and the payment voucher window available to the program.
void registerVoucherWindows(WidgetWindows& windows, Session& session);

} // namespace ret
