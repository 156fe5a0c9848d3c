#pragma once

#include <QMainWindow>

class QLocalServer;

namespace ret {
class MessageSink;
}

namespace ret::hub {

// The integrator's main window. While it is visible it publishes its presence under its title
// (see IntegratorPresence.h), which is how the module knows it was started from the integrator.
class IntegratorWindow final : public QMainWindow {
    Q_OBJECT
public:
    // `declarations` is the module's windowed program, started by the window's one button.
    IntegratorWindow(const QString& title, QString declarations, MessageSink& messages,
                     QWidget* parent = nullptr);

    bool publishing() const;
    // What the window's button does: starts the module's windowed program.
    void startDeclarations();
    // The integrator's sending of a registered declaration the user picks.
    void sendDeclaration();
    // Opens a report of the register the user picks (the newest first) in the module's viewer.
    void viewRegisteredReport();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void publish();
    void withdraw();
    void openInViewer(const QString& report);

    QString declarations_;
    MessageSink& messages_;
    QLocalServer* server_;
};

} // namespace ret::hub
