#include "detail/frmRetDet.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "detail/SerieRules.h"
#include "detail/VoucherFields.h"

namespace ret {
namespace {

const QString kKeyWhere = QStringLiteral(" WHERE num_doc_ret = ? AND num_serie_cp = ? AND "
                                         "num_cp = ? AND tip_cp_det = ? AND num_serie_det = ? "
                                         "AND num_cp_det = ?");

} // namespace

frmRetDet::frmRetDet(Session& session) : VoucherEntryFields(session, kCaption) {}

QString frmRetDet::typeCode() const {
    return type_ < 0 ? QString() : types_[type_].left(2);
}

// ------------------------------------------------------------------------------------- load

void frmRetDet::fillTypes() {
    types_.clear();
    const SqlDialect& d = session_.db->dialect();
    Cursor c = session_.db->query(
        QStringLiteral("SELECT argumento, funcion FROM PARAM WHERE numero = '233' AND %1 = '1'")
            .arg(d.substring(QStringLiteral("funcion"), 63, 1)));
    while (c.next())
        types_ << c.text(0).left(2) + QStringLiteral("   ") + c.text(1).left(40).leftJustified(40);
}

void frmRetDet::load() {
    loading_ = true;
    changed_ = false;
    readOnly_ = session_.SentMode;
    ownerRuc_ = session_.selectedSubject.ruc.trimmed();
    ownerSerie_ = session_.selectedVoucher.serie.trimmed();
    ownerNumero_ = session_.selectedVoucher.numero.trimmed();
    fecha_ = voucher::kEmptyDate;
    isNew_ = session_.PaymentVoucherMode != QLatin1String("1");
    try {
        fillTypes();
    } catch (const DbError& e) {
        showDbError(e.text());
    }
    keyEnabled_ = isNew_ && !readOnly_;
    if (!isNew_) {
        const PaymentSelection& p = session_.selectedPayment;
        bool numeric = false;
        const int wanted = p.tipo.trimmed().toInt(&numeric);
        for (int i = 0; numeric && i < types_.size(); ++i) {
            if (types_[i].left(2).toInt() == wanted) {
                applyType(i);
                break;
            }
        }
        serie_ = p.serie.trimmed();
        numero_ = p.numero.trimmed();
        if (!p.fecha.trimmed().isEmpty())
            setFecha(p.fecha.trimmed());
        QString monto = p.monto.trimmed();
        if (creditNote() && monto.startsWith(QLatin1Char('-')))
            monto = monto.mid(1); // stored negative, typed and shown positive
        total_ = monto;
    }
    focus_ = Focus::None;
    loading_ = false;
    notify();
}

// ----------------------------------------------------------------------------------- fields

void frmRetDet::applyType(int index) {
    type_ = index;
    desDoc_ = types_[index].right(40).trimmed();
    if (typeCode() == QLatin1String("99")) {
        numeroMax_ = 15;
    } else {
        numeroMax_ = 8;
        if (numero_.trimmed().size() > 8)
            numero_.clear();
    }
    if (creditNote()) {
        totalMax_ = 14;
        total_.clear();
    } else {
        totalMax_ = 15;
    }
}

void frmRetDet::chooseType(int index) {
    if (readOnly_ || !keyEnabled_ || index < 0 || index >= types_.size())
        return;
    applyType(index);
    focus_ = Focus::Serie;
    notify();
}

int frmRetDet::serieKey(int key, int caret, bool hasSelection) {
    const bool letters = type_ >= 0 && serie::lettersAllowedFor(typeCode());
    return serieKeyWith(key, caret, hasSelection, letters);
}

void frmRetDet::numeroFocusOut() {
    padNumero(typeCode() == QLatin1String("99") ? 15 : 8);
}

void frmRetDet::setFecha(const QString& text) {
    setFechaThen(text, [this] { ValidaFechaOrigen(); });
}

bool frmRetDet::ValidaFechaOrigen() {
    const QString period = session_.CurrentPeriod;
    const int ym = voucher::yearMonth(fecha_).toInt();
    if (ym > period.toInt()) {
        error(QString::fromUtf8("La fecha de emisión del comprobante de pago no es válido cuando "
                                "es posterior al periodo ") +
                  voucher::periodShown(period),
              Focus::Fecha);
        return false;
    }
    if (!loading_ && ym < 200206) {
        if (!session_.messages->askYesNo(
                MsgIcon::Question,
                QStringLiteral("La fecha del comprobante de pago es "
                               "anterior al 01/06/2002. ¿Desea continuar?"),
                kCaption, MsgAnswer::Yes)) {
            focus_ = Focus::Fecha;
            notify();
            return false;
        }
        focus_ = Focus::Total;
    }
    return monthValid();
}

int frmRetDet::totalKey(int key) {
    // a credit note keeps a place for its sign when stored
    return creditNote() ? amountKeyWith(key, total_, totalMax_, 11, 14)
                        : amountKeyWith(key, total_, totalMax_, 12, 15);
}

void frmRetDet::setTotal(const QString& text) {
    if (text == total_)
        return;
    total_ = text;
    notify();
}

void frmRetDet::totalFocusIn() {
    // a credit note keeps a place for its sign when stored
    totalMax_ = creditNote() ? 14 : 15;
    setTotal(formatText(total_, creditNote() ? QStringLiteral("##########0.#0")
                                             : QStringLiteral("###########0.#0")));
}

void frmRetDet::totalFocusOut() {
    totalMax_ = 18;
    setTotal(formatText(total_, QStringLiteral("###,###,###,##0.#0")));
}

bool frmRetDet::ValidaGrabar() {
    if (type_ < 0) {
        error(QStringLiteral("Ingrese el tipo de documento"), Focus::Tipo);
        return false;
    }
    if (!checkKeyFields(QString::fromUtf8("El número de comprobante de pago no puede ser cero")))
        return false;
    const QDate date = voucher::readDate(fecha_);
    if (!date.isValid() || !session_.rules->IsDateInRange(fecha_, QStringLiteral("01/01/1900"),
                                                          QStringLiteral("01/01/2500"))) {
        error(QString::fromUtf8("Debe ingresar una fecha válida."), dateFocus());
        return false;
    }
    if (!ValidaFechaOrigen())
        return false;
    if (!serieAccepted(serie::paymentFault(typeCode(), serie_, date)))
        return false;
    if (total_.trimmed().isEmpty()) {
        error(QStringLiteral("Ingrese el valor total del comprobante de pago"), Focus::Total);
        return false;
    }
    return true;
}

// ------------------------------------------------------------------------ save and leave

bool frmRetDet::grabar() {
    if (readOnly_ || !ValidaGrabar())
        return false;
    const Decimal amount = voucher::amountOf(total_);
    // credit notes are stored negative; the text fits the 15-character column either way
    const QString monto = creditNote() ? formatNumber(-amount, QStringLiteral("###########.#0"))
                                       : formatNumber(amount, QStringLiteral("############.#0"));
    const QVariantList key = {ownerRuc_, ownerSerie_, ownerNumero_, typeCode(), serie_, numero_};
    const QDate date = voucher::readDate(fecha_);
    try {
        if (isNew_) {
            if (session_.db->scalar(QStringLiteral("SELECT 1 FROM TMPF947RPDETDET") + kKeyWhere,
                                    key)) {
                error(QStringLiteral("La información ya ha sido registrada"), Focus::None);
                return false;
            }
            session_.db->execute(
                QStringLiteral("INSERT INTO TMPF947RPDETDET (num_doc_ret, num_serie_cp, num_cp, "
                               "tip_cp_det, num_serie_det, num_cp_det, fec_emis_det, mto_cp_det) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                key + QVariantList{date, monto});
        } else {
            session_.db->execute(QStringLiteral("UPDATE TMPF947RPDETDET SET fec_emis_det = ?, "
                                                "mto_cp_det = ?") +
                                     kKeyWhere,
                                 QVariantList{date, monto} + key);
        }
    } catch (const DbError& e) {
        showDbError(e.text());
        notify();
        return false;
    }
    session_.messages->inform(MsgIcon::Information,
                              QStringLiteral("La información se grabó satisfactoriamente"),
                              kCaption);
    return true;
}

void frmRetDet::clearForNext() {
    try {
        fillTypes();
    } catch (const DbError& e) {
        showDbError(e.text());
    }
    type_ = -1;
    desDoc_.clear();
    serie_.clear();
    numero_.clear();
    numeroMax_ = 8;
    fecha_ = voucher::kEmptyDate;
    total_.clear();
    totalMax_ = 18;
    focus_ = Focus::Tipo;
    changed_ = false;
}

bool frmRetDet::aceptar() {
    if (!grabar())
        return false;
    if (!isNew_)
        return true;
    clearForNext();
    notify();
    return false;
}

bool frmRetDet::salir() {
    if (readOnly_ || !changed_)
        return true;
    if (!session_.messages->askYesNo(
            MsgIcon::Question,
            QString::fromUtf8("La información ha sido modificada. ¿Desea guardar los cambios?"),
            kCaption, MsgAnswer::Yes))
        return true;
    // a save that stops keeps the window open with its message and what was typed
    return grabar();
}

} // namespace ret
