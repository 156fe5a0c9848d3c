// The declaration window's subject list: its totals and count, and the detail windows it opens.
#include "declaration/Frm947.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "common/Windows.h"

namespace ret {

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

} // namespace ret
