#pragma once

#include "common/Messages.h"

#include <deque>
#include <vector>

namespace ret::test {

// Records every message and answers questions from a script (the default answer when the
// script has run out).
class ScriptedMessages final : public MessageSink {
public:
    std::vector<Message> shown;
    std::deque<MsgAnswer> answers;

    MsgAnswer show(const Message& message) override {
        shown.push_back(message);
        if (message.buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return message.defaultAnswer;
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace ret::test
