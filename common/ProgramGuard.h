#pragma once

#include <functional>

namespace ret {

class MessageSink;

// Runs a program's work. An error that escapes it is shown the way a window shows an
// unexpected error (a Spanish description, a line feed, its number; title "Error") and the
// program ends with `failure` instead of aborting; the work's transactions are undone as the
// error leaves them.
int runGuarded(MessageSink& messages, int failure, const std::function<int()>& work);

// Keeps the toolkit's own diagnostics (in English, for developers) off the user's terminal;
// RET_TOOLKIT_LOG=1 lets them through. Fatal ones still end the program as before.
void silenceToolkitLog();

} // namespace ret
