// texts joined with + are built in one go, without the copies in between: a large annex joins
// hundreds of thousands of them
#define QT_USE_QSTRINGBUILDER
#include "reports/AnnexReport.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/PrintScript.h"
#include "reports/DeclarationReport.h"

#include <cstdint>
#include <vector>

namespace ret::reports {
namespace {

constexpr int kWidth = 146;
const QString kMargin = QStringLiteral("  ");
const QString kRule = QLatin1Char(' ') + QString(154, QLatin1Char('_'));
const QString kShortRule = QString(50, QLatin1Char('_')) + QLatin1Char(' ');
const QString kSum = QStringLiteral("###,###,###,###.00");
const QString kPaid = QStringLiteral("###,###,###,##0.00;(###,###,###,##0.00)");
const QString kDate = QStringLiteral("dd/MM/yyyy");

// A date as dd/MM/yyyy, the empty text for none: tens of thousands of them in a large annex,
// written here rather than through the locale's formatting.
QString dayMonthYear(const QDate& date) {
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return date.toString(kDate);
    const char16_t text[] = {char16_t(u'0' + date.day() / 10),
                             char16_t(u'0' + date.day() % 10),
                             u'/',
                             char16_t(u'0' + date.month() / 10),
                             char16_t(u'0' + date.month() % 10),
                             u'/',
                             char16_t(u'0' + date.year() / 1000),
                             char16_t(u'0' + date.year() / 100 % 10),
                             char16_t(u'0' + date.year() / 10 % 10),
                             char16_t(u'0' + date.year() % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

QString centred(const QString& text) {
    return QString(blanks((kWidth - int(text.size())) / 2) + text).leftJustified(kWidth);
}

// `line` with `text` written over it from 1-based `column` on, padded to reach it.
QString writtenOver(QString line, int column, const QString& text) {
    if (line.size() < column - 1 + text.size())
        line = line.leftJustified(column - 1 + int(text.size()));
    line.replace(column - 1, text.size(), text);
    return line;
}

// The columns of the annex's one read: each subject with its vouchers and their payment
// vouchers, in the order they are printed. A subject without vouchers and a voucher without
// payment vouchers come once, with the missing side's columns null.
enum Column {
    kTipDoc,
    kRuc,
    kVoucherRuc = 6,
    kSerie,
    kNumero,
    kEmision,
    kBase,
    kRetencion,
    kPaymentRuc,
    kTipoPago,
    kSeriePago,
    kNumeroPago,
    kEmisionPago,
    kMontoPago,
};

QString annexSql(const DeclarationId& id) {
    const QString h = id.sent ? QStringLiteral("H") : QString();
    // the declaration's whole key in each join, the keys' leading columns, so that the engine
    // finds a subject's rows through the key instead of reading every row for each subject
    const QStringList declaration = QStringList{QStringLiteral("tip_doc_d")} + detailColumns(id);
    // `a`'s rows of the declaration of `b`'s row
    const auto sameDeclaration = [&declaration](const char* a, const char* b) {
        QString on;
        for (const QString& c : declaration)
            on += QStringLiteral(" AND %1.%3 = %2.%3").arg(QLatin1String(a), QLatin1String(b), c);
        return on;
    };
    return QStringLiteral(
               "SELECT s.tip_doc_ret, s.num_doc_ret, s.des_razon, s.des_apellido_p, "
               "s.des_apellido_m, s.des_nombres, v.num_doc_ret, v.num_serie_cp, v.num_cp, "
               "v.fec_emision_cp, v.mto_base_rp, v.mto_imp_rp, p.num_doc_ret, p.tip_cp_det, "
               "p.num_serie_det, p.num_cp_det, p.fec_emis_det, p.mto_cp_det FROM %1F947RPCAB s "
               "LEFT JOIN %1F947RPDET v ON v.tip_retencion = 'R' AND v.tip_doc_ret = "
               "s.tip_doc_ret AND v.num_doc_ret = s.num_doc_ret")
               .arg(h) +
           sameDeclaration("v", "s") +
           QStringLiteral(" LEFT JOIN %1F947RPDETDET p ON p.num_doc_ret = v.num_doc_ret AND "
                          "p.num_serie_cp = v.num_serie_cp AND p.num_cp = v.num_cp")
               .arg(h) +
           sameDeclaration("p", "v") + detailWhere(id, QStringLiteral("s.")) +
           QStringLiteral(" AND s.tip_retencion = 'R' ORDER BY s.num_doc_ret, s.tip_doc_ret, "
                          "v.num_serie_cp, v.num_cp, p.tip_cp_det, p.num_serie_det, "
                          "p.num_cp_det");
}

class AnnexComposer {
public:
    AnnexComposer(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                  const FieldRules& rules, const QDateTime& now)
        : db_(db), state_(state), out_(out), in_(in), rules_(rules), now_(now) {}

    // The rows are read as they are printed, one at a time, so that memory does not grow with
    // the declaration.
    int run() {
        loadLegend();
        state_.nCabecera = 2;
        state_.pageHeader = [this] { pageHeader(); };
        pageHeader();
        Decimal base;
        Decimal retention;
        Cursor row = db_.queryRows(annexSql(in_.id), detailParams(in_.id));
        bool more = row.next();
        while (more) {
            const QString tipDoc = row.text(kTipDoc);
            const QString ruc = row.text(kRuc);
            body(kMargin + ruc + QStringLiteral("  ") + subjectName(row));
            base = Decimal();
            retention = Decimal();
            int count = 0;
            const auto sameSubject = [&] {
                return row.text(kTipDoc) == tipDoc && row.text(kRuc) == ruc;
            };
            while (more && sameSubject() && !row.value(kVoucherRuc).isNull()) {
                const QString part = voucherPart(row);
                const QString serie = row.text(kSerie);
                const QString numero = row.text(kNumero);
                base += Decimal::leadingValue(row.text(kBase));
                retention += Decimal::leadingValue(row.text(kRetencion));
                ++count;
                bool first = true;
                do {
                    if (!row.value(kPaymentRuc).isNull()) {
                        if (counter_ > 50)
                            pageBreak();
                        body((first ? part : blanks(64)) + QStringLiteral("   ") +
                             paymentPart(row));
                        first = false;
                    }
                    more = row.next();
                } while (more && sameSubject() && row.text(kSerie) == serie &&
                         row.text(kNumero) == numero);
            }
            if (more && sameSubject())
                more = row.next(); // the subject's one row: it has no vouchers
            if (counter_ > 50)
                pageBreak();
            body(kRule);
            body(rules_.PadLeftWith(QString::number(count), 5, u' ') +
                 QStringLiteral(" Registros ") + blanks(10) + QLatin1Char(' ') +
                 rules_.PadLeft(formatNumber(base, kSum), 18) + QLatin1Char(' ') +
                 rules_.PadLeft(formatNumber(retention, kSum), 18));
            body(kRule);
        }
        closing(base, retention);
        return state_.nHoja - 1;
    }

private:
    void loadLegend() {
        Cursor legend =
            db_.query(QStringLiteral("SELECT argumento, funcion FROM PARAM WHERE numero = '233' "
                                     "ORDER BY argumento"));
        while (legend.next()) {
            const QString f = legend.text(1);
            // the legend is for retentions; the page estimate counts the other kind's marks
            if (ParamFieldRaw(f, 63, 1) == QLatin1String("1"))
                legend_.emplace_back(legend.text(0).left(2), f.mid(0, 35));
        }
    }

    QString voucherPart(const Cursor& row) const {
        const auto amount = [&](int column) {
            const QVariant a = row.value(column);
            return a.isNull() ? blanks(19) : rules_.PadLeft(formatText(a.toString(), kSum), 19);
        };
        return QStringLiteral("  ") + rules_.PadRightWith(row.text(kSerie).trimmed(), 4, u' ') +
               QLatin1Char(' ') + rules_.PadRightWith(row.text(kNumero).trimmed(), 8, u' ') +
               QLatin1Char(' ') + dayMonthYear(row.date(kEmision)) + amount(kBase) +
               amount(kRetencion);
    }

    QString paymentPart(const Cursor& row) const {
        return formatText(row.text(kTipoPago), QStringLiteral("00")) + QStringLiteral("  ") +
               row.text(kSeriePago) + QStringLiteral("  ") +
               rules_.PadRight(row.text(kNumeroPago), 15) + QLatin1Char(' ') +
               dayMonthYear(row.date(kEmisionPago)) + QStringLiteral("  ") +
               rules_.PadLeft(formatText(row.text(kMontoPago), kPaid), 15);
    }

    void body(const QString& line) {
        out_.EscribeLinea(line);
        ++counter_;
    }

    void newPage() {
        ++state_.nHoja;
        out_.EscribeTexto(0, 0, QStringLiteral("pNuevaHoja"), false, 8, state_.nHoja - 1);
    }

    void pageBreak() {
        newPage();
        pageHeader();
        counter_ = 10;
        body(kRule);
    }

    void pageHeader(bool fromTop = true) {
        if (fromTop) {
            state_.nPosY = 0;
            state_.nLinea = 1;
        }
        state_.nAncho = kWidth;
        const auto line = [this](const QString& t) { out_.EscribeLinea(t); };
        for (int i = 0; i < 3; ++i)
            line(QString());
        line(writtenOver(writtenOver(centred(QStringLiteral("Velkar 0947 - AGENTES DE RETENCION")),
                                     1, QStringLiteral("KORVA")),
                         146, QStringLiteral("F94701")) +
             kMargin);
        const QString p = in_.id.period;
        QString period =
            writtenOver(centred(QStringLiteral("REPORTE DE AGENTES DE RETENCION - PERIODO ") +
                                p.mid(4, 2) + QLatin1Char('/') + p.left(4)),
                        1, now_.toString(kDate));
        const QString page = QStringLiteral("Pag:") +
                             formatNumber(Decimal::fromInt(state_.nHoja), QStringLiteral("##"));
        line(writtenOver(period, 146 - int(page.size()) + 6, page) + kMargin);
        line(now_.toString(QStringLiteral("hh:mm:ss")) + kMargin);
        line(QString());
        line(QString());
        line(QString(kMargin + QStringLiteral("DECLARANTE   : ") + in_.id.ruc +
                     QStringLiteral("  ") + in_.name)
                 .leftJustified(105));
        line(kRule);
        line(QStringLiteral("  RETENCIONES - ") + modality_);
        line(kRule);
        line(blanks(15) + QStringLiteral("COMPROBANTE DE RETENCION EMITIDO ") + blanks(30) +
             QStringLiteral("COMPROBANTE DE PAGO"));
        line(kRule);
        line(QLatin1Char(' ') +
             QString::fromUtf8("SERIE  NÚMERO   FECHA DE   BASE IMPONIBLE      IMPORTE DE LA     "
                               "TIPO SERIE  NUMERO         FECHA DE       IMPORTE     "));
        line(QLatin1Char(' ') +
             QString::fromUtf8("                 EMISIÓN   DE LA RETENCIÓN       RETENCIÓN       "
                               "                           EMISIÓN    COMPROBANTE PAGO"));
        line(kRule);
        counter_ = 10;
    }

    void closing(Decimal base, Decimal retention) {
        if (counter_ > 45) {
            pageBreak();
            out_.EscribeLinea(QStringLiteral(" Sub-Totales:") + blanks(20) + blanks(29) +
                              fitAmount(base) + fitAmount(retention));
            out_.EscribeLinea(kRule);
            // the repeated header goes on below the sub-totals instead of over the page's
            // first lines, so that nothing is printed twice at one place
            pageHeader(false);
        }
        const auto line = [this](const QString& t) { out_.EscribeLinea(t); };
        line(QString());
        line(kShortRule);
        line(QStringLiteral(" DOC. QUE DIO ORIGEN A RETENCION"));
        line(kShortRule);
        line(QStringLiteral(" TIPO    DESCRIPCION"));
        line(kShortRule);
        for (std::size_t i = 0; i < legend_.size(); ++i) {
            const QString& d = legend_[i].second;
            line(QStringLiteral("  ") + legend_[i].first + QStringLiteral("  ") +
                 (i < 3 ? rules_.PadRight(d, 35) : d.trimmed()));
        }
        line(kShortRule);
        newPage();
    }

    Database& db_;
    EstadoReporte& state_;
    ImpLinea& out_;
    const ReportInputs& in_;
    const FieldRules& rules_;
    const QDateTime now_;
    const QString modality_ = modalityTitle(db_, in_.box(500).trimmed());
    std::vector<std::pair<QString, QString>> legend_;
    std::uint8_t counter_ = 10; // body lines of the page, counted from 10 at each header
};

} // namespace

int annexPageEstimate(Database& db, const ReportInputs& in) {
    int legend = 0;
    Cursor c = db.query(QStringLiteral("SELECT funcion FROM PARAM WHERE numero = '233'"));
    while (c.next())
        if (ParamFieldRaw(c.text(0), 64, 1) == QLatin1String("1"))
            ++legend;
    const int vouchers = db.scalar(QStringLiteral("SELECT count(*) FROM %1F947RPDET")
                                           .arg(in.id.sent ? QStringLiteral("H") : QString()) +
                                       detailWhere(in.id),
                                   detailParams(in.id))
                             ->toInt();
    const long long subjects = in.boxNumber(501);
    return int((subjects > 0 ? 1 : 0) + (legend + 7 + 2LL * vouchers + subjects) / 42);
}

int ImprimirAnexos(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                   const FieldRules& rules, const QDateTime& now) {
    return AnnexComposer(db, state, out, in, rules, now).run();
}

QString fitAmount(Decimal amount) {
    constexpr int width = 15;
    QString t = formatNumber(amount, QStringLiteral("###,###,###,###,##0.00"));
    if (t.size() > width) {
        int drop = t.size() > 20 ? 5 : int(t.size()) - width;
        for (qsizetype i = 0; drop > 0 && i < t.size();) {
            if (t.at(i) == QLatin1Char(',')) {
                t.remove(i, 1);
                --drop;
            } else {
                ++i;
            }
        }
    }
    return QLatin1Char(' ') + (t.size() <= width ? t.rightJustified(width) : t);
}

} // namespace ret::reports
