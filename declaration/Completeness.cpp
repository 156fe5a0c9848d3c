#include "declaration/Completeness.h"

#include "common/Decimal.h"
#include "common/NumberFormat.h"

namespace ret {
namespace {

bool blank(const QString& s) {
    return s.trimmed().isEmpty();
}

} // namespace

QStringList inconsistencies(const Completeness& c, bool trimCheckNumber) {
    QStringList lines;
    if (!blank(c.box405) && blank(c.box410) && !blank(c.box401))
        lines << QStringLiteral("Debe consignar el importe a pagar en Retenciones.");
    if (blank(c.box405) && blank(c.box410))
        lines << QStringLiteral("Debe consignar importe a pagar en Retenciones.");
    const PaymentForm& p = c.payment;
    if (p.formapago != QLatin1String("E") && p.formapago != QLatin1String("C"))
        lines << QStringLiteral("Indique la forma de pago.");
    const bool cheque = p.formapago == QLatin1String("C");
    const QString bank = p.banco.trimmed();
    const bool noBank = bank.isEmpty() || bank == QLatin1String("XX");
    if (cheque && noBank)
        lines << QStringLiteral("Seleccione el banco.");
    const QString number = trimCheckNumber ? p.numcheque.trimmed() : p.numcheque;
    if (cheque && !noBank && number.isEmpty())
        lines << QStringLiteral("Ingrese el número de cheque.");
    const auto value = Decimal::parseNumericText(p.numcheque);
    if (cheque && value && value->isZero())
        lines << QStringLiteral("Ingrese un número de cheque diferente de '0'.");
    return lines;
}

QStringList amountMessages(const QString& box405, const QString& box410) {
    const Decimal debt = readNumber(box405, QStringLiteral("###########0"));
    const Decimal pay = readNumber(box410, QStringLiteral("############"));
    QStringList out;
    if (!blank(box405) && pay > debt && (!debt.isNegative() || !pay.isZero()))
        out << QStringLiteral("El importe a pagar es mayor que el saldo definitivo a pagar.") +
                   QStringLiteral(" Se le generará un pago en exceso de Retenciones");
    if (!blank(box405) && !blank(box410) && pay < debt)
        out << QStringLiteral("El importe a pagar es menor que el saldo definitivo a pagar en "
                              "Retenciones") +
                   QStringLiteral(". La KORVA emitirá una Orden de Pago");
    return out;
}

} // namespace ret
