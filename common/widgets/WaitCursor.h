#pragma once

#include <QApplication>

namespace ret {

// The hourglass while a window loads or a button works; the normal pointer comes back however
// the work ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void restore() {
        if (active_)
            QApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

} // namespace ret
