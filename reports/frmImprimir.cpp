#include "reports/frmImprimir.h"

#include "common/Database.h"
#include "common/Lookups.h"
#include "common/Messages.h"
#include "common/ReportRegister.h"
#include "common/Session.h"
#include "common/SqlDialect.h"
#include "declaration/DeclarationListSql.h"
#include "declaration/ListFormats.h"
#include "reports/Compose.h"
#include "reports/DeclarationReport.h"
#include "reports/ReportScreens.h"
#include "reports/frmImpxPag.h"

namespace ret::reports {
namespace {

constexpr int kColumns = 11;
constexpr int kPrinting = 2;

std::vector<GridColumn> columnsOf(bool sent) {
    std::vector<GridColumn> c = {
        {QStringLiteral("RUC")},        {QStringLiteral("Razón Social")},
        {QStringLiteral("Periodo")},    {QStringLiteral("Periodo")},
        {QStringLiteral("Formulario")}, {QStringLiteral("Norden")},
        {QStringLiteral("Fec. envio")}, {QStringLiteral("Número de control")},
        {QStringLiteral("Corr")},       {QStringLiteral("Estado")},
        {QStringLiteral("Rectifica")},
    };
    c[frmImprimir::Periodo].hidden = true;
    const std::vector<int> hidden =
        sent ? std::vector<int>{8, 9, 10} : std::vector<int>{5, 6, 7, 8, 9};
    for (const int i : hidden)
        c[size_t(i)].hidden = true;
    return c;
}

// The fields of each mode's list, in the grid's column order; empty where the mode's query
// delivers no such field.
const std::vector<QString>& fieldsOf(bool sent) {
    static const std::vector<QString> registered = {"DOC_ID_D",   "NOMBRE", "PERIODO",  "PERIODOF",
                                                    "FORMULARIO", {},       {},         {},
                                                    {},           "ESTADO", "RECTIFICA"};
    static const std::vector<QString> history = {"DOC_ID_D",   "NOMBRE", "PERIODO",  "PERIODOF",
                                                 "FORMULARIO", "NORDEN", "FEC_ENV",  "CONTROL",
                                                 "CORREL",     "ESTADO", "RECTIFICA"};
    return sent ? history : registered;
}

SqlText listQuery(const SqlDialect& d, bool sent, const QString& form, const QString& user) {
    QString sql = QStringLiteral("SELECT A.DOC_ID_D, B.NOMBRE, A.PERIODO, ") + monthYearPeriod(d) +
                  QStringLiteral(" AS PERIODOF, A.FORMULARIO, A.ESTADO, ");
    sql += sent ? QStringLiteral("A.FEC_ENV, A.CORREL, A.NORDEN, A.CONTROL, A.RECTIFICA "
                                 "FROM HCAB AS A, CONT AS B")
                : QStringLiteral("A.RECTIFICA FROM CAB AS A, CONT AS B");
    sql += QStringLiteral(" WHERE A.DOC_ID_D=B.DOC_ID_D AND A.TIP_DOC_D=6 AND B.TIP_DOC_D=6 AND "
                          "A.FORMULARIO=? AND B.USUARIO=?");
    sql += sent ? QStringLiteral(" AND A.ESTADO=1 ORDER BY A.DOC_ID_D ASC")
                : QStringLiteral(" ORDER BY A.DOC_ID_D ASC, A.PERIODO DESC");
    return {sql, {form, user}};
}

QStringList rowOf(const Cursor& c, bool sent) {
    QStringList row;
    for (const QString& field : fieldsOf(sent)) {
        if (field.isEmpty())
            row << QString();
        else if (field == QLatin1String("FEC_ENV"))
            row << shownDate(c.value(field));
        else
            row << c.text(field);
    }
    return row;
}

} // namespace

frmImprimir::frmImprimir(Session& session, ReportScreens& screens)
    : QueriedList(session), screens_(screens), columns_(columnsOf(session.SentMode)) {}

QString frmImprimir::caption() const {
    return session_.SentMode ? QStringLiteral("Imprimir") : QStringLiteral("Imprimir ");
}

QString frmImprimir::frameCaption() const {
    return session_.SentMode ? QStringLiteral("Declaraciones Enviadas")
                             : QStringLiteral("Declaraciones registradas");
}

int frmImprimir::helpTopic() const {
    return session_.SentMode ? 1015 : 1016;
}

int frmImprimir::columnWidthTwips(int column) const {
    if (column == Nombre)
        return session_.SentMode ? 3300 : 4000;
    if (column == Periodof && !session_.SentMode)
        return 1000;
    return 0;
}

QString frmImprimir::displayText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return {};
    const QString& text = rows_[size_t(row)][column];
    if (column == Periodof)
        return maskedPeriod(text);
    if (column == Rectifica) {
        if (text == QLatin1String("0"))
            return QStringLiteral("NO");
        if (text == QLatin1String("1"))
            return QStringLiteral("SI");
    }
    return text;
}

QString frmImprimir::reportCode() const {
    return option_ == Declaracion ? QStringLiteral("RYP002") : QStringLiteral("RYP003");
}

void frmImprimir::load() {
    requery();
}

void frmImprimir::activate() {
    // reading again moves to the first row, which shows it in the status bar
    if (gridEnabled_)
        requery();
}

void frmImprimir::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount() || row == current_)
        return;
    moveTo(row);
}

bool frmImprimir::selectDeclaration(const QString& ruc, const QString& period,
                                    const QString& correl) {
    for (int i = 0; i < rowCount(); ++i) {
        const QStringList& r = rows_[size_t(i)];
        if (r[Ruc].trimmed() == ruc.trimmed() && r[Periodo] == period &&
            (correl.isEmpty() || r[Correl] == correl)) {
            moveTo(i);
            return true;
        }
    }
    return false;
}

void frmImprimir::preliminar() {
    if (current_ < 0)
        return;
    const QStringList remembered = rows_[size_t(current_)];
    const std::optional<Started> started = start();
    if (!started)
        return;
    frmImpxPag dialog(screens_, *session_.messages);
    dialog.load(started->fileName, started->pages);
    screens_.chooseRange(dialog);
    // back in the print window: the list is read again and returns to the row it came from
    activate();
    selectDeclaration(remembered[Ruc], remembered[Periodo], remembered[Correl]);
}

bool frmImprimir::imprimir() {
    if (current_ < 0)
        return false;
    const std::optional<Started> started = start();
    return started && screens_.print(started->fileName);
}

void frmImprimir::close() {
    rows_.clear();
    current_ = -1;
}

bool frmImprimir::requery() {
    const bool sent = session_.SentMode;
    return readList(
        listQuery(session_.db->dialect(), sent, session_.formulario, session_.config.currentUser),
        [sent](const Cursor& c) { return rowOf(c, sent); });
}

void frmImprimir::moveTo(int row) {
    current_ = row;
    showInStatus(row);
    setHandOver(row);
}

void frmImprimir::showInStatus(int row) {
    const QStringList& r = rows_[size_t(row)];
    session_.setStatus({r[Ruc], r[Nombre], r[Formulario], maskedPeriod(r[Periodof])});
}

void frmImprimir::setHandOver(int row) {
    const QStringList& r = rows_[size_t(row)];
    session_.CurrentRuc = r[Ruc].trimmed();
    session_.CurrentPeriod = r[Periodo].left(4) + r[Periodo].right(2);
}

std::optional<frmImprimir::Started> frmImprimir::start() {
    const QStringList r = rows_[size_t(current_)];
    session_.CurrentRuc = r[Ruc];
    session_.CurrentPeriod = r[Periodo];
    session_.SelectedCorrel = r[Correl];
    session_.SelectedOrderNumber = r[Norden];
    session_.SelectedControlNumber = r[Control];

    DeclarationId id;
    id.ruc = r[Ruc];
    id.period = r[Periodo];
    id.form = session_.formulario;
    id.sent = session_.SentMode;
    id.correl = r[Correl];
    const QDateTime at = now();
    ReportInputs inputs;
    try {
        // the boxes and payment data are read afresh for every report
        inputs = CargarCasillas(*session_.db, id, r[Nombre]);
        if (option_ == Anexos && inputs.box(501).isEmpty()) {
            session_.messages->inform(MsgIcon::Information, kNoAnnex, QStringLiteral("Anexos"));
            return std::nullopt;
        }
    } catch (const DbError& e) {
        showError(e);
        return std::nullopt;
    }
    session_.OperationMode = kPrinting;
    lastReport_.clear();
    lastComposed_ = false;

    ComposeSettings settings;
    settings.kind = option_ == Declaracion ? ReportKind::Declaration : ReportKind::Annex;
    settings.id = id;
    settings.name = r[Nombre];
    settings.now = at;
    settings.inputs = &inputs;
    const ReportEntry entry{reportCode(), 6, r[Ruc].trimmed(), session_.config.currentUser, at};
    std::optional<RegisteredComposition> made;
    try {
        made = GenerarReporteRegistrado(*session_.db, settings, entry,
                                        session_.config.reportDirectory, *session_.messages);
    } catch (const DbError& e) {
        showError(e);
        return std::nullopt;
    }
    if (!made)
        return std::nullopt; // nothing registered: the message said why
    lastReport_ = made->fileName;
    lastComposed_ = made->composed;
    Started started{made->fileName, made->pages, made->composed};
    if (!started.composed) {
        // the pages written before the failure are what there is to see
        ReportDocument written;
        started.pages =
            written.open(reportFilePath(session_.config.reportDirectory, started.fileName))
                ? written.pageCount()
                : 0;
    }
    return started;
}

} // namespace ret::reports
