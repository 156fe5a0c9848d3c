#include "app/MainProgram.h"

#include "common/Backup.h"
#include "common/Connection.h"
#include "common/FieldRules.h"
#include "common/Messages.h"

namespace ret {

MainProgram::MainProgram(MessageSink& messages) : rules_(std::make_unique<FieldRules>(messages)) {
    session_.messages = &messages;
    session_.rules = rules_.get();
}

MainProgram::~MainProgram() {
    session_.db = nullptr;
    session_.rules = nullptr;
}

bool MainProgram::passStartChecks(const std::function<bool()>& integratorRunning,
                                  const std::function<bool()>& firstInstance) {
    if (!integratorRunning()) {
        session_.messages->inform(MsgIcon::Critical, kNotFromIntegrator, kNotFromIntegratorTitle);
        return false;
    }
    if (!firstInstance()) {
        session_.messages->inform(MsgIcon::Information, kAlreadyRunning, kAlreadyRunningTitle);
        return false;
    }
    return true;
}

bool MainProgram::load(const Profile& profile) {
    session_.config = ReadConfiguration(Deliverable::MainProgram, profile);
    // relative file names lead to the integrator's directory; when it cannot be entered the
    // connection below reports what is wrong
    EnterSystemDirectory(session_.config);
    db_ =
        OpenSharedDatabase(Deliverable::MainProgram, session_.config, profile, *session_.messages);
    if (!db_)
        return false;
    session_.db = db_.get();
    // the day's backup at the day's first start; one that fails is told and stops nothing
    if (const auto failed = dailyBackup(*db_, session_.config, QDateTime::currentDateTime()))
        session_.messages->inform(MsgIcon::Exclamation, *failed, kBackupTitle);
    // the help file is derived with the configuration (0947/retdecl.hlp)
    session_.setStatus({QString(), QString(), session_.formulario, QString()});
    return true;
}

void MainProgram::closeDatabase() {
    session_.db = nullptr;
    db_.reset();
}

void MainProgram::releaseFieldRules() {
    session_.rules = nullptr;
    rules_.reset();
}

} // namespace ret
