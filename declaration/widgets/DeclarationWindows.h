#pragma once

namespace ret {

struct Session;
class WidgetWindows;

// Makes the declaration window and the inconsistencies window available to the program.
void registerDeclarationWindows(WidgetWindows& windows, Session& session);

} // namespace ret
