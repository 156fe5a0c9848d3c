#include "tools/retsumm/Summary.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/PrintScript.h"

namespace ret::summary {
namespace {

const QString kWhere =
    QStringLiteral(" WHERE tip_doc_d = ? AND doc_id_d = ? AND periodo = ? AND formulario = ?");

QVariantList keyOf(const CommandRecord& r) {
    return {r.documentType.toInt(), r.documentNumber, queryPeriod(r.period), r.form};
}

QString amountText(const QString& stored) {
    const QString t = stored.trimmed();
    if (t == QLatin1String("0"))
        return t;
    return formatText(t, QStringLiteral("###,###,###,###")).trimmed();
}

std::optional<QString> boxValue(Database& db, const CommandRecord& r, const char* box) {
    const auto v = db.scalar(QStringLiteral("SELECT i_valor FROM DET") + kWhere +
                                 QStringLiteral(" AND casilla = ?"),
                             keyOf(r) + QVariantList{QLatin1String(box)});
    if (!v)
        return std::nullopt;
    return v->toString();
}

QString paramField(Database& db, const QString& numero, const QString& argumento, int pos,
                   int len) {
    const auto f =
        db.scalar(QStringLiteral("SELECT funcion FROM PARAM WHERE numero = ? AND argumento = ?"),
                  {numero, argumento});
    return f ? ParamField(f->toString(), pos, len) : QString();
}

QString displayPeriod(const QString& period) {
    if (period.right(2) == QLatin1String("00"))
        return period.left(4);
    return period.right(2) + QLatin1Char('/') + period.left(4);
}

QString boxShown(const std::optional<QString>& v) {
    if (!v)
        return QStringLiteral(" ").leftJustified(10);
    return formatText(*v, QStringLiteral("###,###,###,##0")).leftJustified(15);
}

QString boxWhole(const std::optional<QString>& v) {
    const Decimal d = v ? Decimal::leadingValue(*v).rounded(0) : Decimal();
    return formatNumber(d, QStringLiteral("###,###,###,##0")).leftJustified(15);
}

} // namespace

QString queryPeriod(const QString& period) {
    return period.right(2) == QLatin1String("00") ? period.left(4) : period;
}

QString headerQueryText(const CommandRecord& r) {
    return QStringLiteral("SELECT * FROM CAB WHERE Tip_doc_d=%1 AND Doc_id_d='%2'  AND "
                          "PERIODO='%3' AND Formulario='%4'")
        .arg(r.documentType.toInt())
        .arg(r.documentNumber, queryPeriod(r.period), r.form);
}

std::optional<SummaryData> readSummary(Database& db, const CommandRecord& r, const QDateTime& now) {
    Cursor cab = db.query(QStringLiteral("SELECT efectivo, cheque, bcolibrad, nrocheque, "
                                         "rectifica FROM CAB") +
                              kWhere,
                          keyOf(r));
    if (!cab.next())
        return std::nullopt;
    SummaryData s;
    const QString type = QString::number(r.documentType.toInt());
    s.abbreviation = paramField(db, QStringLiteral("044"), type, 32, 12);
    if (!db.scalar(QStringLiteral("SELECT 1 FROM PARAM WHERE numero = '044' AND argumento = ?"),
                   {type}))
        s.abbreviation = QStringLiteral("RUC");
    s.number = r.documentNumber;
    const auto name = db.scalar(QStringLiteral("SELECT nombre FROM CONT WHERE tip_doc_d = ? AND "
                                               "doc_id_d = ?"),
                                {r.documentType.toInt(), r.documentNumber});
    s.name = name ? name->toString() : QString();
    s.form = r.form;
    s.period = displayPeriod(r.period);
    const QString cash = cab.text(0).trimmed();
    const QString cheque = cab.text(1).trimmed();
    s.chequeLines = !cheque.isEmpty();
    s.cashLines = !cash.isEmpty() || !s.chequeLines; // neither: the cash lines, no amount
    s.cashAmount = amountText(cash);
    s.chequeAmount = amountText(cheque);
    s.bank = cab.text(2).trimmed();
    s.bankName = paramField(db, QStringLiteral("004"), s.bank, 38, 12);
    s.chequeNumber = cab.text(3).trimmed();
    s.rectifying = Decimal::leadingValue(cab.text(4)) != Decimal();
    s.box405 = boxValue(db, r, "405");
    s.box410 = boxValue(db, r, "410");
    s.sendingNumber = r.further;
    s.now = now;
    return s;
}

void writeReport(ImpLinea& out, const SummaryData& s) {
    for (const char* tag : {"<!font!>Courier New<!/font!>", "<!nHojas!>1<!/nHojas!>",
                            "<!Orientacion!>V<!/Orientacion!>", "<!Color!>&H80000005&<!/Color!>"})
        out.EscribeTexto(0, 0, QLatin1String(tag), false, 8, 0);
    out.EscribeTexto(300, 350, s.now.toString(QStringLiteral("dd/MM/yyyy")), true, 10, 0);
    out.EscribeTexto(300, 600, s.now.toString(QStringLiteral("hh:mm:ss")), true, 10, 0);
    out.EscribeTexto(4000, 850, QString::fromUtf8("RESUMEN DE ENVÍO - FORMULARIO  0947"), true, 10,
                     0);
    const auto line = [&](int y, const QString& text, int x = 300) {
        out.EscribeTexto(x, y, text, false, 10, 0);
    };
    line(1500,
         QStringLiteral("DOCUMENTO       : ") + s.abbreviation + QStringLiteral("  ") + s.number);
    line(1750, QStringLiteral("RAZON SOCIAL    : ") + s.name);
    line(2000, QStringLiteral("FORMULARIO      : ") + s.form +
                   QStringLiteral("-Velkar AGENTES DE RETENCION  "));
    line(2250, QStringLiteral("PERIODO         : ") + s.period);
    if (s.cashLines) {
        line(2500, QStringLiteral("FORMA DE PAGO   : EFECTIVO"));
        line(2750, QStringLiteral("IMPORTE A PAGAR : S/. ") + s.cashAmount);
    }
    if (s.chequeLines) {
        line(2500, QStringLiteral("FORMA DE PAGO   : CHEQUE"));
        line(2750,
             QStringLiteral("BANCO           : ") + s.bank + QStringLiteral(" - ") + s.bankName);
        line(3000, QStringLiteral("NUMERO CHEQUE   : ") + s.chequeNumber);
        line(3250, QStringLiteral("IMPORTE A PAGAR : S/. ") + s.chequeAmount);
    }
    line(3500, s.rectifying ? QStringLiteral("RECTIFICATORIA  : SI")
                            : QStringLiteral("RECTIFICATORIA  : NO"));
    line(3750, QStringLiteral("TRIBUTO           TOTAL DEUDA      MONTO PAGO"));
    line(4000, QStringLiteral("Retenciones"));
    line(4000, boxShown(s.box405), 2000);
    line(4000, boxShown(s.box410), 3900);
    line(4500, QStringLiteral("TOTAL"));
    line(4500, boxWhole(s.box405), 2000);
    line(4500, boxWhole(s.box410), 3900);
    line(4750, QStringLiteral("NC ") + s.sendingNumber + QString::fromUtf8("  Fec.Generación: ") +
                   s.now.toString(QStringLiteral("dd/MM/yyyy")));
}

QStringList plainLines(const SummaryData& s) {
    QStringList l;
    l << QStringLiteral("DOCUMENTO      : ") + s.abbreviation + QStringLiteral("  ") + s.number;
    l << QStringLiteral("RAZON SOCIAL   : ") + s.name;
    l << QStringLiteral("FORMULARIO     : ") + s.form +
             QStringLiteral("-Velkar AGENTES DE RETENCION");
    l << QStringLiteral("PERIODO        : ") + s.period;
    if (s.cashLines) {
        l << QStringLiteral("FORMA DE PAGO  : EFECTIVO");
        l << QStringLiteral("IMPORTE A PAGAR: S/. ") + s.cashAmount;
    }
    if (s.chequeLines) {
        l << QStringLiteral("FORMA DE PAGO  : CHEQUE");
        l << QStringLiteral("BANCO          : ") + s.bank + QStringLiteral(" - ") + s.bankName;
        l << QStringLiteral("NUMERO CHEQUE  : ") + s.chequeNumber;
        l << QStringLiteral("IMPORTE A PAGAR: S/. ") + s.chequeAmount;
    }
    l << (s.rectifying ? QStringLiteral("RECTIFICATORIA : SI")
                       : QStringLiteral("RECTIFICATORIA : NO"));
    l << QStringLiteral(" ");
    l << QStringLiteral("NC ") + s.sendingNumber + QString::fromUtf8("  Fec.Generación: ") +
             s.now.toString(QStringLiteral("dd/MM/yyyy"));
    return l;
}

} // namespace ret::summary
