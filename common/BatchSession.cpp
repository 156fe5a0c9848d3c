#include "common/BatchSession.h"

#include "common/Connection.h"

namespace ret {

BatchSession::BatchSession(MessageSink& messages) : messages_(messages), rules_(messages) {
    session_.messages = &messages_;
    session_.rules = &rules_;
    session_.windows = &windows_;
}

bool BatchSession::open(const Profile& profile) {
    session_.config = ReadConfiguration(Deliverable::MainProgram, profile);
    EnterSystemDirectory(session_.config);
    db_ = OpenSharedDatabase(Deliverable::MainProgram, session_.config, profile, messages_);
    session_.db = db_.get();
    return db_ != nullptr;
}

} // namespace ret
