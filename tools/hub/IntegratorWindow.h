#pragma once

#include <QMainWindow>

#include <functional>
#include <optional>

class QLocalServer;

namespace ret {
class Cursor;
class MessageSink;
} // namespace ret

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
    // One line the user picks among the rows of a query of the shared database; nullopt when
    // there is none (`none` is said), the database fails (its text is said) or the user cancels.
    std::optional<QString> choose(const QString& sql,
                                  const std::function<QString(const Cursor&)>& row,
                                  const QString& none, const QString& label);

    QString declarations_;
    MessageSink& messages_;
    QLocalServer* server_;
};

} // namespace ret::hub
