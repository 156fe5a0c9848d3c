#include "reports/Compose.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/PrintScript.h"
#include "common/ReportRegister.h"
#include "common/WholeFile.h"
#include "reports/AnnexReport.h"
#include "reports/DeclarationReport.h"

#include <QFileInfo>

namespace ret::reports {
namespace {

// A failure of the composition in the old platform's terms: its error number and text.
struct ComposeFailure {
    int number;
    QString description;
};

QString failureMessage(const ComposeFailure& f) {
    switch (f.number) {
    case 482:
        return QStringLiteral("No existe una impresora seleccionada.Verifique.");
    case 20545:
        return QString::fromUtf8("La Impresión ha sido Cancelada.");
    case 380:
        return QString::fromUtf8("No Existe Información a Imprimir.Verifique.");
    case 55: // the file was already open: it is closed without a message
        return QString();
    default:
        return QString::fromUtf8("Error Técnico : (") + QString::number(f.number) +
               QStringLiteral(") ") + f.description;
    }
}

int compose(Database& db, const ComposeSettings& s, QIODevice& file, FieldRules& rules) {
    EstadoReporte state;
    state.nArchivo = &file;
    state.nAncho = 104;
    ImpLinea out(state);
    const ReportInputs in = s.inputs ? *s.inputs : CargarCasillas(db, s.id, s.name);
    if (s.kind == ReportKind::Declaration)
        return ImprimirDeclaracion(db, state, out, in, rules) + 1;

    const int estimate = annexPageEstimate(db, in);
    out.EscribeLinea(QStringLiteral("<!font!>Courier New<!/font!>"));
    out.EscribeLinea(QStringLiteral("<!nHojas!>%1<!/nHojas!>").arg(estimate < 2 ? 1 : estimate));
    out.EscribeLinea(QStringLiteral("<!Orientacion!>H<!/Orientacion!>"));
    out.EscribeLinea(QStringLiteral("<!Color!>&H00FFFFC0&<!/Color!>"));
    return ImprimirAnexos(db, state, out, in, rules, s.now);
}

// The report composed into a scratch file as it goes, so that however many pages it has it
// is never held whole in memory, and its file is still replaced whole: the pages composed and
// the failure that stopped the composition, if one did.
struct Composition {
    int pages = 0;
    std::optional<ComposeFailure> failure;
};

Composition composeInto(ScratchFile& file, Database& db, const ComposeSettings& settings,
                        FieldRules& rules) {
    Composition c;
    if (!file.device().isOpen())
        return c; // nowhere to write: told when the file is to take its place
    try {
        c.pages = compose(db, settings, file.device(), rules);
    } catch (const DbError& e) { // an amount's overflow too: 6, "Desbordamiento"
        c.failure = ComposeFailure{e.number(), e.description()};
    } catch (const ReportOverflow&) {
        c.failure = ComposeFailure{6, QStringLiteral("Desbordamiento")};
    } catch (const std::exception& e) {
        c.failure = ComposeFailure{57, QString::fromLocal8Bit(e.what())};
    }
    return c;
}

void tell(MessageSink& messages, const ComposeFailure& f) {
    const QString text = failureMessage(f);
    if (!text.isEmpty())
        messages.inform(MsgIcon::Critical, text, QString::fromUtf8("Impresión"));
}

ComposeFailure fileFailure(const FileWriteError& e) {
    return {e.number, e.message()};
}

} // namespace

bool GenerarReporte(Database& db, const ComposeSettings& settings, MessageSink& messages,
                    int* pages) {
    FieldRules rules(messages);
    ScratchFile file(QFileInfo(settings.reportPath).absolutePath());
    Composition c = composeInto(file, db, settings, rules);
    if (pages)
        *pages = c.pages;
    // what was composed before a failure is still the report's file
    if (const auto failed = file.commitAs(settings.reportPath); failed && !c.failure)
        c.failure = fileFailure(*failed);
    if (!c.failure)
        return true;
    tell(messages, *c.failure);
    return false;
}

std::optional<RegisteredComposition>
GenerarReporteRegistrado(Database& db, const ComposeSettings& settings, const ReportEntry& entry,
                         const QString& reportDirectory, MessageSink& messages) {
    FieldRules rules(messages);
    ScratchFile file(reportDirectory);
    const Composition c = composeInto(file, db, settings, rules);
    if (c.failure)
        tell(messages, *c.failure);
    // a report that failed part-way is registered with what it holds, as its pages can be seen
    const RegisteredReport r = RegistrarReporte(db, reportDirectory, entry, file);
    if (r.failure) {
        tell(messages, fileFailure(*r.failure));
        return std::nullopt;
    }
    return RegisteredComposition{r.archivo, c.pages, !c.failure};
}

} // namespace ret::reports
