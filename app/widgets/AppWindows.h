#pragma once

namespace ret {

struct Session;
class WidgetWindows;

// The windows of the main program's own: the two declaration lists, the banks query and About.
void registerAppWindows(WidgetWindows& windows, Session& session);

} // namespace ret
