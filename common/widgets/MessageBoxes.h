#pragma once

#include "Messages.h"

#include <QCoreApplication>

#include <memory>

namespace ret {

// Real message boxes, for programs that have a display.
class MessageBoxes final : public MessageSink {
public:
    MsgAnswer show(const Message& message) override;
};

// What a program needs before anything else: its application object and where its messages
// go. Without a display, or with RET_HEADLESS=1, the program runs headless: a core application
// and one line on standard error per message.
struct ProgramStart {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<MessageSink> messages;
    bool headless = true;
};

ProgramStart startProgram(int& argc, char** argv);

} // namespace ret
