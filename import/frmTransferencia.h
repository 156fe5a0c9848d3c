#pragma once

#include "common/Messages.h"
#include "import/ImportRun.h"

#include <QString>

#include <functional>
#include <optional>

namespace ret {
struct Session;
}

namespace ret::import {

// The import window: the directory chosen, the run and what it tells the user afterwards. The
// widget shows its state and its progress.
class frmTransferencia {
public:
    static inline const QString kCaption = QStringLiteral("Importar");

    explicit frmTransferencia(Session& session) : session_(session) {}

    const QString& directory() const { return directory_; }
    void setDirectory(const QString& d) { directory_ = d; }

    // "&Aceptar": the run, the subject totals and the closing messages (the error report is
    // composed whenever lines were refused). `progress` as Transferencia's.
    void aceptar(const std::function<bool(int done, int total)>& progress = {});
    // "&Salir": stops a run in progress after the line in hand.
    void salir() { abort_ = true; }
    bool aborting() const { return abort_; }

    bool running() const { return running_; }
    QString transferidos() const;
    QString rechazados() const;
    // The error report composed by the last run, when the user asked to see it.
    const QString& reportToShow() const { return reportToShow_; }

private:
    Session& session_;
    QString directory_;
    bool running_ = false;
    bool abort_ = false;
    bool ran_ = false;
    RunResult last_;
    QString reportToShow_;
};

// What the import window tells of a run that stopped before its lines were read, with the
// window's icons and titles (the batch import says the same); nullopt for a run that read its
// lines (done or stopped by the user).
std::optional<Message> stoppedRunMessage(const RunResult& run);

} // namespace ret::import
