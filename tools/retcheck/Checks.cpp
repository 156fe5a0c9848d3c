#include "tools/retcheck/Checks.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/NumberFormat.h"

#include <QDateTime>

#include <map>
#include <set>
#include <tuple>

namespace ret::check {
namespace {

const QString kWhere =
    QStringLiteral(" WHERE tip_doc_d = ? AND doc_id_d = ? AND periodo = ? AND formulario = ?");

struct Level {
    const char* table;
    const char* description;
    const char* amountBox;
    const char* retentionBox; // empty: the level has no retention
    const char* countBox;
};

const Level kLevels[] = {
    {"F947RPCAB", "del detalle de retenciones por sujeto de retención", "502", "503", "501"},
    {"F947RPDET", "de los comprobantes de retención emitidos - con CDP", "511", "512", "510"},
    {"F947RPDETDET", "del detalle de comprobantes de pago involucrado", "514", "", "513"},
};

struct Totals {
    Decimal amount;
    Decimal retention;
    qint64 count = 0;
};

class Checker {
public:
    Checker(Database& db, const CommandRecord& r, const std::function<void(const DbError&)>& e)
        : db_(db), key_{r.documentType.toInt(), r.documentNumber, r.period, r.form}, onError_(e) {}

    std::vector<Inconsistency> run() {
        guarded([&] { levelsAndCrossLevels(); });
        guarded([&] { subjectsAgainstVouchers(); });
        guarded([&] { vouchersWithoutSubject(); });
        guarded([&] { vouchersAgainstPayments(); });
        return std::move(found_);
    }

private:
    void guarded(const std::function<void()>& check) {
        try {
            check();
        } catch (const DbError& e) {
            if (onError_)
                onError_(e);
        }
    }

    void add(const QString& text, QStringList listing = {}) {
        found_.push_back({text, std::move(listing)});
    }

    QString box(const QString& code) {
        const auto v = db_.scalar(QStringLiteral("SELECT i_valor FROM DET") + kWhere +
                                      QStringLiteral(" AND casilla = ?"),
                                  key_ + QVariantList{code});
        return v ? v->toString().trimmed() : QString();
    }

    Totals totals(const Level& level) {
        const SqlDialect& d = db_.dialect();
        const bool payments = QLatin1String(level.table) == QLatin1String("F947RPDETDET");
        const QString amount = d.exactSum(payments ? "mto_cp_det" : "mto_base_rp");
        const QString retention = payments ? QStringLiteral("NULL") : d.exactSum("mto_imp_rp");
        Cursor c = db_.query(QStringLiteral("SELECT %1, %2, count(*) FROM %3")
                                     .arg(amount, retention, QLatin1String(level.table)) +
                                 kWhere,
                             key_);
        c.next();
        return {Decimal::leadingValue(c.text(0)), Decimal::leadingValue(c.text(1)),
                c.value(2).toLongLong()};
    }

    // The declared value lies between the detail total, less and plus one, each brought to
    // whole units.
    static bool agrees(const QString& declared, Decimal total) {
        const Decimal v = Decimal::leadingValue(declared);
        const Decimal one = Decimal::fromInt(1);
        return (total - one).rounded(0) <= v && v <= (total + one).rounded(0);
    }

    static bool within1(Decimal a, Decimal b) { return (a - b).abs() <= Decimal::fromInt(1); }

    void levelsAndCrossLevels() {
        const QString rect = Decimal::leadingValue(box(QStringLiteral("005"))).toShortString();
        if (box(QStringLiteral("005")).isEmpty() ||
            (rect != QLatin1String("0") && rect != QLatin1String("1")))
            return;
        std::vector<Totals> t;
        for (int i = 0; i < 3; ++i) {
            const Level& level = kLevels[i];
            t.push_back(totals(level));
            compareLevel(i, level, t.back());
        }
        const QString b401 = box(QStringLiteral("401"));
        if (!b401.isEmpty() && Decimal::leadingValue(b401) != t[0].retention.rounded(0))
            add(QStringLiteral(") El total percibido del detalle del sujeto de retención no "
                               "coincide con la casilla 401."));
        if (!within1(t[1].amount, t[0].amount))
            add(QStringLiteral(") El total cobrado de comprobantes emitidos no coincide con el "
                               "total cobrado en el detalle del sujeto de retención."));
        if (!within1(t[1].retention, t[0].retention))
            add(QStringLiteral(") El total percibido de comprobantes emitidos no coincide con lo "
                               "percibido en el detalle del sujeto de retención."));
    }

    void compareLevel(int i, const Level& level, const Totals& t) {
        const QString description = QString::fromUtf8(level.description);
        const QString amountBox = QLatin1String(level.amountBox);
        const QString amount = box(amountBox);
        if (!amount.isEmpty() && !agrees(amount, t.amount))
            add(i == 0 ? QStringLiteral(") El valor de la casilla %1 no coincide con el monto "
                                        "total cobrado %2.")
                             .arg(amountBox, description)
                       : QStringLiteral(") El monto total cobrado %1 no coincide con lo "
                                        "registrado en la declaración.")
                             .arg(description));
        const QString retentionBox = QLatin1String(level.retentionBox);
        if (!retentionBox.isEmpty()) {
            const QString retention = box(retentionBox);
            if (!retention.isEmpty() && !agrees(retention, t.retention))
                add(i == 0 ? QStringLiteral(") El valor de la casilla %1 no coincide con el "
                                            "importe de retención %2.")
                                 .arg(retentionBox, description)
                           : QStringLiteral(") El monto total percibido %1 no coincide con lo "
                                            "registrado en la declaración.")
                                 .arg(description));
        }
        const QString countBox = QLatin1String(level.countBox);
        const QString count = box(countBox);
        if (!count.isEmpty() && Decimal::leadingValue(count) != Decimal::fromInt(t.count))
            add(QStringLiteral(") La cantidad de registros de la casilla %1 no coincide %2.")
                    .arg(countBox, description));
    }

    static QString amountText(Decimal d) {
        return formatNumber(d, QStringLiteral("#,###,###,##0.00")).rightJustified(16);
    }

    void subjectsAgainstVouchers() {
        const SqlDialect& d = db_.dialect();
        std::map<std::pair<qint64, QString>, std::pair<Decimal, Decimal>> vouchers;
        Cursor v = db_.query(QStringLiteral("SELECT tip_doc_ret, num_doc_ret, %1, %2 FROM "
                                            "F947RPDET")
                                     .arg(d.exactSum("mto_base_rp"), d.exactSum("mto_imp_rp")) +
                                 kWhere + QStringLiteral(" GROUP BY tip_doc_ret, num_doc_ret"),
                             key_);
        while (v.next())
            vouchers[{v.value(0).toLongLong(), v.text(1)}] = {Decimal::leadingValue(v.text(2)),
                                                              Decimal::leadingValue(v.text(3))};
        Cursor s = db_.query(QStringLiteral("SELECT tip_doc_ret, num_doc_ret, mto_base_rp, "
                                            "mto_imp_rp FROM F947RPCAB") +
                                 kWhere + QStringLiteral(" ORDER BY tip_doc_ret, num_doc_ret"),
                             key_);
        QStringList base;
        QStringList retention;
        bool any = false;
        while (s.next()) {
            any = true;
            const auto it = vouchers.find({s.value(0).toLongLong(), s.text(1)});
            const auto [vBase, vRet] =
                it == vouchers.end() ? std::pair<Decimal, Decimal>() : it->second;
            const Decimal sBase = Decimal::leadingValue(s.text(2));
            const Decimal sRet = Decimal::leadingValue(s.text(3));
            const QString row = QStringLiteral("     ") + s.text(1).leftJustified(17) + ' ' +
                                amountText(sBase) + ' ' + amountText(vBase) + ' ' +
                                amountText(sRet) + ' ' + amountText(vRet);
            if (!within1(sBase, vBase))
                base << row;
            if (!within1(sRet, vRet))
                retention << row;
        }
        if (!any) {
            add(QStringLiteral(") No existe información de detalle de retenciones por sujetos "
                               "de retención."));
            return;
        }
        const QString header = QStringLiteral("     Nro. de Documento Base Imp. Sujeto   Base "
                                              "Imp. CDP Retencion Sujeto  Retención CDP");
        if (!base.isEmpty())
            add(QStringLiteral(") La base imponible del sujeto de retención no coincide con la "
                               "base imponible del comprobante de retención emitido."),
                QStringList{header} + base);
        if (!retention.isEmpty())
            add(QStringLiteral(") La retención del sujeto no coincide con la retención del "
                               "comprobante de retención emitido."),
                QStringList{header} + retention);
    }

    using SubjectKey = std::pair<qint64, QString>;

    std::set<SubjectKey> subjectKeys(const QString& table) {
        std::set<SubjectKey> keys;
        Cursor c = db_.query(QStringLiteral("SELECT DISTINCT tip_doc_ret, num_doc_ret FROM ") +
                                 table + kWhere,
                             key_);
        while (c.next())
            keys.insert({c.value(0).toLongLong(), c.text(1)});
        return keys;
    }

    void vouchersWithoutSubject() {
        // looked up in memory: a join of the two groupings has no index to use
        const std::set<SubjectKey> withVouchers = subjectKeys(QStringLiteral("F947RPDET"));
        const std::set<SubjectKey> subjects = subjectKeys(QStringLiteral("F947RPCAB"));
        const QString text =
            QStringLiteral(") No existe información de detalle de comprobantes emitidos con CDP.");
        if (withVouchers.empty()) {
            add(text);
            return;
        }
        QStringList rows;
        for (const SubjectKey& k : withVouchers) {
            if (!subjects.count(k))
                rows << QStringLiteral("     ") + k.second;
        }
        const QString rule = QStringLiteral("     ------------------");
        if (!rows.isEmpty())
            add(text, QStringList{rule, QStringLiteral("     Nro. de Documento "), rule} + rows);
    }

    using VoucherKey = std::tuple<QString, QString, QString>;

    std::set<VoucherKey> voucherKeys(const QString& table) {
        std::set<VoucherKey> keys;
        Cursor c = db_.query(QStringLiteral("SELECT DISTINCT num_doc_ret, num_serie_cp, num_cp "
                                            "FROM ") +
                                 table + kWhere,
                             key_);
        while (c.next())
            keys.insert({c.text(0), c.text(1), c.text(2)});
        return keys;
    }

    void vouchersAgainstPayments() {
        const std::set<VoucherKey> vouchers = voucherKeys(QStringLiteral("F947RPDET"));
        const std::set<VoucherKey> payments = voucherKeys(QStringLiteral("F947RPDETDET"));
        const QString rule =
            QStringLiteral("     ------------------------------------------------------");
        const QStringList header{
            rule, QStringLiteral("     Nro. de Documento Serie del CDP Número de CDP"), rule};
        const auto missing = [&](const std::set<VoucherKey>& from, const std::set<VoucherKey>& in) {
            QStringList rows;
            for (const auto& k : from) {
                if (!in.count(k))
                    rows << QStringLiteral("     ") + std::get<0>(k).leftJustified(17) + ' ' +
                                std::get<1>(k).leftJustified(13) + ' ' + std::get<2>(k);
            }
            return rows;
        };
        if (vouchers.empty()) {
            add(QStringLiteral(") Al no existir información de detalle de comprobantes emitidos "
                               "con CDP - no se puede comparar con los CDP involucrados."));
        } else if (const QStringList rows = missing(vouchers, payments); !rows.isEmpty()) {
            add(QStringLiteral(") Existen comprobantes de retención emitidos con CDP- pero no "
                               "existe el CDP involucrado."),
                header + rows);
        }
        if (payments.empty()) {
            add(QStringLiteral(") No existe información de comprobantes involucrados."));
        } else if (const QStringList rows = missing(payments, vouchers); !rows.isEmpty()) {
            add(QStringLiteral(") Existe el CDP involucrado-pero no existe el comprobante de "
                               "retención emitido con CDP."),
                header + rows);
        }
    }

    Database& db_;
    const QVariantList key_;
    const std::function<void(const DbError&)>& onError_;
    std::vector<Inconsistency> found_;
};

} // namespace

std::vector<Inconsistency> runChecks(Database& db, const CommandRecord& record,
                                     const std::function<void(const DbError&)>& onError) {
    return Checker(db, record, onError).run();
}

QStringList reportLines(const std::vector<Inconsistency>& found, const QString& form,
                        const QDateTime& now) {
    QStringList lines;
    lines << now.toString(QStringLiteral("dd/MM/yyyy")) + QString(80, QLatin1Char(' ')) +
                 now.toString(QStringLiteral("hh:mm:ss"));
    lines << QString(20, QLatin1Char(' ')) +
                 QStringLiteral(
                     "Resumen de Inconsistencias en Información a Enviar - Formulario ") +
                 form;
    lines << QString(120, QLatin1Char('-'));
    int n = 0;
    for (const Inconsistency& i : found) {
        lines << QStringLiteral("%1").arg(++n, 3, 10, QLatin1Char('0')) + i.text;
        lines << i.listing;
    }
    return lines;
}

} // namespace ret::check
