#pragma once

#include "common/Windows.h"

#include <functional>
#include <map>
#include <vector>

namespace ret::test {

// Records the windows opened and plays what a window would do while it is open.
class FakeWindows final : public WindowOpener {
public:
    std::vector<Window> opened;
    std::map<Window, std::function<void()>> behaviour;

    std::vector<int> helpOpened; // the topics, in order

    void openHelp(int topic) override { helpOpened.push_back(topic); }

    void open(Window w) override {
        opened.push_back(w);
        if (const auto it = behaviour.find(w); it != behaviour.end() && it->second)
            it->second();
    }
};

} // namespace ret::test
