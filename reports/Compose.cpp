#include "Compose.h"

#include "AnnexReport.h"
#include "Database.h"
#include "DeclarationReport.h"
#include "FieldRules.h"
#include "Messages.h"
#include "PrintScript.h"

#include <QFile>

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

int compose(Database& db, const ComposeSettings& s, QFile& file, FieldRules& rules) {
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

} // namespace

bool GenerarReporte(Database& db, const ComposeSettings& settings, MessageSink& messages,
                    int* pages) {
    FieldRules rules(messages);
    QFile file(settings.reportPath);
    std::optional<ComposeFailure> failure;
    int count = 0;
    try {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw ComposeFailure{75, QStringLiteral("Error de acceso a la ruta o el archivo")};
        count = compose(db, settings, file, rules);
        if (!file.flush())
            throw ComposeFailure{57, QStringLiteral("Error de E/S en el dispositivo")};
    } catch (const ComposeFailure& f) {
        failure = f;
    } catch (const DbError& e) { // an amount's overflow too: 6, "Desbordamiento"
        failure = ComposeFailure{e.number(), e.description()};
    } catch (const ReportOverflow&) {
        failure = ComposeFailure{6, QStringLiteral("Desbordamiento")};
    } catch (const std::exception& e) {
        failure = ComposeFailure{57, QString::fromLocal8Bit(e.what())};
    }
    file.close(); // whatever was written stays
    if (pages)
        *pages = count;
    if (!failure)
        return true;
    const QString text = failureMessage(*failure);
    if (!text.isEmpty())
        messages.inform(MsgIcon::Critical, text, QString::fromUtf8("Impresión"));
    return false;
}

} // namespace ret::reports
