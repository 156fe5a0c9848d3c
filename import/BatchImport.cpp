#include "import/BatchImport.h"

#include "common/BatchSession.h"
#include "common/Connection.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/Windows.h"
#include "declaration/DeclarationStore.h"
#include "declaration/Frm947.h"
#include "declaration/Period.h"
#include "import/ImportErrorReport.h"
#include "import/ImportRun.h"
#include "import/frmTransferencia.h"

#include <QFileInfo>

namespace ret::import {
namespace {

// A declaration not registered yet gets its header as a new one: the contributor, the period,
// modality "01" and rectification "No".
bool fillNewHeader(Frm947& w, const QString& ruc, const QString& period) {
    int contributor = -1;
    for (size_t i = 0; i < w.contributors().size(); ++i) {
        if (w.contributors()[i].ruc() == ruc)
            contributor = int(i);
    }
    if (contributor < 0)
        return false;
    w.chooseContributor(contributor);
    for (size_t i = 0; i < w.modalities().size(); ++i) {
        if (w.modalities()[i].code() == QLatin1String("01"))
            w.chooseModality(int(i));
    }
    w.setPeriodText(periodToText(period));
    w.setRectification(false);
    return true;
}

} // namespace

int runBatchImport(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                   QTextStream& out) {
    const bool save = arguments.contains(QStringLiteral("--save"));
    QStringList args = arguments;
    args.removeAll(QStringLiteral("--save"));
    if (args.size() != 3) {
        out << "usage: retdecl --import DIR RUC PERIOD [--save]\n";
        return 2;
    }
    // the caller's directory, before the program moves to the system directory
    const QString directory =
        args[0].trimmed().isEmpty() ? args[0] : QFileInfo(args[0]).absoluteFilePath();
    const QString ruc = args[1].trimmed();
    const QString period = args[2].trimmed();

    BatchSession batch(messages);
    if (!batch.open(profile))
        return 2;
    Session& session = batch.session();
    Database* db = session.db;

    // the declaration opened as the declaration window opens it
    DeclarationId id;
    id.ruc = ruc;
    id.period = period;
    const bool registered = declarationExists(*db, id);
    session.OperationMode = registered ? 1 : 0;
    session.SentMode = false;
    session.listRow = {ruc, QString(), period.mid(4, 2) + period.left(4)};
    session.program = QStringLiteral("retdecl --import");
    Frm947 declaration(session);
    declaration.markBatchImport();
    declaration.load();
    if (!registered && !fillNewHeader(declaration, ruc, period)) {
        messages.inform(
            MsgIcon::Critical,
            QStringLiteral("El contribuyente %1 no está registrado para el usuario.").arg(ruc),
            Frm947::kCaption);
        return 2;
    }

    session.CurrentRuc = ruc;
    session.CurrentPeriod = period;
    session.RetentionKind = QStringLiteral("R");
    const RunResult r = Transferencia(session, directory);
    if (const std::optional<Message> stopped = stoppedRunMessage(r)) {
        messages.show(*stopped);
        return 2;
    }
    CalcularTot(session);
    declaration.activate(); // the list, its totals and box 401 follow the staged detail

    if (r.rejected > 0) {
        try {
            const QString report =
                composeErrorReport(*db, session.config.reportDirectory, session.config.currentUser,
                                   r.errorFile, ruc, period, messages);
            if (!report.isEmpty())
                out << "Reporte de errores: " << report << '\n';
        } catch (const DbError& e) {
            messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        }
    }
    out << r.accepted << " Transferidos\n" << r.rejected << " Rechazados\n";
    if (save && !declaration.grabar())
        return declaration.lastSaveConflicted() ? kSaveConflict : 2;
    return r.rejected > 0 ? 1 : 0;
}

} // namespace ret::import
