#pragma once

#include "common/Windows.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QDialog;
class QWidget;

namespace ret {

class MessageSink;

// Opens the program's real windows: each opening creates a fresh instance, shows it modally
// over the window that is active, and discards it when it closes.
class WidgetWindows final : public WindowOpener {
public:
    using Factory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;

    explicit WidgetWindows(MessageSink& messages) : messages_(messages) {}

    void registerWindow(Window window, Factory factory);
    bool isRegistered(Window window) const { return factories_.count(window) != 0; }

    // The main window: the windows centre themselves over it.
    void setMainWindow(QWidget* main) { main_ = main; }
    QWidget* mainWindow() const { return main_; }

    // Where the help's pages are, asked when the help opens (the configuration is read after
    // the windows are set up).
    void setHelpFolder(std::function<QString()> folder) { helpFolder_ = std::move(folder); }

    // Each window opens with F1 bound to its help topic.
    void open(Window window) override;
    // The help window, modal over the window that is active; the folder missing, a message.
    void openHelp(int topic) override;

private:
    QWidget* activeWindow() const;

    MessageSink& messages_;
    std::map<Window, Factory> factories_;
    QPointer<QWidget> main_;
    std::function<QString()> helpFolder_;
};

// A window's caption, as the title of what is said about it.
QString windowTitle(Window window);

inline const QString kWindowNotAvailable =
    QStringLiteral("Esta ventana no está disponible en esta versión del módulo.");

} // namespace ret
