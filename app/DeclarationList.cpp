#include "app/DeclarationList.h"

#include "common/ChangeRecord.h"
#include "common/Database.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/Windows.h"
#include "declaration/DeclarationHistory.h"
#include "declaration/ListFormats.h"

#include <algorithm>

namespace ret {
namespace {

constexpr int kModify = 1;
constexpr int kDelete = 3;

std::vector<GridColumn> columnsOf(ListKind kind) {
    const GridColumn ruc{QStringLiteral("RUC")};
    const GridColumn name{QStringLiteral("Razón Social")};
    const GridColumn period{QStringLiteral("Periodo")};
    const GridColumn form{QStringLiteral("Formulario")};
    if (kind == ListKind::Registered)
        return {ruc, name, period, form, GridColumn{}, {QStringLiteral("rectifica")}};
    return {ruc,
            name,
            period,
            form,
            {QStringLiteral("N. Orden")},
            {QStringLiteral("Fecha Env.")},
            {QStringLiteral("Control")},
            {QStringLiteral("Correl"), true},
            {QStringLiteral("Rectifica")}};
}

QStringList rowOf(const Cursor& c, ListKind kind) {
    QStringList row;
    const int count = kind == ListKind::Registered ? 6 : 9;
    for (int i = 0; i < count; ++i) {
        if (kind == ListKind::Sent && i == DeclarationList::SentDate)
            row << shownDate(c.value(i));
        else
            row << c.text(i);
    }
    return row;
}

} // namespace

DeclarationList::DeclarationList(Session& session, ListKind kind)
    : QueriedList(session), kind_(kind), mode_(session.OperationMode), columns_(columnsOf(kind)),
      order_(defaultOrder(kind)) {}

DeclarationList::Captions DeclarationList::captions() const {
    const QString select = QStringLiteral("Seleccione la Declaración que desea eliminar :");
    if (kind_ == ListKind::Registered) {
        const QString frame = QStringLiteral("Declaraciones Registradas");
        if (mode_ == kModify)
            return {QStringLiteral("Modificar Declaraciones"),
                    QStringLiteral("Seleccione la Declaración que desea modificar :"),
                    QStringLiteral("&Modificar"), frame};
        if (mode_ == kDelete)
            return {QStringLiteral("Eliminar Declaraciones"), select, QStringLiteral("&Eliminar"),
                    frame};
        return {{}, {}, {}, frame};
    }
    const QString frame = QStringLiteral("Declaraciones Enviadas");
    if (mode_ == kModify)
        return {QStringLiteral("Registrar número de orden"),
                QStringLiteral("Seleccione la Declaración en la que desea registrar el número "
                               "de orden asignado por KORVA :"),
                QStringLiteral("&Registrar"), frame};
    if (mode_ == kDelete)
        return {QStringLiteral("Eliminar Declaraciones Enviadas"), select,
                QStringLiteral("&Eliminar"), frame};
    return {{}, {}, {}, frame};
}

QSize DeclarationList::sizeTwips() const {
    return kind_ == ListKind::Registered ? QSize(7755, 4530) : QSize(9195, 4530);
}

int DeclarationList::helpContext() const {
    return kind_ == ListKind::Registered ? 1016 : 1015;
}

QString DeclarationList::displayText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= int(columns_.size()))
        return {};
    const QString& text = rows_[size_t(row)][column];
    return column == Period ? maskedPeriod(text) : text;
}

void DeclarationList::activate() {
    if (!requery(defaultOrder(kind_)) || rows_.empty())
        return;
    moveTo(std::min(saved_, rowCount() - 1));
}

void DeclarationList::headerClicked(int column) {
    if (kind_ != ListKind::Registered)
        return;
    if (column == Ruc)
        requery(kOrderByRuc);
    else if (column == Name)
        requery(kOrderByName);
}

void DeclarationList::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount() || row == current_)
        return;
    moveTo(row);
}

void DeclarationList::act() {
    try {
        if (mode_ == kModify)
            openDeclaration();
        else if (mode_ == kDelete)
            deleteDeclaration();
    } catch (const DbError& e) {
        showError(e);
    }
}

void DeclarationList::historial() {
    if (rows_.empty() || current_ < 0)
        return;
    const QStringList& r = rows_[size_t(current_)];
    const QString periodo = storedPeriod(r[Period]);
    try {
        session_.History =
            historyText(r[Ruc], periodo,
                        declarationHistory(*session_.db, r[Ruc], periodo, session_.formulario));
    } catch (const DbError& e) {
        showError(e);
        return;
    }
    session_.windows->open(Window::FrmHistorial);
}

void DeclarationList::close() {
    session_.setStatus({QString(), QString(), session_.formulario, QString()});
    rows_.clear();
    current_ = -1;
}

bool DeclarationList::requery(const QString& order) {
    order_ = order;
    try {
        // the rows and their versions from one stored state: a deletion expects what was listed
        Transaction snapshot(*session_.db, Transaction::Writes::SessionTables);
        const bool read = readList(listQuery(session_.db->dialect(), kind_, order,
                                             session_.formulario, session_.config.currentUser),
                                   [this](const Cursor& c) { return rowOf(c, kind_); });
        if (read)
            versions_ = ListedVersions::read(*session_.db, session_.formulario);
        snapshot.commit();
        return read;
    } catch (const DbError& e) {
        showError(e);
        return false;
    }
}

void DeclarationList::moveTo(int row) {
    current_ = row;
    if (windowEnabled_)
        showInStatus(row);
}

void DeclarationList::showInStatus(int row) {
    const QStringList& r = rows_[size_t(row)];
    session_.setStatus(
        {r[Ruc].trimmed(), r[Name].trimmed(), session_.formulario, maskedPeriod(r[Period])});
}

void DeclarationList::setSelectedValues() {
    const QStringList& r = rows_[size_t(current_)];
    session_.SelectedOrderNumber = r[OrderNumber];
    session_.SelectedControlNumber = r[ControlNumber];
    session_.SelectedCorrel = r[Correl];
}

void DeclarationList::openDeclaration() {
    if (rows_.empty())
        return;
    if (kind_ == ListKind::Sent)
        setSelectedValues();
    const QStringList& r = rows_[size_t(current_)];
    session_.listRow = {r[Ruc], r[Name], r[Period]};
    saved_ = current_;
    {
        // the declaration window's own status texts stay while it is open
        windowEnabled_ = false;
        struct Reenable {
            bool& flag;
            ~Reenable() { flag = true; }
        } reenable{windowEnabled_};
        session_.windows->open(Window::Frm947);
    }
    activate();
}

bool DeclarationList::confirmDelete() {
    return session_.messages->askYesNo(MsgIcon::Question, kDeleteQuestion, captions().window,
                                       MsgAnswer::No);
}

void DeclarationList::deleteDeclaration() {
    if (rows_.empty())
        return;
    if (kind_ == ListKind::Sent)
        setSelectedValues();
    if (!confirmDelete())
        return;
    const QStringList& r = rows_[size_t(current_)];
    const SqlDialect& dialect = session_.db->dialect();
    const QString periodo = storedPeriod(r[Period]);
    const std::vector<SqlText> statements =
        kind_ == ListKind::Registered
            ? registeredDeleteStatements(dialect, r[Ruc], periodo, r[Form])
            : sentDeleteStatements(dialect, r[Ruc], periodo, session_.formulario,
                                   session_.SelectedCorrel);
    const bool sent = kind_ == ListKind::Sent;
    const RecordKey key{r[Ruc].trimmed(), periodo, sent ? session_.formulario : r[Form],
                        sent ? session_.SelectedCorrel.trimmed() : QString()};
    try {
        // all of the declaration goes with its entry in the record, or none of it
        Transaction tx(*session_.db);
        RecordedChange change(
            *session_.db, key, Actor::here(session_.config.currentUser, session_.program),
            sent ? action::kEliminadaEnviada : action::kEliminada, versions_.of(key));
        for (const SqlText& s : statements)
            session_.db->execute(s.sql, s.params);
        change.record();
        tx.commit();
    } catch (const ConflictError& e) {
        session_.messages->inform(MsgIcon::Critical,
                                  conflictMessage(e) +
                                      QString::fromUtf8("\nNo se eliminó la declaración; la "
                                                        "lista se muestra de nuevo."),
                                  captions().window);
    }
    requery(order_);
}

} // namespace ret
