// The declaration window: construction, load, the header (contributor, period, modality) and
// the tabs. Boxes, the subject list and saving live in Frm947Boxes.cpp, Frm947Subjects.cpp and
// Frm947Save.cpp.
#include "declaration/Frm947.h"

#include "common/Database.h"
#include "common/Lookups.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "declaration/Frm947Parts.h"
#include "declaration/RetentionRate.h"
#include "declaration/Verifier.h"

namespace ret {
namespace {

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
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
        }
        if (sent_) {
            const auto norden = session_.db->scalar(
                QStringLiteral("SELECT norden FROM HCAB WHERE doc_id_d = ? AND tip_doc_d = 6 AND "
                               "periodo = ? AND formulario = ? AND correl = ?"),
                {ruc(), period(), session_.formulario, session_.SelectedCorrel});
            if (norden)
                orderNumber_ = norden->isNull() ? QStringLiteral("0") : norden->toString();
        }
        if (session_.OperationMode == 1)
            openStored();
        else
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

void Frm947::openStored() {
    if (ruc().isEmpty() || period_.contains(QLatin1Char('_'))) {
        loadDetailAndList();
        return;
    }
    // the boxes, the detail and the version from one stored state
    const OpenedDeclaration opened = openDeclaration(*session_.db, id());
    loaded_ = opened.version;
    for (const auto& [code, value] : opened.stored.boxes)
        muestraCasilla(code, value);
    if (opened.stored.headerFound) {
        payment_.banco = opened.stored.banco;
        payment_.numcheque = opened.stored.numcheque;
        if (sent_)
            payment_.habilitado = QStringLiteral("0");
    }
    showStagedList();
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
    showStagedList();
}

void Frm947::showStagedList() {
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
    return frm947::isEditKey(key);
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

} // namespace ret
