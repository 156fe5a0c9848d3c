#include "detail/FrmDetAgeRet.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "common/Windows.h"
#include "detail/SerieRules.h"
#include "detail/VoucherFields.h"

namespace ret {
namespace {

const QString kVoucherWhere = QStringLiteral(" WHERE tip_retencion = 'R' AND tip_doc_ret = 6 AND "
                                             "num_doc_ret = ? AND num_serie_cp = ? AND num_cp = ?");
const QString kPaymentsWhere =
    QStringLiteral(" WHERE num_doc_ret = ? AND num_serie_cp = ? AND num_cp = ?");

// An amount field written as a number into its text column: no trailing decimal zeros.
QVariant storedAmount(const QString& text) {
    if (text.trimmed().isEmpty())
        return QVariant(QMetaType::fromType<QString>());
    return voucher::amountOf(text).toShortString();
}

} // namespace

QString FrmDetAgeRet::PaymentRow::montoShown() const {
    const Decimal v = Decimal::leadingValue(monto);
    if (v > Decimal())
        return formatNumber(v, QStringLiteral("###,###,###,##0.#0"));
    return formatNumber(v.abs(), QStringLiteral("(##,###,###,##0.#0)"));
}

FrmDetAgeRet::FrmDetAgeRet(Session& session) : VoucherEntryFields(session, kCaption) {}

// ---------------------------------------------------------------------------------- helpers

void FrmDetAgeRet::dbError(const QString& text) {
    showDbError(text);
    notify();
}

// ------------------------------------------------------------------------------------- load

void FrmDetAgeRet::load() {
    changed_ = false;
    readOnly_ = session_.SentMode;
    ruc_ = session_.selectedSubject.ruc.trimmed();
    fecha_ = voucher::kEmptyDate;
    if (session_.VoucherMode == QLatin1String("1")) {
        const VoucherSelection& v = session_.selectedVoucher;
        serie_ = v.serie.trimmed();
        numero_ = v.numero.trimmed();
        keyEnabled_ = false;
        if (!v.fecha.trimmed().isEmpty())
            setFecha(v.fecha.trimmed());
        setBase(v.base.trimmed());
        // the stored retention shows, whatever the amount's recomputation gave
        retencion_ = v.retencion;
        const Decimal rate = Decimal::leadingValue(session_.RetentionRate);
        tasa_ = formatNumber(rate * Decimal::fromInt(100), QStringLiteral("##0.#0"));
    } else {
        keyEnabled_ = !readOnly_;
    }
    changed_ = false;
    activate();
}

void FrmDetAgeRet::activate() {
    try {
        refreshList();
        if (!payments_.empty())
            countCaption_ = voucher::countCaption(int(payments_.size()));
    } catch (const DbError& e) {
        dbError(e.text());
    }
    notify();
}

void FrmDetAgeRet::refreshList() {
    const SqlDialect& d = session_.db->dialect();
    Cursor c = session_.db->query(
        QStringLiteral("SELECT %1 AS nombre, t.num_serie_det, t.num_cp_det, t.fec_emis_det, "
                       "t.tip_cp_det, t.mto_cp_det FROM TMPF947RPDETDET t LEFT JOIN PARAM p "
                       "ON p.numero = '233' AND %2 = %3 WHERE t.num_doc_ret = ? AND "
                       "t.num_serie_cp = ? AND t.num_cp = ? "
                       "ORDER BY t.tip_cp_det, t.num_serie_det, t.num_cp_det")
            .arg(d.substring(QStringLiteral("p.funcion"), 1, 30),
                 d.numericValue(QStringLiteral("p.argumento")),
                 d.numericValue(QStringLiteral("t.tip_cp_det"))),
        {ruc_, serie_, numero_});
    std::vector<PaymentRow> rows;
    while (c.next()) {
        rows.push_back(
            {c.text(0).trimmed(), c.text(1), c.text(2),
             c.date(QStringLiteral("fec_emis_det")).toString(QStringLiteral("dd/MM/yyyy")),
             c.text(4), c.text(5)});
    }
    payments_ = std::move(rows);
    if (payments_.empty())
        current_ = -1;
    else if (current_ < 0 || current_ >= int(payments_.size()))
        current_ = 0;
}

void FrmDetAgeRet::setCurrentPayment(int row) {
    if (row < -1 || row >= int(payments_.size()))
        return;
    current_ = row;
}

// ----------------------------------------------------------------------------------- fields

void FrmDetAgeRet::setFecha(const QString& text) {
    setFechaThen(text, [this] { ValidaFecha(); });
}

bool FrmDetAgeRet::ValidaFecha() {
    const QString period = session_.CurrentPeriod;
    const int ym = voucher::yearMonth(fecha_).toInt();
    const int declared = period.toInt();
    if (ym > declared) {
        error(QString::fromUtf8("La fecha del comprobante de retención no es válida cuando es "
                                "posterior al periodo ") +
                  voucher::periodShown(period),
              Focus::Fecha);
        return false;
    }
    if (ym < declared) {
        error(QString::fromUtf8("La fecha del comprobante de retención no puede ser menor al ") +
                  QStringLiteral("01/") + voucher::periodShown(period),
              Focus::Fecha);
        return false;
    }
    return monthValid();
}

void FrmDetAgeRet::setBase(const QString& text) {
    base_ = text;
    calculaRetencion();
    notify();
}

void FrmDetAgeRet::calculaRetencion() {
    const Decimal rate = Decimal::leadingValue(session_.RetentionRate);
    tasa_ = formatNumber(rate * Decimal::fromInt(100), QStringLiteral("##0.#0"));
    if (base_.trimmed().isEmpty()) {
        retencion_ = QStringLiteral(" ");
        return;
    }
    // the rate times the amount as shown to the cent, kept to four decimals
    const Decimal retention = rate * voucher::amountOf(base_);
    retencion_ = formatNumber(retention, QStringLiteral("###########0.#0"));
}

int FrmDetAgeRet::baseKey(int key) {
    return amountKeyWith(key, base_, baseMaxLength_, 12, 15);
}

void FrmDetAgeRet::baseFocusIn() {
    baseMaxLength_ = 15;
    setBase(formatText(base_, QStringLiteral("###########0.#0")));
}

void FrmDetAgeRet::baseFocusOut() {
    baseMaxLength_ = 18;
    setBase(formatText(base_, QStringLiteral("###,###,###,##0.#0")));
}

bool FrmDetAgeRet::ValidaGrabar() {
    if (!checkKeyFields(
            QString::fromUtf8("El número de comprobante de retención no puede ser cero")))
        return false;
    const QDate date = voucher::readDate(fecha_);
    if (!date.isValid()) {
        error(QString::fromUtf8("Debe ingresar una fecha válida."), dateFocus());
        return false;
    }
    if (!ValidaFecha())
        return false;
    if (!serieAccepted(serie::retentionFault(serie_, date)))
        return false;
    if (base_.trimmed().isEmpty()) {
        error(QStringLiteral("Ingrese el Monto pagado"), Focus::Base);
        return false;
    }
    return true;
}

// ----------------------------------------------------------------------------- the list

bool FrmDetAgeRet::voucherExists() {
    return session_.db
        ->scalar(QStringLiteral("SELECT 1 FROM TMPF947RPDET") + kVoucherWhere,
                 {ruc_, serie_, numero_})
        .has_value();
}

void FrmDetAgeRet::nuevo() {
    session_.PaymentVoucherMode = QStringLiteral("0");
    changed_ = true;
    if (!ValidaGrabar())
        return;
    if (serie_.trimmed().isEmpty() || numero_.trimmed().isEmpty() ||
        Decimal::leadingValue(numero_) <= Decimal())
        return;
    try {
        if (session_.VoucherMode == QLatin1String("0") && voucherExists()) {
            error(QStringLiteral("La información ya ha sido registrada"), Focus::None);
            return;
        }
    } catch (const DbError& e) {
        dbError(e.text());
        return;
    }
    // the payment window files its rows under the voucher shown here
    session_.selectedVoucher = {serie_, numero_, fecha_, base_, retencion_};
    session_.selectedPayment = {};
    session_.windows->open(Window::frmRetDet);
    keyEnabled_ = false;
    activate();
}

void FrmDetAgeRet::modificar() {
    session_.PaymentVoucherMode = QStringLiteral("1");
    changed_ = true;
    if (current_ < 0)
        return;
    if (!ValidaGrabar())
        return;
    const PaymentRow& p = payments_[size_t(current_)];
    session_.selectedVoucher = {serie_, numero_, fecha_, base_, retencion_};
    session_.selectedPayment = {p.tipo, p.serie, p.numero, p.fecha, p.monto};
    session_.windows->open(Window::frmRetDet);
    activate();
}

void FrmDetAgeRet::eliminar() {
    session_.PaymentVoucherMode = QStringLiteral("2");
    changed_ = true;
    if (current_ < 0)
        return;
    if (!session_.messages->askYesNo(
            MsgIcon::Question, QString::fromUtf8("¿Confirma que va a eliminar la información?"),
            kCaption, MsgAnswer::No))
        return;
    const PaymentRow& p = payments_[size_t(current_)];
    try {
        session_.db->execute(QStringLiteral("DELETE FROM TMPF947RPDETDET") + kPaymentsWhere +
                                 QStringLiteral(" AND tip_cp_det = ? AND num_serie_det = ? AND "
                                                "num_cp_det = ?"),
                             {ruc_, serie_, numero_, p.tipo, p.serie, p.numero});
        refreshList();
    } catch (const DbError& e) {
        dbError(e.text());
        return;
    }
    countCaption_ = voucher::countCaption(int(payments_.size()));
    notify();
}

// ------------------------------------------------------------------------ save and leave

void FrmDetAgeRet::storeVoucher(bool isNew) {
    const QVariant date = voucher::readDate(fecha_);
    const QVariant base = storedAmount(base_);
    const QVariant retention = storedAmount(retencion_);
    const QString rate = session_.RetentionRate;
    if (!isNew) {
        const int changedRows = session_.db->execute(
            QStringLiteral("UPDATE TMPF947RPDET SET fec_emision_cp = ?, mto_base_rp = ?, "
                           "mto_imp_rp = ?, por_tasa_cr = ?") +
                kVoucherWhere,
            {date, base, retention, rate, ruc_, serie_, numero_});
        if (changedRows > 0)
            return;
        // the row went away meanwhile: its payment vouchers must not stay without it
    }
    session_.db->execute(
        QStringLiteral("INSERT INTO TMPF947RPDET (tip_retencion, tip_doc_ret, num_doc_ret, "
                       "num_serie_cp, num_cp, fec_emision_cp, mto_base_rp, por_tasa_cr, "
                       "mto_imp_rp) VALUES ('R', 6, ?, ?, ?, ?, ?, ?, ?)"),
        {ruc_, serie_, numero_, date, base, rate, retention});
}

bool FrmDetAgeRet::aceptar() {
    if (readOnly_)
        return false;
    if (!ValidaGrabar())
        return false;
    if (payments_.empty()) {
        error(QStringLiteral("Ingrese al menos un comprobante de pago"), Focus::None);
        return false;
    }
    const bool isNew = session_.VoucherMode != QLatin1String("1");
    try {
        if (isNew && voucherExists()) {
            error(QStringLiteral("La información ya ha sido registrada"), Focus::None);
            return false;
        }
        Transaction tx(*session_.db, Transaction::Writes::SessionTables);
        storeVoucher(isNew);
        tx.commit();
    } catch (const DbError& e) {
        dbError(e.text());
        return false;
    }
    bool onlyCreditNotes = true;
    for (const PaymentRow& p : payments_)
        onlyCreditNotes = onlyCreditNotes && p.tipo.trimmed().toInt() == 7;
    if (onlyCreditNotes)
        session_.messages->inform(
            MsgIcon::Information,
            QString::fromUtf8(
                "Debe ingresar algún comprobante de pago diferente a nota de crédito."),
            kCaption);
    changed_ = false;
    notify();
    return true;
}

bool FrmDetAgeRet::salir() {
    if (readOnly_ || !changed_)
        return true;
    try {
        const bool exists = voucherExists();
        // a new voucher typed with the key of one stored before leaves that one alone
        const bool foreign = session_.VoucherMode == QLatin1String("0") && exists;
        if (payments_.empty()) {
            if (foreign)
                return true;
            if (!session_.messages->askYesNo(
                    MsgIcon::Question,
                    QString::fromUtf8(
                        "No hay comprobantes. Si sale se borrará este registro. ¿Esta Seguro?"),
                    kCaption, MsgAnswer::No))
                return false;
            Transaction tx(*session_.db, Transaction::Writes::SessionTables);
            session_.db->execute(QStringLiteral("DELETE FROM TMPF947RPDET") + kVoucherWhere,
                                 {ruc_, serie_, numero_});
            session_.db->execute(QStringLiteral("DELETE FROM TMPF947RPDETDET") + kPaymentsWhere,
                                 {ruc_, serie_, numero_});
            tx.commit();
            return true;
        }
        if (session_.messages->askYesNo(
                MsgIcon::Question,
                QString::fromUtf8("La información ha sido modificada. ¿Desea guardar los cambios?"),
                kCaption, MsgAnswer::Yes))
            return aceptar();    // a save that stops keeps the window open with its message
        if (!foreign && !exists) // an abandoned new voucher takes its payment vouchers along
            session_.db->execute(QStringLiteral("DELETE FROM TMPF947RPDETDET") + kPaymentsWhere,
                                 {ruc_, serie_, numero_});
    } catch (const DbError& e) {
        dbError(e.text());
        return false;
    }
    return true;
}

} // namespace ret
