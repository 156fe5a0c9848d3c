#pragma once

class QWidget;

namespace ret {

class WindowOpener;

// The help topic a window shows on F1. It is read when F1 is pressed, so a window whose topic
// follows what it shows (a tab, a mode) sets it again when that changes.
void setHelpTopic(QWidget* window, int topic);
// The topic set on the window; -1 when none was.
int helpTopicOf(const QWidget* window);

// F1 anywhere in `window` opens its topic through `windows`.
void bindHelpKey(QWidget* window, WindowOpener& windows);

} // namespace ret
