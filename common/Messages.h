#pragma once

#include <QString>

#include <memory>

namespace ret {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct Message {
    MsgIcon icon = MsgIcon::None;
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
};

// Every program shows its messages and asks its questions through this one interface: the
// windowed program shows message boxes, scripts get one line per message on standard error,
// and tests answer with a scripted fake.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer show(const Message& message) = 0;

    void inform(MsgIcon icon, const QString& text, const QString& title) {
        show({icon, text, title, MsgButtons::Ok, MsgAnswer::Ok});
    }
    // A Yes/No question; the default answer is what Enter (or a headless run) takes.
    bool askYesNo(MsgIcon icon, const QString& text, const QString& title, MsgAnswer dflt) {
        return show({icon, text, title, MsgButtons::YesNo, dflt}) == MsgAnswer::Yes;
    }
};

// Writes "[title] text" as one line on standard error (line breaks inside the text become
// blanks) and answers with the default.
class HeadlessMessages final : public MessageSink {
public:
    MsgAnswer show(const Message& message) override;
};

// True when RET_HEADLESS=1, or when there is no display to show a message box on.
bool headlessRequested();

} // namespace ret
