#include "reports/DeclarationReport.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/PrintScript.h"

namespace ret::reports {
namespace {

const QString kAmount = QStringLiteral("###,###,###,##0.00");
const QString kTotal = QStringLiteral("##,###,###,###,##0");
const QString kBox = QStringLiteral("###,###,###,##0;(###,###,###,##0)");

const QString kHeaderWhere =
    QStringLiteral(" WHERE doc_id_d = ? AND tip_doc_d = 6 AND periodo = ? AND formulario = ?");

QString historyPrefix(const DeclarationId& id) {
    return id.sent ? QStringLiteral("H") : QString();
}

QVariantList headerParams(const DeclarationId& id) {
    QVariantList p{id.ruc.trimmed(), id.period, id.form};
    if (id.sent)
        p << id.correl;
    return p;
}

QString bankName(Database& db, const QString& code) {
    const auto f = db.scalar(
        QStringLiteral("SELECT funcion FROM PARAM WHERE numero = '004' AND trim(argumento) = ?"),
        {code.trimmed()});
    return f ? ParamField(f->toString(), 1, 36) : QString();
}

// Writes the printout page by page; the form header is the same on every page.
class DeclarationComposer {
public:
    DeclarationComposer(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                        const FieldRules& rules)
        : db_(db), state_(state), out_(out), in_(in), rules_(rules),
          pages_(int(std::max(0LL, in.boxNumber(501)) / 20 + 1)) {}

    int run() {
        y_ = 1700;
        page_ = 0;
        state_.nHoja = 1;
        out_.EscribeLinea(QStringLiteral("<!font!>Courier New<!/font!>"));
        out_.EscribeLinea(QStringLiteral("<!nHojas!>%1<!/nHojas!>").arg(pages_));
        out_.EscribeLinea(QStringLiteral("<!Orientacion!>V<!/Orientacion!>"));
        out_.EscribeLinea(QStringLiteral("<!Color!>&H00FFFFC0&<!/Color!>"));
        formHeader();
        const bool list = in_.boxNumber(501) > 0;
        if (list)
            subjectList();
        if (y_ > 11000) {
            newPage();
            y_ = 1700;
        }
        determination(!list || y_ <= 1700 ? 2300 : y_ + 600);
        return page_;
    }

private:
    void text(int x, int y, const QString& t, bool bold = false, int size = 8) {
        out_.EscribeTexto(x, y, t, bold, size, page_);
    }
    void box(int x1, int y1, int x2, int y2) { out_.EscribeCuadro(x1, y1, x2, y2, page_); }

    void newPage() {
        ++page_;
        ++state_.nHoja;
        out_.EscribeTexto(0, 0, QStringLiteral("pNuevaHoja"), false, 8, page_);
        formHeader();
    }

    void formHeader() {
        text(380, 350, QStringLiteral("KORVA"), true, 16);
        text(360, 750, QStringLiteral("DECLARACION"));
        text(610, 1100, QStringLiteral("PAGO"));
        text(600, 1330, QStringLiteral("947"), true, 12);
        box(150, 300, 1700, 1640);
        text(4000, 420, QStringLiteral("AGENTES DE RETENCION"), true, 9);
        text(2650, 650, QStringLiteral(" "), false, 7);
        box(1700, 300, 8500, 1100);
        text(1750, 1170, QStringLiteral("RUC"));
        text(3500, 1170, in_.id.ruc, true);
        box(1700, 1100, 3400, 1370);
        box(3400, 1100, 8500, 1370);
        text(1750, 1450, QStringLiteral("RAZON SOCIAL"));
        text(3500, 1450, in_.name.left(32), true);
        box(1700, 1370, 3400, 1640);
        box(3400, 1370, 8500, 1640);
        box(6860, 1370, 7700, 1640);
        text(6910, 1450, QStringLiteral("PERIODO"));
        const QString p = in_.id.period;
        text(7740, 1450, p.right(2) + QLatin1Char('/') + p.left(4), true);
        text(9080, 400, QStringLiteral("Copia para el"));
        text(8750, 700, QStringLiteral("Contribuyente (%1/%2)").arg(page_ + 1).arg(pages_), false,
             9);
        box(8500, 300, 11000, 1100);
        box(8500, 1100, 11000, 1640);
        if (in_.orderNumber.trimmed().isEmpty())
            return;
        box(150, 1640, 2650, 1910);
        text(300, 1720, QStringLiteral("NRO. CONTROL: "));
        text(1800, 1720, rules_.PadLeftWith(in_.controlNumber.trimmed(), 8, u' '), true);
        box(8500, 1640, 11000, 1910);
        text(8620, 1720, QStringLiteral("NRO. ORDEN: "));
        text(9800, 1720, rules_.PadLeftWith(in_.orderNumber.trimmed(), 10, u' '), true);
    }

    void subjectList() {
        const int y0 = y_;
        box(180, y0 + 540, 11000, y0 + 810);
        text(370, y0 + 540,
             QStringLiteral("RETENCIONES - ") + modalityTitle(db_, in_.box(500).trimmed()), true,
             9);
        box(180, y0 + 810, 11000, y0 + 1350);
        box(180, y0 + 810, 1800, y0 + 1350);
        box(6800, y0 + 810, 9000, y0 + 1350);
        text(700, y0 + 840, QStringLiteral("RUC "), true, 9);
        text(2500, y0 + 840, QStringLiteral("NOMBRE O RAZON SOCIAL"), true, 9);
        text(7000, y0 + 840, QStringLiteral("BASE IMPONIBLE"), true, 9);
        text(9440, y0 + 840, QString::fromUtf8("RETENCIÓN"), true, 9);
        y_ = y0 + 1080;

        Cursor c = db_.query(
            QStringLiteral("SELECT num_doc_ret, des_razon, des_apellido_p, des_apellido_m, "
                           "des_nombres, mto_base_rp, mto_imp_rp FROM %1")
                    .arg(subjectTable(in_.id)) +
                detailWhere(in_.id) +
                QStringLiteral(" AND tip_retencion = 'R' ORDER BY num_doc_ret"),
            detailParams(in_.id));
        Decimal base;
        Decimal retention;
        int row = 1;
        while (c.next()) {
            y_ += 270;
            box(180, y_, 11000, y_ + 270);
            box(1800, y_, 6800, y_ + 270);
            box(6800, y_, 9000, y_ + 270);
            text(300, y_ + 50, rules_.PadRightWith(c.text(0).trimmed(), 15, u' '));
            text(1900, y_ + 50, subjectName(c));
            text(7000, y_ + 50, rules_.PadLeft(formatText(c.text(5), kAmount), 18));
            text(9070, y_ + 50, rules_.PadLeft(formatText(c.text(6), kAmount), 18));
            base += Decimal::leadingValue(c.text(5));
            retention += Decimal::leadingValue(c.text(6));
            // 19 rows fill a page: the counter wraps when it reaches 20
            if (++row == 20) {
                row = 1;
                newPage();
                y_ = 1700;
            }
        }
        y_ += 270;
        box(180, y_, 11000, y_ + 270);
        box(6800, y_, 9000, y_ + 270);
        text(6200, y_ + 50, QStringLiteral("TOTAL"));
        text(7000, y_ + 50, rules_.PadLeft(formatNumber(base, kTotal), 18));
        text(9070, y_ + 50, rules_.PadLeft(formatNumber(retention, kTotal), 18));
    }

    QString boxValue(int number) const {
        const QString v = in_.box(number);
        const int width = Decimal::leadingValue(v).isNegative() ? 17 : 16;
        return rules_.PadLeft(formatText(v, kBox), width);
    }

    void determination(int Y) {
        box(180, Y, 11000, Y + 540);
        for (int r = 2; r <= 11; ++r) {
            const int yr = Y + 270 * r;
            box(180, yr, 11000, yr + 270);
            box(8775, yr, 9175, yr + 270);
            if (r == 8 || r == 9)
                box(6550, yr, 6950, yr + 270);
        }
        box(180, Y, 180, Y + 540);
        box(8780, Y, 11000, Y + 540);
        text(300, Y + 300, QStringLiteral("DETERMINACION DE LA DEUDA TRIBUTARIA"), true, 9);
        text(9300, Y + 30, QString::fromUtf8("RETENCIÓN"));

        struct Row {
            int dy;
            const char* label;
            int code;
            bool bold;
        };
        static const Row rows[] = {
            {590, "RETENCIONES EFECTUADAS", 401, false},
            {860, "Pagos previos(Efectivo,cheque. o doc.val)", 402, false},
            {1130, "RETENCION A PAGAR", 403, false},
            {1400, "Interés moratorio", 404, false},
            {1670, "TOTAL DEUDA TRIBUTARIA", 405, false},
            {1940, "IMPORTE A PAGAR", 410, true},
        };
        for (const Row& r : rows) {
            text(270, Y + r.dy, QString::fromUtf8(r.label), r.bold);
            text(8825, Y + r.dy, QString::number(r.code));
            text(9220, Y + r.dy, boxValue(r.code), r.bold);
        }

        const QString mark = QStringLiteral(" X ");
        int y = Y + 2210;
        text(270, y, QStringLiteral("RECTIFICA"));
        text(7000, y, QStringLiteral("SI"));
        text(9250, y, QStringLiteral("NO"));
        text(in_.boxNumber(871) > 0 ? 6600 : 8825, y, mark);

        y = Y + 2480;
        text(270, y, QStringLiteral("FORMA DE PAGO"));
        text(7000, y, QStringLiteral("EFECTIVO"));
        text(9250, y, QStringLiteral("CHEQUE"));
        if (!in_.efectivo.isEmpty()) {
            text(6600, y, mark);
            return;
        }
        const QString cheque = rules_.PadLeftWith(in_.cheque, 14, u' ');
        const bool byCheque = !cheque.trimmed().isEmpty();
        if (byCheque)
            text(8825, y, mark);
        y = Y + 2750;
        text(270, y, QStringLiteral("NRO. DE CHEQUE"));
        text(9380, y, cheque);
        y = Y + 3020;
        text(270, y, QStringLiteral("CODIGO DE BANCO"));
        if (byCheque)
            text(8825, y, QStringLiteral("015"));
        text(9200, y, rules_.PadLeftWith(bankName(db_, in_.banco), 17, u' ').left(17));
    }

    Database& db_;
    EstadoReporte& state_;
    ImpLinea& out_;
    const ReportInputs& in_;
    const FieldRules& rules_;
    const int pages_;
    int y_ = 1700;
    int page_ = 0;
};

} // namespace

QString ReportInputs::box(int number) const {
    const auto it = boxes.find(number);
    return it == boxes.end() ? QString() : it->second;
}

long long ReportInputs::boxNumber(int number) const {
    return Decimal::leadingValue(box(number)).roundedToWhole();
}

ReportInputs CargarCasillas(Database& db, const DeclarationId& id, const QString& name) {
    ReportInputs in;
    in.id = id;
    in.name = name;
    QString where = QStringLiteral(" WHERE doc_id_d = ? AND periodo = ? AND formulario = ?");
    if (id.sent)
        where += QStringLiteral(" AND correl = ?");
    Cursor boxes = db.query(
        QStringLiteral("SELECT casilla, i_valor FROM %1DET").arg(historyPrefix(id)) + where,
        headerParams(id));
    while (boxes.next()) {
        const long long number = Decimal::leadingValue(boxes.text(0)).roundedToWhole();
        if (number == 721 || number == 722 || number == 790)
            continue;
        in.boxes[int(number)] = boxes.text(1);
    }
    const QString numbers = id.sent ? QStringLiteral(", norden, control") : QString();
    QString headerWhere = kHeaderWhere;
    if (id.sent)
        headerWhere += QStringLiteral(" AND correl = ?");
    Cursor header = db.query(QStringLiteral("SELECT bcolibrad, nrocheque, efectivo%1 FROM %2CAB")
                                     .arg(numbers, historyPrefix(id)) +
                                 headerWhere,
                             headerParams(id));
    if (header.next()) {
        in.banco = header.text(0);
        in.cheque = header.text(1);
        in.efectivo = header.text(2);
        if (id.sent) {
            in.orderNumber = header.text(3);
            in.controlNumber = header.text(4);
        }
    }
    return in;
}

QString modalityTitle(Database& db, const QString& code) {
    const auto f = db.scalar(
        QStringLiteral("SELECT funcion FROM PARAM WHERE numero = '971' AND trim(argumento) = ?"),
        {code});
    return f ? ParamField(f->toString(), 1, 30) : QStringLiteral(" ");
}

QString subjectName(const Cursor& row) {
    if (!row.value(QStringLiteral("des_razon")).isNull())
        return row.text(QStringLiteral("des_razon")).left(45);
    const QString paternal = row.text(QStringLiteral("des_apellido_p")).trimmed();
    return (paternal + QLatin1Char(' ') + row.text(QStringLiteral("des_apellido_m")).trimmed() +
            (paternal.isEmpty() ? QStringLiteral(" ") : QStringLiteral(",")) +
            row.text(QStringLiteral("des_nombres")).trimmed())
        .left(45);
}

QString subjectTable(const DeclarationId& id) {
    return historyPrefix(id) + QStringLiteral("F947RPCAB");
}

QStringList detailColumns(const DeclarationId& id) {
    QStringList columns = {QStringLiteral("doc_id_d"), QStringLiteral("periodo"),
                           QStringLiteral("formulario")};
    if (id.sent)
        columns << QStringLiteral("correl");
    return columns;
}

QString detailWhere(const DeclarationId& id, const QString& table) {
    QString where;
    for (const QString& c : detailColumns(id))
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + table +
                 c + QStringLiteral(" = ?");
    return where;
}

QVariantList detailParams(const DeclarationId& id) {
    return headerParams(id);
}

int ImprimirDeclaracion(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                        const FieldRules& rules) {
    return DeclarationComposer(db, state, out, in, rules).run();
}

} // namespace ret::reports
