#include "declaration/DeclarationHistory.h"

#include "common/BatchSession.h"
#include "common/Messages.h"
#include "declaration/Period.h"

namespace ret {
namespace {

QString block(const RecordEntry& e) {
    QString text = QStringLiteral("%1  %2 (versión %3)\n")
                       .arg(e.at.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")), e.action)
                       .arg(e.version);
    text += QStringLiteral("    Usuario: %1   Equipo: %2   Programa: %3\n")
                .arg(e.actor.user, e.actor.host, e.actor.program);
    if (e.key.sent())
        text += QStringLiteral("    Copia enviada: %1\n").arg(e.key.correl);
    const auto digest = [](const QString& d) {
        return d.isEmpty() ? QStringLiteral("(nada grabado)") : d;
    };
    text += QStringLiteral("    Filas antes:   %1\n    Filas después: %2\n")
                .arg(digest(e.digestBefore), digest(e.digestAfter));
    return text;
}

} // namespace

QString historyText(const QString& ruc, const QString& period,
                    const std::vector<RecordEntry>& entries) {
    QString text = QString::fromUtf8("Historial de cambios de la declaración del RUC %1, "
                                     "período %2\n\n")
                       .arg(ruc.trimmed(), periodToText(period));
    if (entries.empty())
        return text + QStringLiteral("No hay cambios registrados de esta declaración.\n");
    for (const RecordEntry& e : entries)
        text += block(e) + QLatin1Char('\n');
    return text;
}

int runHistoryCommand(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                      QTextStream& out) {
    if (arguments.size() != 2) {
        out << "uso: retdecl --history RUC PERIODO\n";
        return 2;
    }
    const QString ruc = arguments[0].trimmed();
    const QString period = arguments[1].trimmed();
    BatchSession batch(messages);
    if (!batch.open(profile))
        return 2;
    try {
        // as the lists show it: only a contributor of the profile's user
        if (!batch.db().scalar(QStringLiteral("SELECT 1 FROM CONT WHERE tip_doc_d = 6 AND "
                                              "doc_id_d = ? AND usuario = ?"),
                               {ruc, batch.session().config.currentUser})) {
            messages.inform(
                MsgIcon::Critical,
                QStringLiteral("El contribuyente %1 no está registrado para el usuario.").arg(ruc),
                QStringLiteral("Historial de cambios"));
            return 2;
        }
        out << historyText(ruc, period,
                           declarationHistory(batch.db(), ruc, period, batch.session().formulario));
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        return 2;
    }
    return 0;
}

} // namespace ret
