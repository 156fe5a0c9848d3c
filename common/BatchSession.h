#pragma once

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Session.h"
#include "common/Windows.h"

#include <memory>

namespace ret {

class MessageSink;
class Profile;

// The main program's process-wide values for a run without windows (the batch import and the
// batch print): the configuration, the shared database and the field rules, as the windowed
// program has them once started, and no window to open.
class BatchSession {
public:
    explicit BatchSession(MessageSink& messages);
    BatchSession(const BatchSession&) = delete;
    BatchSession& operator=(const BatchSession&) = delete;

    // Reads the configuration and opens the shared database; false (after the connection
    // message) when it cannot be opened.
    bool open(const Profile& profile);

    Session& session() { return session_; }
    Database& db() { return *db_; }

private:
    // A window the batch would open is a fault of its own use: nothing opens.
    class NoWindows final : public WindowOpener {
    public:
        void open(Window) override {}
        void openHelp(int) override {}
    };

    MessageSink& messages_;
    FieldRules rules_;
    NoWindows windows_;
    Session session_;
    std::unique_ptr<Database> db_;
};

} // namespace ret
