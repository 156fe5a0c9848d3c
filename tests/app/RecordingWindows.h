#pragma once

#include "common/Session.h"
#include "common/Windows.h"

#include <functional>
#include <map>
#include <vector>

namespace ret::test {

// What the session looked like when a window was opened.
struct Opening {
    Window window;
    int operationMode;
    bool sentMode;
    QString queryKind;
};

// Records every opening and plays, when given, what the opened window does before it closes.
class RecordingWindows final : public WindowOpener {
public:
    explicit RecordingWindows(const Session& session) : session_(session) {}

    std::vector<Opening> opened;
    std::map<Window, std::function<void()>> play;

    std::vector<int> helpOpened; // the topics, in order

    void openHelp(int topic) override { helpOpened.push_back(topic); }

    void open(Window window) override {
        opened.push_back({window, session_.OperationMode, session_.SentMode, session_.QueryKind});
        if (const auto found = play.find(window); found != play.end())
            found->second();
    }

private:
    const Session& session_;
};

} // namespace ret::test
