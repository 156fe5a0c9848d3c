#pragma once

#include "common/Messages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>

#include <memory>

class QWidget;

namespace ret {

// Real message boxes, for programs that have a display. A box sits centred over the window it
// speaks for: the modal window in front, else the active one, else the window the last box
// spoke for (between two boxes no window may be active yet).
class MessageBoxes final : public MessageSink {
public:
    MsgAnswer show(const Message& message) override;

private:
    QWidget* ownerWindow();

    QPointer<QWidget> lastOwner_;
};

// Qt's own Spanish texts for its standard buttons and dialogs ("Aceptar", "Sí", "No",
// "Cancelar"), from the translations installed with Qt; they hold while the returned
// translator lives. Null when the translation is not installed.
std::unique_ptr<QTranslator> installSpanishTexts();

// What a program needs before anything else: its application object and where its messages
// go. Without a display, or with RET_HEADLESS=1, the program runs headless: a core application
// and one line on standard error per message.
struct ProgramStart {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<QTranslator> texts; // windowed programs only
    std::unique_ptr<MessageSink> messages;
    bool headless = true;
};

ProgramStart startProgram(int& argc, char** argv);

} // namespace ret
