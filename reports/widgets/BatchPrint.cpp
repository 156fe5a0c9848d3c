#include "reports/widgets/BatchPrint.h"

#include "common/BatchSession.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/Windows.h"
#include "reports/ReportScreens.h"
#include "reports/frmImprimir.h"
#include "reports/widgets/ReportPrinting.h"

#include <QFileInfo>

namespace ret::reports {
namespace {

const QString kUsage = QStringLiteral(
    "usage: retdecl --print RUC PERIOD declaracion|anexos [--correl C] [--pdf FILE]\n");

struct PrintRequest {
    QString ruc;
    QString period;
    frmImprimir::Option option = frmImprimir::Declaracion;
    QString correl;
    QString pdf;
};

std::optional<PrintRequest> readRequest(QStringList args) {
    PrintRequest r;
    const auto takeOption = [&args](const QString& name, QString& value) {
        const qsizetype at = args.indexOf(name);
        if (at < 0)
            return true;
        if (at + 1 >= args.size())
            return false;
        value = args[at + 1];
        args.remove(at, 2);
        return !value.isEmpty();
    };
    if (!takeOption(QStringLiteral("--correl"), r.correl) ||
        !takeOption(QStringLiteral("--pdf"), r.pdf) || args.size() != 3)
        return std::nullopt;
    // the caller's directory, before the program moves to the system directory
    if (!r.pdf.isEmpty())
        r.pdf = QFileInfo(r.pdf).absoluteFilePath();
    r.ruc = args[0].trimmed();
    r.period = args[1].trimmed();
    const QString kind = args[2].trimmed().toLower();
    if (kind == QLatin1String("declaracion"))
        r.option = frmImprimir::Declaracion;
    else if (kind == QLatin1String("anexos"))
        r.option = frmImprimir::Anexos;
    else
        return std::nullopt;
    return r;
}

// The batch opens no window: the report goes straight to the printer or the PDF file.
class BatchScreens final : public ReportScreens {
public:
    BatchScreens(Session& session, QString pdf) : session_(session), pdf_(std::move(pdf)) {}

    void chooseRange(frmImpxPag&) override {}
    void preview(const QString&, const RangoPaginas&) override {}
    bool print(const QString& fileName) override {
        if (pdf_.isEmpty())
            return VerReporte(session_, fileName, QStringLiteral("xx"));
        return printReportToPdf(reportFilePath(session_.config.reportDirectory, fileName), pdf_,
                                *session_.rules, *session_.messages) == PrintResult::Printed;
    }

private:
    Session& session_;
    QString pdf_;
};

} // namespace

int runBatchPrint(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                  QTextStream& out) {
    const std::optional<PrintRequest> request = readRequest(arguments);
    if (!request) {
        out << kUsage;
        return 2;
    }
    BatchSession batch(messages);
    if (!batch.open(profile))
        return 2;
    Session& session = batch.session();
    session.SentMode = !request->correl.isEmpty();

    BatchScreens screens(session, request->pdf);
    frmImprimir list(session, screens);
    list.load();
    if (!list.selectDeclaration(request->ruc, request->period, request->correl)) {
        messages.inform(
            MsgIcon::Critical,
            QStringLiteral("La declaración %1 del periodo %2 no está en la lista de "
                           "declaraciones %3 del usuario.")
                .arg(request->ruc, request->period,
                     session.SentMode ? QStringLiteral("enviadas") : QStringLiteral("registradas")),
            list.caption().trimmed());
        return 2;
    }
    list.setOption(request->option);
    const bool printed = list.imprimir();
    if (list.lastReport().isEmpty())
        return 2; // refused before anything was registered (an annex without box 501)
    out << "Reporte: " << reportFilePath(session.config.reportDirectory, list.lastReport()) << '\n';
    if (printed && !request->pdf.isEmpty())
        out << "PDF: " << request->pdf << '\n';
    return printed && list.lastComposed() ? 0 : 1;
}

} // namespace ret::reports
