#include "reports/AnnexReport.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/PrintScript.h"
#include "reports/DeclarationReport.h"

#include <QHash>

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

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

QString centred(const QString& text) {
    return (blanks((kWidth - int(text.size())) / 2) + text).leftJustified(kWidth);
}

// `line` with `text` written over it from 1-based `column` on, padded to reach it.
QString writtenOver(QString line, int column, const QString& text) {
    if (line.size() < column - 1 + text.size())
        line = line.leftJustified(column - 1 + int(text.size()));
    line.replace(column - 1, text.size(), text);
    return line;
}

struct Payment {
    QString tipo;
    QString serie;
    QString numero;
    QDate fecha;
    QString monto;
};

struct Voucher {
    QString serie;
    QString numero;
    QDate fecha;
    QVariant base; // null prints blanks
    QVariant retencion;
    std::vector<Payment>* payments = nullptr;
};

QString key(std::initializer_list<QString> parts) {
    QString k;
    for (const QString& p : parts)
        k += p.toUpper() + QChar(0x1f);
    return k;
}

class AnnexComposer {
public:
    AnnexComposer(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                  const FieldRules& rules, const QDateTime& now)
        : db_(db), state_(state), out_(out), in_(in), rules_(rules), now_(now) {}

    int run() {
        load();
        state_.nCabecera = 2;
        state_.pageHeader = [this] { pageHeader(); };
        pageHeader();
        Decimal base;
        Decimal retention;
        Cursor s =
            db_.query(QStringLiteral("SELECT tip_doc_ret, num_doc_ret, des_razon, des_apellido_p, "
                                     "des_apellido_m, des_nombres FROM %1")
                              .arg(subjectTable(in_.id)) +
                          detailWhere(in_.id) +
                          QStringLiteral(" AND tip_retencion = 'R' ORDER BY num_doc_ret"),
                      detailParams(in_.id));
        while (s.next()) {
            const QString ruc = s.text(1);
            body(kMargin + ruc + QStringLiteral("  ") + subjectName(s));
            base = Decimal();
            retention = Decimal();
            int count = 0;
            const auto found = vouchers_.constFind(key({s.text(0), ruc}));
            if (found != vouchers_.constEnd()) {
                for (const Voucher& v : *found) {
                    const QString part = voucherPart(v);
                    base += Decimal::leadingValue(v.base.toString());
                    retention += Decimal::leadingValue(v.retencion.toString());
                    ++count;
                    if (v.payments == nullptr)
                        continue;
                    bool first = true;
                    for (const Payment& p : *v.payments) {
                        if (counter_ > 50)
                            pageBreak();
                        body((first ? part : blanks(64)) + QStringLiteral("   ") + paymentPart(p));
                        first = false;
                    }
                }
            }
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
    void load() {
        Cursor v = db_.query(
            QStringLiteral("SELECT tip_doc_ret, num_doc_ret, num_serie_cp, num_cp, "
                           "fec_emision_cp, mto_base_rp, mto_imp_rp FROM %1F947RPDET")
                    .arg(in_.id.sent ? QStringLiteral("H") : QString()) +
                detailWhere(in_.id) +
                QStringLiteral(
                    " AND tip_retencion = 'R' ORDER BY num_doc_ret, num_serie_cp, num_cp"),
            detailParams(in_.id));
        std::vector<std::pair<QString, QString>> voucherKeys; // subject key, voucher key
        while (v.next()) {
            const QString subject = key({v.text(0), v.text(1)});
            vouchers_[subject].push_back({v.text(2), v.text(3),
                                          v.date(QStringLiteral("fec_emision_cp")), v.value(5),
                                          v.value(6), nullptr});
            voucherKeys.emplace_back(subject, key({v.text(1), v.text(2), v.text(3)}));
        }
        Cursor p = db_.query(
            QStringLiteral("SELECT num_doc_ret, num_serie_cp, num_cp, tip_cp_det, num_serie_det, "
                           "num_cp_det, fec_emis_det, mto_cp_det FROM %1F947RPDETDET")
                    .arg(in_.id.sent ? QStringLiteral("H") : QString()) +
                detailWhere(in_.id) +
                QStringLiteral(" ORDER BY num_doc_ret, num_serie_cp, num_cp, tip_cp_det, "
                               "num_serie_det, num_cp_det"),
            detailParams(in_.id));
        while (p.next())
            payments_[key({p.text(0), p.text(1), p.text(2)})].push_back(
                {p.text(3), p.text(4), p.text(5), p.date(QStringLiteral("fec_emis_det")),
                 p.text(7)});
        // attach each voucher's payment vouchers (the hash no longer grows)
        QHash<QString, std::size_t> next;
        for (const auto& [subject, voucher] : voucherKeys) {
            Voucher& entry = vouchers_[subject][next[subject]++];
            const auto found = payments_.find(voucher);
            entry.payments = found == payments_.end() ? nullptr : &*found;
        }

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

    QString voucherPart(const Voucher& v) const {
        const auto amount = [this](const QVariant& a) {
            return a.isNull() ? blanks(19) : rules_.PadLeft(formatText(a.toString(), kSum), 19);
        };
        return QStringLiteral("  ") + rules_.PadRightWith(v.serie.trimmed(), 4, u' ') +
               QLatin1Char(' ') + rules_.PadRightWith(v.numero.trimmed(), 8, u' ') +
               QLatin1Char(' ') + v.fecha.toString(kDate) + amount(v.base) + amount(v.retencion);
    }

    QString paymentPart(const Payment& p) const {
        return formatText(p.tipo, QStringLiteral("00")) + QStringLiteral("  ") + p.serie +
               QStringLiteral("  ") + rules_.PadRight(p.numero, 15) + QLatin1Char(' ') +
               p.fecha.toString(kDate) + QStringLiteral("  ") +
               rules_.PadLeft(formatText(p.monto, kPaid), 15);
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
        line((kMargin + QStringLiteral("DECLARANTE   : ") + in_.id.ruc + QStringLiteral("  ") +
              in_.name)
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
    QHash<QString, std::vector<Voucher>> vouchers_;
    QHash<QString, std::vector<Payment>> payments_;
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
