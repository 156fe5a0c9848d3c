#pragma once

#include <QString>

namespace ret {

// The module runs only from the integrator: its main window, titled "Velkar", must be visible.
// On this platform the integrator publishes that window's presence as a per-user local socket
// named after the exact title, listening only while the window is shown.

// The socket name for a window title (the title is encoded whole, so "Velkar " is another name).
QString presenceName(const QString& title);

// True when a visible top-level window with exactly this title is present.
bool CorreApp(const QString& title);

} // namespace ret
