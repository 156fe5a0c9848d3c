#pragma once

namespace ret {

struct Session;
class WidgetWindows;

// Makes the retention subject window available to the program.
void registerSubjectWindow(WidgetWindows& windows, Session& session);

} // namespace ret
