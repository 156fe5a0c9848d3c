#include "import/frmTransferencia.h"

#include "common/Database.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "import/ImportErrorReport.h"

namespace ret::import {

std::optional<Message> stoppedRunMessage(const RunResult& run) {
    const auto critical = [](const QString& text, const QString& title) {
        return Message{MsgIcon::Critical, text, title};
    };
    switch (run.outcome) {
    case Outcome::NoDirectory:
        return Message{MsgIcon::Information,
                       QStringLiteral("Seleccionar directorio donde se encuentran\nlos archivos a "
                                      "transferir"),
                       QStringLiteral("Mensaje")};
    case Outcome::FileMissing:
        return critical(QStringLiteral("En la ruta indicada, no se encuentra el archivo a "
                                       "transferir, verifique la ruta"),
                        QStringLiteral("Error"));
    case Outcome::WrongFieldCount:
        return critical(
            QStringLiteral("El archivo de importación no tiene el número de campos correctos"),
            frmTransferencia::kCaption);
    case Outcome::Unterminated:
        return critical(QStringLiteral("Cada línea del archivo debe terminar con el separador |"),
                        QStringLiteral("Error en archivo a cargar"));
    case Outcome::Failed:
        return critical(QStringLiteral("Error Tecnico: ") + run.failure, QStringLiteral("Error"));
    case Outcome::Aborted:
    case Outcome::Done:
        break;
    }
    return std::nullopt;
}

QString frmTransferencia::transferidos() const {
    if (!ran_)
        return QStringLiteral("0          Registros Transferidos");
    return QString::number(last_.accepted) + QStringLiteral(" Transferidos");
}

QString frmTransferencia::rechazados() const {
    if (!ran_)
        return QStringLiteral("0          Registros Rechazados");
    return QString::number(last_.rejected) + QStringLiteral(" Rechazados");
}

void frmTransferencia::aceptar(const std::function<bool(int, int)>& progress) {
    MessageSink& m = *session_.messages;
    abort_ = false;
    running_ = true;
    reportToShow_.clear();
    last_ = Transferencia(session_, directory_, [&](int done, int total) {
        if (progress && !progress(done, total))
            abort_ = true;
        return !abort_;
    });
    running_ = false;
    if (const std::optional<Message> stopped = stoppedRunMessage(last_)) {
        // a file refused for its field count puts the counters back to their first captions
        if (last_.outcome == Outcome::WrongFieldCount)
            ran_ = false;
        m.show(*stopped);
        return;
    }
    ran_ = true;
    try {
        CalcularTot(session_);
    } catch (const DbError& e) {
        m.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
    if (last_.outcome == Outcome::Aborted)
        return;
    if (last_.rejected == 0) {
        m.inform(MsgIcon::Information,
                 QStringLiteral("Archivo : ") + last_.importFile + QStringLiteral(" transferido"),
                 QStringLiteral("Mensaje"));
        return;
    }
    const bool show =
        m.askYesNo(MsgIcon::Question,
                   QStringLiteral("Algunos registros han sido rechazados!!\nVerifique "
                                  "Archivo Log: ") +
                       last_.logFile + QStringLiteral("\n¿Desea Visualizar Reporte de errores?"),
                   QStringLiteral("Confirmar"), MsgAnswer::No);
    try {
        const QString report = composeErrorReport(
            *session_.db, session_.config.reportDirectory, session_.config.currentUser,
            last_.errorFile, session_.CurrentRuc.trimmed(), session_.CurrentPeriod, m);
        if (show)
            reportToShow_ = report;
    } catch (const DbError& e) {
        m.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
}

} // namespace ret::import
