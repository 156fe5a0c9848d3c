#include "detail/FrmAgeRet.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "common/Windows.h"

namespace ret {
namespace {

constexpr int kBackspace = 8;

const QString kInvalidRuc = QString::fromUtf8("El RUC no es Válido.");
const QString kOwnRuc = QStringLiteral("El RUC no puede ser igual al del declarante.");
const QString kStaged = QString::fromUtf8("El RUC del agente de retención ya se registró.");
const QString kCountSuffix = QStringLiteral("   Registros      ");
const QString kListAmount = QStringLiteral("###,###,###,##0.#0");

// The Spanish capitals that the key conversion gives (Windows-1252 codes): Ñ, Á, É, Í, Ó, Ú, Ü,
// which the import also keeps in a name.
bool isSpanishCapital(int key) {
    switch (key) {
    case 0xD1:
    case 0xC1:
    case 0xC9:
    case 0xCD:
    case 0xD3:
    case 0xDA:
    case 0xDC:
        return true;
    default:
        return false;
    }
}

} // namespace

FrmAgeRet::FrmAgeRet(Session& session) : session_(session) {}

// ---------------------------------------------------------------------------------- helpers

void FrmAgeRet::notify() {
    if (onChange)
        onChange();
}

bool FrmAgeRet::detailNew() const {
    return mode_ == QLatin1String("0");
}

void FrmAgeRet::refuse(const QString& text, Focus focus) {
    session_.messages->inform(MsgIcon::Critical, text, kCaption);
    if (focus != Focus::Ruc || rucEnabled_)
        focus_ = focus;
}

void FrmAgeRet::dbError(const QString& text) {
    session_.messages->inform(MsgIcon::None, text, QStringLiteral("Error"));
}

FrmAgeRet::Focus FrmAgeRet::takeFocusRequest() {
    const Focus f = focus_;
    focus_ = Focus::None;
    return f;
}

QString FrmAgeRet::nombresLabel() const {
    return layout_ == Layout::Company ? QString::fromUtf8("Razón Social :")
                                      : QStringLiteral("Nombres :");
}

QStringList FrmAgeRet::heading(int column) {
    switch (column) {
    case Serie:
        return {QString(), QStringLiteral("Serie"), QStringLiteral("Comprobante")};
    case Numero:
        return {QString(), QString::fromUtf8("Número"), QStringLiteral("Comprobante")};
    case Fecha:
        return {QStringLiteral("Fecha"), QString::fromUtf8("de emisión"),
                QStringLiteral("Comprobante")};
    case Base:
        return {QStringLiteral("Monto"), QStringLiteral("Pagado")};
    case Retencion:
        return {QString::fromUtf8("Retención")};
    default:
        return {};
    }
}

QString FrmAgeRet::cell(int row, int column) const {
    if (row < 0 || row >= int(vouchers_.size()))
        return {};
    const SubjectVoucherRow& v = vouchers_[size_t(row)];
    switch (column) {
    case Serie:
        return v.serie;
    case Numero:
        return v.numero;
    case Fecha:
        return v.fecha.isValid() ? v.fecha.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    case Base:
        return formatText(v.base, kListAmount);
    case Retencion:
        return formatText(v.retencion, kListAmount);
    default:
        return {};
    }
}

// ------------------------------------------------------------------------------------- life

void FrmAgeRet::load() {
    sent_ = session_.SentMode;
    mode_ = session_.DetailMode;
    if (detailNew()) {
        rucEnabled_ = true;
        ruc_.clear();
    } else {
        rucEnabled_ = false;
        setRuc(session_.selectedSubject.ruc);
    }
    try {
        refresh();
    } catch (const DbError& e) {
        dbError(e.text());
    }
    changed_ = false;
    notify();
}

void FrmAgeRet::activate() {
    try {
        refresh();
    } catch (const DbError& e) {
        dbError(e.text());
    }
    notify();
}

void FrmAgeRet::refresh() {
    vouchers_ = subjectVouchers(*session_.db, ruc_);
    current_ = vouchers_.empty() ? -1 : 0;
    ++generation_;
    if (!vouchers_.empty())
        setCount(vouchers_.size());
    totals_ = subjectTotals(*session_.db, ruc_);
    totalBase_ = totals_.base ? formatNumber(*totals_.base, QStringLiteral("##############0.#0"))
                              : QString();
    totalRetention_ = totals_.retencion ? formatNumber(*totals_.retencion, kListAmount) : QString();
}

void FrmAgeRet::setCount(size_t rows) {
    voucherCount_ = QString::number(rows);
    countCaption_ = voucherCount_ + kCountSuffix;
}

void FrmAgeRet::setCurrentVoucher(int row) {
    if (row < -1 || row >= int(vouchers_.size()) || row == current_)
        return;
    current_ = row;
    notify();
}

// ----------------------------------------------------------------------------------- fields

void FrmAgeRet::setRuc(const QString& text) {
    if (text == ruc_)
        return;
    ruc_ = text;
    applyLayout();
    if (!detailNew()) {
        const SubjectSelection& s = session_.selectedSubject;
        if (layout_ == Layout::Company) {
            nombres_ = s.razon;
        } else {
            apellidoP_ = s.apellidoP;
            apellidoM_ = s.apellidoM;
            nombres_ = s.nombres;
        }
    }
    if (ruc_.size() == 11)
        rucTypingChecks();
    notify();
}

void FrmAgeRet::applyLayout() {
    if (isCompany())
        layout_ = Layout::Company;
    else if (ruc_.size() >= 2)
        layout_ = Layout::Person;
    // the narrower field keeps what fits, as the field itself does
    nombres_.truncate(nombresMaxLength());
}

void FrmAgeRet::rucTypingChecks() {
    // every check speaks, so that the user hears all that is wrong with the number
    const QString r = ruc_.trimmed();
    if (!session_.rules->IsValidRuc(r))
        refuse(kInvalidRuc, Focus::Ruc);
    if (r == session_.CurrentRuc.trimmed())
        refuse(kOwnRuc, Focus::Ruc);
    if (!detailNew())
        return;
    try {
        if (subjectStaged(*session_.db, ruc_))
            refuse(kStaged, Focus::Ruc);
    } catch (const DbError& e) {
        dbError(e.text());
    }
}

void FrmAgeRet::setApellidoP(const QString& text) {
    apellidoP_ = text;
}

void FrmAgeRet::setApellidoM(const QString& text) {
    apellidoM_ = text;
}

void FrmAgeRet::setNombres(const QString& text) {
    nombres_ = text.left(nombresMaxLength());
}

int FrmAgeRet::rucKey(int key) {
    changed_ = true;
    return session_.rules->FilterDigitKey(key, false);
}

int FrmAgeRet::nameKey(int key) {
    changed_ = true;
    const int k = session_.rules->ConvertKey(key);
    const bool kept = k == ' ' || (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z') ||
                      (k >= '0' && k <= '9') || k == kBackspace || isSpanishCapital(k);
    return kept ? k : 0;
}

// ----------------------------------------------------------------------------------- checks

bool FrmAgeRet::supplierChecks(int last) {
    if (ruc_.size() != 11) {
        refuse(kInvalidRuc, Focus::Ruc);
        return false;
    }
    if (!session_.rules->IsValidRuc(ruc_.trimmed())) {
        refuse(kInvalidRuc, Focus::Ruc);
        return false;
    }
    if (ruc_.trimmed() == session_.CurrentRuc.trimmed()) {
        refuse(kOwnRuc, Focus::Ruc);
        return false;
    }
    if (last < 4)
        return true;
    const auto missing = [this](const QString& text, const QString& message, Focus focus) {
        if (!text.trimmed().isEmpty())
            return false;
        refuse(message, focus);
        return true;
    };
    if (isCompany())
        return !missing(nombres_, QString::fromUtf8("Ingrese la Razón Social."), Focus::Nombres);
    return !missing(apellidoP_, QStringLiteral("Ingrese el apellido paterno."), Focus::ApePat) &&
           !missing(apellidoM_, QStringLiteral("Ingrese el apellido materno."), Focus::ApeMat) &&
           !missing(nombres_, QStringLiteral("Ingrese los nombres."), Focus::Nombres);
}

bool FrmAgeRet::alreadyStaged() {
    try {
        if (!subjectStaged(*session_.db, ruc_))
            return false;
        refuse(kStaged, Focus::Ruc);
    } catch (const DbError& e) {
        dbError(e.text());
    }
    return true;
}

// ---------------------------------------------------------------------- voucher operations

void FrmAgeRet::openVoucherWindow(const QString& mode) {
    session_.VoucherMode = mode;
    // the voucher window files what it stages under this RUC
    session_.selectedSubject.ruc = ruc_;
    if (mode == QLatin1String("1")) {
        const SubjectVoucherRow& v = vouchers_[size_t(current_)];
        session_.selectedVoucher = {v.serie, v.numero,
                                    v.fecha.isValid() ? v.fecha.toString("dd/MM/yyyy") : QString(),
                                    v.base, v.retencion};
    } else {
        session_.selectedVoucher = {};
    }
    session_.windows->open(Window::FrmDetAgeRet);
}

void FrmAgeRet::nuevo() {
    session_.VoucherMode = QStringLiteral("0");
    if (!supplierChecks(4) || (detailNew() && alreadyStaged())) {
        notify();
        return;
    }
    openVoucherWindow(QStringLiteral("0"));
    // its vouchers are filed under this RUC from now on
    rucEnabled_ = false;
    changed_ = true;
    activate();
}

void FrmAgeRet::modificar() {
    session_.VoucherMode = QStringLiteral("1");
    if (vouchers_.empty())
        return;
    if (!supplierChecks(3)) {
        notify();
        return;
    }
    if (current_ < 0)
        current_ = 0;
    openVoucherWindow(QStringLiteral("1"));
    changed_ = true;
    activate();
}

void FrmAgeRet::eliminar() {
    if (vouchers_.empty() || current_ < 0)
        return;
    if (!session_.messages->askYesNo(
            MsgIcon::Question, QString::fromUtf8("¿Confirma que va a eliminar la información?"),
            kCaption, MsgAnswer::No))
        return;
    const SubjectVoucherRow v = vouchers_[size_t(current_)];
    try {
        deleteSubjectVoucher(*session_.db, ruc_, v.serie, v.numero);
        refresh();
        setCount(vouchers_.size());
    } catch (const DbError& e) {
        dbError(e.text());
    }
    notify();
}

// --------------------------------------------------------------------------- accept and exit

QString FrmAgeRet::storedBase() const {
    if (!totals_.base)
        return {};
    // the shown total must fit the 15-character column: from 13 integer digits on, no decimals,
    // which holds a whole total exactly; one with cents is refused rather than stored rounded
    if (totalBase_.size() < 16)
        return formatNumber(*totals_.base, QStringLiteral("############.#0"));
    const QString whole = formatNumber(*totals_.base, QStringLiteral("##############0"));
    if (Decimal::leadingValue(whole) != *totals_.base)
        throw subjectTotalTooLarge(ruc_);
    return whole;
}

QString FrmAgeRet::storedRetention() const {
    return totals_.retencion ? formatNumber(*totals_.retencion, QStringLiteral("###########0.#0"))
                             : QString();
}

bool FrmAgeRet::aceptar() {
    if (!supplierChecks(4)) {
        notify();
        return false;
    }
    if (vouchers_.empty()) {
        refuse(QString::fromUtf8("Ingrese al menos un comprobante de retención"), Focus::None);
        notify();
        return false;
    }
    SubjectRecord r;
    r.ruc = ruc_;
    r.company = isCompany();
    if (r.company) {
        r.razon = nombres_;
    } else {
        r.razon =
            (apellidoP_ + QLatin1Char(' ') + apellidoM_ + QLatin1Char(' ') + nombres_).left(40);
        r.apellidoP = apellidoP_;
        r.apellidoM = apellidoM_;
        r.nombres = nombres_;
    }
    r.count = voucherCount_;
    try {
        r.base = storedBase();
        r.retencion = storedRetention();
        if (writeSubject(*session_.db, r, detailNew()) == SubjectWrite::Duplicate) {
            refuse(kStaged, Focus::Ruc);
            notify();
            return false;
        }
    } catch (const DbError& e) {
        dbError(e.text());
        return false;
    }
    changed_ = false;
    return true;
}

bool FrmAgeRet::salir() {
    if (sent_)
        return true;
    try {
        if (!detailNew() && vouchers_.empty()) {
            if (!session_.messages->askYesNo(
                    MsgIcon::Question,
                    QString::fromUtf8("No hay comprobantes. Si sale se borrará este registro. "
                                      "¿Esta Seguro?"),
                    kCaption, MsgAnswer::No))
                return false;
            deleteSubjectRow(*session_.db, ruc_);
            return true;
        }
        // the declaration's list follows the vouchers even when the names are not saved
        if (!detailNew())
            writeSubjectTotals(*session_.db, ruc_, voucherCount_, storedBase(), storedRetention());
    } catch (const DbError& e) {
        dbError(e.text());
        return false;
    }
    if (changed_ && session_.messages->askYesNo(
                        MsgIcon::Question,
                        QString::fromUtf8("La información ha sido modificada. ¿Desea guardar los "
                                          "cambios?"),
                        kCaption, MsgAnswer::Yes)) {
        // a refused accept keeps the window open with what was typed and staged
        return aceptar();
    }
    if (detailNew() && !ruc_.isEmpty()) {
        try {
            dropUnacceptedDetail(*session_.db, ruc_);
        } catch (const DbError& e) {
            dbError(e.text());
            return false;
        }
    }
    return true;
}

} // namespace ret
