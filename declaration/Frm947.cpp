#include "declaration/Frm947.h"

#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "common/WholeFile.h"
#include "common/Windows.h"
#include "declaration/RetentionRate.h"
#include "declaration/Verifier.h"

namespace ret {
namespace {

constexpr int kBackspace = 8;

bool isDigitKey(int key) {
    return key >= '0' && key <= '9';
}

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// A typed box as it shows once the focus has left it: box 402 as a deduction in parentheses.
QString restingForm(int code, const QString& text) {
    if (code == 402)
        return text.trimmed().isEmpty() ? text
                                        : formatText(text, QStringLiteral("(###,###,###,##0)"));
    return formatText(text, QStringLiteral("###,###,###,##0"));
}

} // namespace

Frm947::Frm947(Session& session, std::function<QDate()> today)
    : session_(session), today_(std::move(today)) {}

// ---------------------------------------------------------------------------------- helpers

void Frm947::notify() {
    if (onChange)
        onChange();
}

void Frm947::error(const QString& text) {
    session_.messages->inform(MsgIcon::Critical, text, kCaption);
}

Frm947::Focus Frm947::takeFocusRequest() {
    const Focus f = focus_;
    focus_ = Focus::None;
    return f;
}

QString Frm947::ruc() const {
    if (!isNew_)
        return fixedRuc_.trimmed();
    if (contributor_ < 0)
        return {};
    return contributors_[size_t(contributor_)].ruc();
}

DeclarationId Frm947::id() const {
    DeclarationId id;
    id.ruc = ruc();
    id.period = period();
    id.form = session_.formulario;
    id.sent = sent_;
    id.correl = session_.SelectedCorrel;
    return id;
}

QString Frm947::controlNumber() const {
    return session_.SelectedControlNumber.trimmed();
}

// ------------------------------------------------------------------------------------- load

void Frm947::load() {
    isNew_ = session_.OperationMode == 0;
    sent_ = session_.SentMode && session_.OperationMode == 1;
    try {
        if (isNew_)
            fillContributors();
        fillModalities();
        payment_ = PaymentForm{};
        helpContext_ = sent_ ? 1015 : 1020;
        if (sent_) {
            const QString listed = session_.SelectedOrderNumber.trimmed();
            orderNumber_ = listed == QLatin1String("0") ? QString() : listed;
        }
        if (session_.OperationMode == 1) { // the row of the list that opened the window
            fixedRuc_ = session_.listRow.ruc.trimmed();
            name_ = session_.listRow.name;
            const QString p = session_.listRow.period.trimmed();
            period_ = p.left(2) + QLatin1Char('/') + p.mid(2, 4);
            cargaCasillas();
        }
        if (sent_) {
            const auto norden = session_.db->scalar(
                QStringLiteral("SELECT norden FROM HCAB WHERE doc_id_d = ? AND tip_doc_d = 6 AND "
                               "periodo = ? AND formulario = ? AND correl = ?"),
                {ruc(), period(), session_.formulario, session_.SelectedCorrel});
            if (norden)
                orderNumber_ = norden->isNull() ? QStringLiteral("0") : norden->toString();
        }
        loadDetailAndList();
        lookUpRate();
        if (sent_) {
            boxesEnabled_ = false;
            payment_.habilitado = QStringLiteral("0");
            if (session_.SelectedOrderNumber.trimmed().size() >= 8)
                verifier_ = CalculaVerificador(session_.SelectedControlNumber,
                                               session_.SelectedOrderNumber);
        }
    } catch (const DbError& e) {
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
    changed_ = false;
    notify();
}

void Frm947::activate() {
    try {
        refreshList();
    } catch (const DbError& e) {
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
    if (sent_)
        focus_ = Focus::OrderNumber;
    notify();
}

void Frm947::fillContributors() {
    contributors_.clear();
    const SqlText q =
        SqlContribuyentes(*session_.db, session_.formulario, session_.config.currentUser);
    Cursor c = session_.db->query(q.sql, q.params);
    while (c.next()) {
        // the list's second column is the RUC and its fourth the name
        const QString r = c.text(1).left(11).trimmed();
        contributors_.push_back({r + blanks(7) + c.text(3) + blanks(10)});
    }
}

void Frm947::fillModalities() {
    modalities_.clear();
    Cursor c = session_.db->query(
        QStringLiteral("SELECT argumento, funcion FROM PARAM WHERE numero = '971'"));
    while (c.next()) {
        const QString f = c.text(1);
        modalities_.push_back({f.left(40) + blanks(50) + f.mid(40, 1) + blanks(50) + c.text(0)});
    }
}

void Frm947::cargaCasillas() {
    if (isNew_ || ruc().isEmpty() || period_.contains(QLatin1Char('_')))
        return;
    const StoredDeclaration stored = readStored(*session_.db, id());
    for (const auto& [code, value] : stored.boxes)
        muestraCasilla(code, value);
    if (stored.headerFound) {
        payment_.banco = stored.banco;
        payment_.numcheque = stored.numcheque;
        if (sent_)
            payment_.habilitado = QStringLiteral("0");
    }
}

void Frm947::muestraCasilla(const QString& code, const QString& value) {
    bool numeric = false;
    const int c = code.toInt(&numeric);
    if (!numeric)
        return;
    switch (c) {
    case 402:
        setBoxRaw(402, formatNumber(readNumber(value, QStringLiteral("#########0")).abs(),
                                    QStringLiteral("(#,###,###,##0)")));
        return;
    case 401:
    case 403:
    case 404:
    case 405:
    case 410:
        setBoxRaw(c, formatText(value, QStringLiteral("#,###,###,##0")));
        return;
    case 500:
        modality_ = -1;
        for (size_t i = 0; i < modalities_.size(); ++i) {
            if (modalities_[i].code() == value) {
                modality_ = int(i);
                break;
            }
        }
        return;
    case 871:
        rectification_ = value;
        return;
    case 999:
        if (value == QLatin1String("E") || value == QLatin1String("C"))
            payment_.formapago = value;
        return;
    default:
        return; // stored for other purposes
    }
}

void Frm947::loadDetailAndList() {
    loadDetail(*session_.db, id());
    refreshList();
    const auto [base, retention] = stagedTotals(*session_.db);
    totalBase_ = base;
    totalRetention_ = retention;
}

// ----------------------------------------------------------------------------------- header

void Frm947::chooseContributor(int index) {
    if (index < 0 || index >= int(contributors_.size()))
        return;
    contributor_ = index;
    // A new declaration shows no stored boxes: whatever is stored under the contributor and the
    // period typed so far belongs to another declaration, and would be saved as this one's.
    name_ = contributors_[size_t(index)].name();
    runPeriodHandler();
    if (isNew_ && periodEnabled())
        focus_ = Focus::Period;
    StatusTexts t = session_.status;
    t.ruc = ruc();
    t.name = name_;
    session_.setStatus(t);
    notify();
}

void Frm947::chooseModality(int index) {
    if (index >= int(modalities_.size()))
        return;
    modality_ = index;
    runPeriodHandler();
    notify();
}

void Frm947::setPeriodText(const QString& text) {
    if (text == period_)
        return;
    period_ = text;
    runPeriodHandler();
    notify();
}

void Frm947::runPeriodHandler() {
    try {
        periodHandler();
    } catch (const DbError& e) {
        error(e.text());
    }
}

bool Frm947::periodKey(int key) {
    changed_ = true;
    return isDigitKey(key) || key == kBackspace;
}

void Frm947::periodHandler() {
    if (session_.OperationMode != 0)
        return;
    if (period_.contains(QLatin1Char('_'))) {
        tab_ = TabIdentificacion;
        return;
    }
    if (!ValidaPeriodo())
        return;
    StatusTexts t = session_.status;
    t.period = period_;
    session_.setStatus(t);
    if (duplicate()) {
        error(QStringLiteral("La declaración ya ha sido registrada."));
        focus_ = Focus::Period;
        return;
    }
    lookUpRate();
}

bool Frm947::duplicate() {
    DeclarationId key = id();
    key.sent = false;
    return declarationExists(*session_.db, key);
}

void Frm947::lookUpRate() {
    const QString cls = modality_ >= 0 ? modalities_[size_t(modality_)].modalityClass() : QString();
    session_.RetentionRate = BuscaTasaRetencion(*session_.db, cls, period());
}

bool Frm947::ValidaPeriodo() {
    switch (checkPeriod(period_, today_())) {
    case PeriodCheck::Incomplete:
        return false;
    case PeriodCheck::Invalid:
        tab_ = TabIdentificacion;
        error(QStringLiteral("El periodo no es válido."));
        if (periodEnabled())
            focus_ = Focus::Period;
        return false;
    case PeriodCheck::Valid:
        return true;
    }
    return false;
}

bool Frm947::ValidaContForm1() {
    const auto refuse = [&](const QString& text, Focus f) {
        tab_ = TabIdentificacion;
        if (!text.isEmpty())
            error(text);
        if ((f == Focus::Contributor && contributorEnabled()) ||
            (f == Focus::Period && periodEnabled()))
            focus_ = f;
        notify();
        return false;
    };
    if (isNew_ && ruc().isEmpty())
        return refuse(QStringLiteral("Debe seleccionar un Contribuyente."), Focus::Contributor);
    if (isNew_ && period_ == kEmptyPeriod)
        return refuse(QStringLiteral("Debe ingresar Período."), Focus::Period);
    if (modality_ < 0 || modalities_[size_t(modality_)].entry.trimmed().isEmpty())
        return refuse(QString::fromUtf8("Señale la modalidad por la que ha sido notificado como "
                                        "agente de retención."),
                      Focus::None);
    if (isNew_ && periodEnabled() && duplicate())
        return refuse(QStringLiteral("La declaración ya ha sido registrada."), Focus::Period);
    if (period_.trimmed() == kEmptyPeriod)
        return refuse(QString(), Focus::Period);
    if (!ValidaPeriodo())
        return refuse(QString(), Focus::Period);
    return true;
}

void Frm947::setRectification(bool si) {
    rectification_ = si ? QStringLiteral("1") : QStringLiteral("0");
    changed_ = true;
    notify();
}

void Frm947::setAgentRetention(bool si) {
    agentRetention_ = si;
    changed_ = true;
    boxesEnabled_ = si && !sent_;
    if (!si) {
        modality_ = -1;
        for (int code : kBoxes)
            setBoxRaw(code, QString());
        try {
            fillModalities();
            deleteStagedRetentions(*session_.db);
            refreshList();
        } catch (const DbError& e) {
            error(e.text());
        }
    }
    notify();
}

// ------------------------------------------------------------------------------------- tabs

int Frm947::selectTab(int tab) {
    static constexpr int kHelp[] = {1020, 1021, 1018};
    if (tab < 0 || tab > 2)
        return tab_;
    helpContext_ = kHelp[tab];
    if (tab != TabIdentificacion && isNew_) {
        if (ruc().isEmpty()) {
            tab_ = TabIdentificacion;
            error(QStringLiteral("Ingrese el RUC."));
            focus_ = contributorEnabled() ? Focus::Contributor : Focus::None;
            notify();
            return tab_;
        }
        if (period_.contains(QLatin1Char('_'))) {
            tab_ = TabIdentificacion;
            error(QStringLiteral("El periodo no es válido."));
            focus_ = periodEnabled() ? Focus::Period : Focus::None;
            notify();
            return tab_;
        }
    }
    if (tab != TabIdentificacion && !ValidaContForm1())
        return tab_;
    // from here on a new declaration keeps its contributor, period and modality
    if (tab == TabRetencion && isNew_)
        headerLocked_ = true;
    tab_ = tab;
    if (tab == TabDeuda && boxesEnabled_)
        focus_ = Focus::Box402;
    refreshCount();
    notify();
    return tab_;
}

// ------------------------------------------------------------------------------------ boxes

QString Frm947::box(int code) const {
    const auto it = boxes_.find(code);
    return it == boxes_.end() ? QString() : it->second;
}

void Frm947::setBoxRaw(int code, const QString& text) {
    boxes_[code] = text;
    switch (code) {
    case 401:
    case 402:
        calcular403();
        break;
    case 403:
    case 404:
        calcular405();
        break;
    case 410:
        calcularTotal();
        break;
    default:
        break;
    }
}

void Frm947::setBox(int code, const QString& text) {
    if (box(code) == text)
        return;
    setBoxRaw(code, text);
    notify();
}

void Frm947::calcular403() {
    if (box(401).isEmpty() && box(402).isEmpty()) {
        setBoxRaw(403, QString());
        return;
    }
    const QString plain = QStringLiteral("#########0");
    const Decimal r = readNumber(box(401), plain) - readNumber(box(402), plain).abs();
    setBoxRaw(403, r.isNegative() ? QStringLiteral("0") : formatNumber(r, "#,###,###,##0"));
}

void Frm947::calcular405() {
    if (box(403).isEmpty() && box(404).isEmpty()) {
        setBoxRaw(405, QString());
        return;
    }
    const QString plain = QStringLiteral("#########0");
    const Decimal t = readNumber(box(403), plain) + readNumber(box(404), plain);
    setBoxRaw(405, t.isNegative() ? QStringLiteral("0") : formatNumber(t, "#,###,###,##0"));
}

void Frm947::calcularTotal() {
    if (box(410).isEmpty()) {
        payment_.importe.clear();
        return;
    }
    const Decimal x = readNumber(box(410), QStringLiteral("#########0"));
    payment_.importe = x.isNegative() ? QStringLiteral("0") : formatNumber(x, "#,###,###,##0");
}

QString Frm947::boxFocusIn(int code) {
    typing_ = code;
    const QString text = box(code);
    QString shown;
    if (code == 402) {
        if (!text.trimmed().isEmpty())
            shown = formatNumber(readNumber(text, QStringLiteral("############")).abs(),
                                 QStringLiteral("############"));
    } else {
        shown = formatText(text, QStringLiteral("###########0"));
    }
    setBox(code, shown);
    return shown;
}

void Frm947::boxFocusOut(int code) {
    typing_ = 0;
    setBox(code, restingForm(code, box(code)));
}

QString Frm947::restingBox(int code) const {
    return code == typing_ ? restingForm(code, box(code)) : box(code);
}

bool Frm947::boxKey(int key) {
    changed_ = true;
    return isDigitKey(key) || key == kBackspace;
}

int Frm947::boxMaxLength(int code, bool focused) const {
    if (focused)
        return 12;
    return code == 402 ? 18 : 15;
}

void Frm947::setPayment(const PaymentForm& p) {
    const QString importe = payment_.importe; // the amount follows box 410, not the control
    payment_ = p;
    payment_.importe = importe;
    changed_ = true;
    notify();
}

// ----------------------------------------------------------------------------- subject list

void Frm947::refreshList() {
    subjects_ = stagedSubjects(*session_.db);
    currentSubject_ = subjects_.empty() ? -1 : 0;
    refreshTotals();
    // the count follows the list, so that box 501 is right however the user got here
    refreshCount();
}

void Frm947::setCurrentSubject(int row) {
    if (row < -1 || row >= int(subjects_.size()))
        return;
    currentSubject_ = row;
    refreshTotals();
    notify();
}

void Frm947::refreshTotals() {
    const QString cents = QStringLiteral("###########0.#0");
    Decimal base;
    Decimal retention;
    for (const SubjectRow& s : subjects_) {
        base += Decimal::leadingValue(formatText(s.base, cents));
        retention += Decimal::leadingValue(formatText(s.retention, cents));
    }
    const QString shown = QStringLiteral("###,###,###,###,###");
    totalBase_ = formatNumber(base, shown);
    totalRetention_ = formatNumber(retention, shown);
    setBoxRaw(401, formatText(totalRetention_, shown));
}

void Frm947::refreshCount() {
    const QString n = QString::number(subjects_.size());
    countCaption_ = n + QStringLiteral("   Registros      ");
    countTag_ = n;
}

void Frm947::nuevo() {
    session_.RetentionKind = QStringLiteral("R");
    session_.DetailMode = QStringLiteral("0");
    session_.CurrentRuc = ruc();
    session_.CurrentPeriod = period();
    session_.selectedSubject = {};
    session_.windows->open(Window::FrmAgeRet);
    changed_ = true;
    activate();
}

void Frm947::modificar() {
    session_.RetentionKind = QStringLiteral("R");
    session_.DetailMode = QStringLiteral("1");
    session_.CurrentRuc = ruc();
    session_.CurrentPeriod = period();
    if (currentSubject_ < 0)
        return;
    const SubjectRow& s = subjects_[size_t(currentSubject_)];
    session_.selectedSubject = {s.ruc, s.razon, s.apellidoP, s.apellidoM, s.nombres};
    session_.windows->open(Window::FrmAgeRet);
    changed_ = true;
    activate();
}

void Frm947::eliminar() {
    session_.RetentionKind = QStringLiteral("R");
    if (currentSubject_ < 0)
        return;
    if (!session_.messages->askYesNo(
            MsgIcon::Question, QString::fromUtf8("¿Confirma que va a eliminar la información?"),
            kCaption, MsgAnswer::No))
        return;
    try {
        deleteStagedSubject(*session_.db, subjects_[size_t(currentSubject_)].ruc);
        refreshList();
    } catch (const DbError& e) {
        error(e.text());
    }
    changed_ = true;
    notify();
}

void Frm947::importar() {
    session_.RetentionKind = QStringLiteral("R");
    session_.DetailMode = QStringLiteral("3");
    session_.CurrentRuc = ruc();
    session_.CurrentPeriod = period();
    session_.windows->open(Window::frmTransferencia);
    activate();
    changed_ = true;
    notify();
}

// ----------------------------------------------------------------------- validate and save

void Frm947::validar() {
    if (!ValidaContForm1())
        return;
    for (const QString& m : amountMessages(box(405), box(410)))
        session_.messages->inform(MsgIcon::Information, m, kCaption);
    const QStringList lines = inconsistencies({box(401), box(405), box(410), payment_});
    inconsistencyFile_.clear();
    for (const QString& l : lines)
        inconsistencyFile_ += l + QStringLiteral("\r\n");
    if (const auto failed =
            writeWholeFile(joinPath(session_.config.systemDirectory, QStringLiteral("Mens.txt")),
                           cp1252::encode(inconsistencyFile_))) {
        // the window would show the lines of an earlier validation
        error(failed->message());
        notify();
        return;
    }
    if (lines.isEmpty())
        session_.messages->inform(MsgIcon::Exclamation,
                                  QStringLiteral("La declaración no presenta inconsistencias."),
                                  kCaption);
    else
        session_.windows->open(Window::FrmConsist);
    notify();
}

bool Frm947::grabar() {
    if (sent_)
        return registrar();
    if (!ValidaContForm1())
        return false;
    if (ruc().size() == 8) {
        session_.messages->inform(
            MsgIcon::Information,
            QStringLiteral("No puede grabar declaraciones con RUC de 8, modifique el RUC de 8 a 11 "
                           "en el Modulo de Registro de Declarantes."),
            kCaption);
        return false;
    }
    return runSave();
}

bool Frm947::runSave() {
    SaveInput in;
    in.id = id();
    // a save from the keyboard leaves the focus in the box typed last: store what it holds,
    // not the plain digits it shows while typed in (402 would lose its sign)
    for (int code : kBoxes)
        in.boxes[code] = restingBox(code);
    in.payment = payment_;
    in.rectification = rectification_;
    in.modalityCode = modality_ >= 0 ? modalities_[size_t(modality_)].code() : QString();
    in.retentionRate = session_.RetentionRate;
    in.subjectCount = countTag_;
    in.totalBase = totalBase_;
    in.totalRetention = totalRetention_;
    int estado = 0;
    try {
        estado = saveDeclaration(*session_.db, in, today_());
    } catch (const DbError& e) {
        // nothing was stored; what was typed stays in the window
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        return false;
    }
    if (isNew_)
        periodSaved_ = true;
    for (const QString& m : amountMessages(box(405), box(410)))
        session_.messages->inform(MsgIcon::Information, m, kCaption);
    QString outcome;
    try {
        outcome = DescripcionError(*session_.db, estado == 9 ? 152 : 151);
    } catch (const DbError& e) {
        outcome = e.text();
    }
    session_.messages->inform(MsgIcon::Exclamation, outcome, kCaption);
    changed_ = false;
    notify();
    return true;
}

bool Frm947::salir() {
    if (sent_)
        return closeSent();
    if (changed_ && session_.messages->askYesNo(
                        MsgIcon::Question,
                        QString::fromUtf8("¿El formulario ha sido modificado, desea guardar los "
                                          "cambios?"),
                        kCaption, MsgAnswer::Yes)) {
        // a save that stops keeps the window open with what was typed
        if (!grabar())
            return false;
    }
    session_.setStatusRuc(QString());
    return true;
}

// ------------------------------------------------------------------------- sent declarations

void Frm947::setOrderNumber(const QString& text) {
    if (text == orderNumber_)
        return;
    orderNumber_ = text;
    changed_ = true;
    notify();
}

void Frm947::setVerifier(const QString& text) {
    if (text == verifier_)
        return;
    verifier_ = text;
    changed_ = true;
    notify();
}

bool Frm947::registrar() {
    if (ruc().size() == 8) {
        session_.messages->inform(
            MsgIcon::Information,
            QStringLiteral("No puede grabar declaraciones con RUC de 8, modifique el RUC de 8 a 11 "
                           "en el Modulo de Registro de Declarantes."),
            kCaption);
        return false;
    }
    if (orderNumber_.size() < 8) {
        error(QString::fromUtf8("     El número de orden no es válido"));
        focus_ = Focus::Verifier;
        notify();
        return false;
    }
    if (!ValidaVerificador(session_.SelectedControlNumber, orderNumber_, verifier_)) {
        error(QStringLiteral("     El digito Verificador es incorrecto"));
        focus_ = Focus::Verifier;
        notify();
        return false;
    }
    try {
        registerOrderNumber(*session_.db, id(), orderNumber_);
        session_.messages->inform(MsgIcon::Exclamation, DescripcionError(*session_.db, 151),
                                  kCaption);
    } catch (const DbError& e) {
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        return false;
    }
    changed_ = false;
    notify();
    return true;
}

bool Frm947::closeSent() {
    if (changed_ && session_.messages->askYesNo(
                        MsgIcon::Question,
                        QString::fromUtf8(" El número de orden ha cambiado. ¿Desea guardar los "
                                          "cambios?"),
                        kCaption, MsgAnswer::Yes)) {
        if (orderNumber_.size() < 8) {
            error(QString::fromUtf8("El número de orden es incorrecto"));
            return false;
        }
        if (!ValidaVerificador(session_.SelectedControlNumber, orderNumber_, verifier_)) {
            error(QStringLiteral("Digito verificador incorrecto"));
            return false;
        }
        if (!registrar())
            return false;
    }
    session_.setStatusRuc(QString());
    return true;
}

} // namespace ret
