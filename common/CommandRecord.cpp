#include "common/CommandRecord.h"

#include "common/Messages.h"

namespace ret {
namespace {

bool allDigits(const QString& s) {
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

std::variant<CommandRecord, RecordProblem> parseRecord(const QString& line) {
    constexpr int kMinimum = 28; // through the week indicator
    if (line.size() < kMinimum)
        return RecordProblem{QStringLiteral("tiene %1 caracteres y debe tener al menos %2")
                                 .arg(line.size())
                                 .arg(kMinimum)};
    CommandRecord r;
    r.documentType = line.mid(0, 2);
    r.documentNumber = line.mid(2, 15).trimmed();
    r.form = line.mid(17, 4);
    r.period = line.mid(21, 6);
    r.week = line.mid(27, 1);
    r.further = line.mid(28, 8);
    if (!allDigits(r.documentType))
        return RecordProblem{
            QStringLiteral("el tipo de documento \"%1\" no es numérico").arg(r.documentType)};
    if (r.documentNumber.isEmpty() || r.documentNumber.contains(QLatin1Char(' ')))
        return RecordProblem{
            QStringLiteral("el número de documento \"%1\" no es válido").arg(line.mid(2, 15))};
    if (!allDigits(r.period))
        return RecordProblem{
            QStringLiteral("el periodo \"%1\" no tiene seis dígitos").arg(r.period)};
    return r;
}

std::optional<CommandRecord> recordFromArguments(const QStringList& arguments,
                                                 MessageSink& messages) {
    const QString title = QString::fromUtf8("Presentación Telemática");
    if (arguments.size() != 1) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("Se espera un solo argumento: el registro de la "
                                          "declaración a enviar."),
                        title);
        return std::nullopt;
    }
    const auto parsed = parseRecord(arguments.front());
    if (const auto* problem = std::get_if<RecordProblem>(&parsed)) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("El registro de la declaración a enviar no es válido: ") +
                            problem->reason + QLatin1Char('.'),
                        title);
        return std::nullopt;
    }
    return std::get<CommandRecord>(parsed);
}

} // namespace ret
