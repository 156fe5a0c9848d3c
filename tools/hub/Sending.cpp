#include "tools/hub/Sending.h"

#include "common/ChangeRecord.h"
#include "common/Configuration.h"
#include "common/Connection.h"
#include "common/Database.h"
#include "common/RowBatch.h"
#include "common/RowCheck.h"
#include "common/Schema.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <map>

namespace ret::hub {
namespace {

constexpr int kRucDocument = 6;

// The working tables of a declaration and the history table each is copied into.
const std::pair<const char*, const char*> kCopies[] = {
    {"CAB", "HCAB"},
    {"DET", "HDET"},
    {"F947RPCAB", "HF947RPCAB"},
    {"F947RPDET", "HF947RPDET"},
    {"F947RPDETDET", "HF947RPDETDET"},
};

const QString kWhereDeclaration =
    QStringLiteral(" WHERE tip_doc_d = ? AND doc_id_d = ? AND periodo = ? AND formulario = ?");

QString nextCorrel(Database& db, const QVariantList& key) {
    int last = 0;
    Cursor c = db.query(QStringLiteral("SELECT correl FROM HCAB") + kWhereDeclaration, key);
    while (c.next())
        last = std::max(last, c.text(0).trimmed().toInt());
    return QStringLiteral("%1").arg(last + 1, 3, 10, QLatin1Char('0'));
}

// Different for every sending: the time and the declaration with its correl go into it, and a
// value the declaration already carries is never given again.
QString newControl(Database& db, const QVariantList& key, const QString& correl) {
    QStringList used;
    Cursor c = db.query(QStringLiteral("SELECT control FROM HCAB") + kWhereDeclaration, key);
    while (c.next())
        used << c.text(0);
    const QByteArray seed = QStringLiteral("%1|%2|%3|%4")
                                .arg(key[1].toString(), key[2].toString(), correl)
                                .arg(QDateTime::currentMSecsSinceEpoch())
                                .toUtf8();
    for (quint32 round = 0;; ++round) {
        const QByteArray digest =
            QCryptographicHash::hash(seed + QByteArray::number(round), QCryptographicHash::Sha256);
        quint64 n = 0;
        for (int i = 0; i < 8; ++i)
            n = (n << 8) | quint8(digest[i]);
        const QString control = QString::number(10'000'000 + n % 90'000'000);
        if (!used.contains(control))
            return control;
    }
}

// Copies the declaration's rows of `source` into `target`: same values by column name, the
// given values in place of theirs, and the check value recomputed for the new row.
void copyRows(Database& db, const TableDef& source, const TableDef& target, const QVariantList& key,
              const std::map<QString, QVariant>& replaced) {
    RowBatch insert = RowBatch::insertInto(db, target);
    Cursor c = db.query(QStringLiteral("SELECT * FROM ") + source.name + kWhereDeclaration, key);
    while (c.next()) {
        const QVariantList from = typedRow(source, c.record());
        QVariantList row;
        for (const ColumnDef& col : target.columns) {
            const auto given = replaced.find(col.name.toLower());
            const int at = source.indexOf(col.name);
            row << (given != replaced.end() ? given->second : at >= 0 ? from[at] : QVariant());
        }
        row.back() = CalculaCNumero(row, target.checkKeyLength);
        insert.add(row);
    }
    insert.flush();
}

} // namespace

// The integrator's register of the sending numbers it has given. A number is given once the
// transaction that records it commits, and never again, even when its sending then fails.
const TableDef& sendingNumbersTable() {
    static const TableDef table{QStringLiteral("HUBENVIO"),
                                {{QStringLiteral("numero"), ColumnType::Text, 8},
                                 {QStringLiteral("doc_id_d"), ColumnType::Text, 15},
                                 {QStringLiteral("periodo"), ColumnType::Text, 6},
                                 {QStringLiteral("fecha"), ColumnType::Date}},
                                {QStringLiteral("numero")},
                                0};
    return table;
}

SendResult sendDeclaration(Database& db, const QString& ruc, const QString& period,
                           const QDate& today, const Actor& actor) {
    const QVariantList key{kRucDocument, ruc, period, kForm};
    SendResult result;
    try {
        // the correl is taken and used under the same write lock, so two sendings never share one
        Transaction tx(db);
        if (!db.scalar(QStringLiteral("SELECT count(*) FROM CAB") + kWhereDeclaration, key)
                 ->toInt()) {
            result.error =
                QStringLiteral("no declaration %1 of RUC %2 for period %3").arg(kForm, ruc, period);
            return result;
        }
        result.correl = nextCorrel(db, key);
        result.control = newControl(db, key, result.correl);
        // a new copy: no other program can have stored one under this correl
        RecordedChange change(db, {ruc, period, kForm, result.correl}, actor, action::kEnviada,
                              std::nullopt);

        const std::map<QString, QVariant> sent{{QStringLiteral("correl"), result.correl}};
        const std::map<QString, QVariant> header{{QStringLiteral("correl"), result.correl},
                                                 {QStringLiteral("estado"), 1},
                                                 {QStringLiteral("norden"), QStringLiteral("0")},
                                                 {QStringLiteral("fec_env"), today},
                                                 {QStringLiteral("control"), result.control}};
        for (const auto& [from, to] : kCopies) {
            const TableDef& target = tableDef(QLatin1String(to));
            copyRows(db, tableDef(QLatin1String(from)), target, key,
                     target.name == QLatin1String("HCAB") ? header : sent);
        }
        change.record();
        tx.commit();
        result.ok = true;
    } catch (const DbError& e) {
        result = SendResult();
        result.error =
            e.description() + QStringLiteral(" (") + QString::number(e.number()) + QLatin1Char(')');
    }
    return result;
}

namespace {

struct ToolRun {
    int code = -1;
    QString err;
};

// What retcheck and retsumm answer when another copy of them runs on the same database.
constexpr int kToolBusy = 3;

// How long a sending waits for a send tool that another copy keeps busy: HUB_TOOL_WAIT_MS,
// else 20 seconds.
qint64 toolWaitMs() {
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("HUB_TOOL_WAIT_MS").toLongLong(&ok);
    return ok && ms >= 0 ? ms : 20000;
}

// Runs one of the module's send tools on the record once, as the integrator does: headless,
// with the same profile.
ToolRun runToolOnce(const QString& program, const QString& record, const QString& profilePath) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HUB000_INI"), profilePath);
    env.insert(QStringLiteral("RET_HEADLESS"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(program, {record});
    if (!p.waitForStarted() || !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("no se pudo ejecutar ") + program};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

// Runs the tool, trying again while another copy of it keeps it busy, for a bounded time.
ToolRun runTool(const QString& program, const QString& record, const QString& profilePath) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        ToolRun r = runToolOnce(program, record, profilePath);
        if (r.code != kToolBusy)
            return r;
        if (waited.elapsed() >= toolWaitMs()) {
            r.err = QStringLiteral("another copy kept it busy for %1 ms: %2")
                        .arg(waited.elapsed())
                        .arg(r.err);
            return r;
        }
        QThread::msleep(50 + QRandomGenerator::global()->bounded(100));
    }
}

SendingOutcome refused(const QString& why) {
    return {false, why, QString(), QString()};
}

// The next sending number, over every sending the integrator has made (environments made
// before the register count their sent declarations), taken and recorded under the write lock.
QString reserveSendingNumber(Database& db, const QString& ruc, const QString& period) {
    const TableDef& numbers = sendingNumbersTable();
    Transaction tx(db);
    if (!db.tableExists(numbers.name)) {
        for (const QString& sql : db.dialect().createTable(numbers))
            db.execute(sql);
    }
    const qint64 sent = db.scalar(QStringLiteral("SELECT count(*) FROM HCAB"))->toLongLong();
    const auto last =
        db.scalar(QStringLiteral("SELECT max(%1) FROM %2")
                      .arg(db.dialect().numericValue(QStringLiteral("numero")), numbers.name));
    const qint64 given = last && !last->isNull() ? last->toLongLong() : 0;
    const QString number =
        QStringLiteral("%1").arg(std::max(sent, given) + 1, 8, 10, QLatin1Char('0'));
    db.execute(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?)").arg(numbers.name),
               {number, ruc, period, QDateTime::currentDateTime()});
    tx.commit();
    return number;
}

// Gives the number back when its sending was not made, so that the next sending takes it. A
// run that dies before it can leaves the number given, and the numbers go on after it.
void releaseSendingNumber(Database& db, const QString& number) {
    try {
        Transaction tx(db);
        db.execute(
            QStringLiteral("DELETE FROM %1 WHERE numero = ?").arg(sendingNumbersTable().name),
            {number});
        tx.commit();
    } catch (const DbError&) {
        // kept given: a gap in the numbers, never a number given twice
    }
}

SendingOutcome sendUnderNumber(Database& db, const Configuration& config,
                               const QString& profilePath, const QString& ruc,
                               const QString& period, const QString& number,
                               const QString& toolDirectory);

} // namespace

SendingOutcome sendWithChecks(const QString& profilePath, const QString& ruc, const QString& period,
                              const QString& toolDirectory) {
    const Profile profile(profilePath);
    const Configuration config = ReadConfiguration(Deliverable::SendCheck, profile);
    if (config.databasePath.isEmpty() && config.databaseServer.isEmpty())
        return refused(profilePath + QStringLiteral(" names no database (DBName)"));
    EnterSystemDirectory(config);
    std::unique_ptr<Database> db;
    QString number;
    try {
        db = OpenConfiguredDatabase(config);
        if (!db->scalar(QStringLiteral("SELECT 1 FROM CAB WHERE tip_doc_d = 6 AND doc_id_d = ? "
                                       "AND periodo = ? AND formulario = ?"),
                        {ruc, period, kForm}))
            return refused(QStringLiteral("no declaration %1 of RUC %2 for period %3")
                               .arg(kForm, ruc, period));
        number = reserveSendingNumber(*db, ruc, period);
    } catch (const DbError& e) {
        return refused(
            QStringLiteral("database %1: %2").arg(databaseName(config), e.description()));
    }
    const SendingOutcome outcome =
        sendUnderNumber(*db, config, profilePath, ruc, period, number, toolDirectory);
    if (!outcome.sent)
        releaseSendingNumber(*db, number);
    return outcome;
}

namespace {

SendingOutcome sendUnderNumber(Database& db, const Configuration& config,
                               const QString& profilePath, const QString& ruc,
                               const QString& period, const QString& number,
                               const QString& toolDirectory) {
    const QString record = QStringLiteral("06") + ruc.leftJustified(15) + kForm + period +
                           QStringLiteral("0") + number;

    const ToolRun check = runTool(toolDirectory + QStringLiteral("/retcheck"), record, profilePath);
    if (check.code == 1)
        return refused(QStringLiteral("the declaration is inconsistent; see ") +
                       joinPath(config.temporaryDirectory, QStringLiteral("06") + ruc + kForm +
                                                               period + QStringLiteral("0.ERR")));
    if (check.code != 0)
        return refused(QStringLiteral("retcheck: ") + check.err);

    // the summary before the copy: a sending whose summary could not be written whole is not
    // made, and nothing is copied into the history tables
    const ToolRun summary =
        runTool(toolDirectory + QStringLiteral("/retsumm"), record, profilePath);
    if (summary.code == 1)
        return refused(QStringLiteral("retsumm could not write the summary whole, nothing was "
                                      "sent: ") +
                       summary.err);
    if (summary.code != 0)
        return refused(QStringLiteral("retsumm did not run, nothing was sent: ") + summary.err);
    const SendResult sent = sendDeclaration(db, ruc, period, QDate::currentDate(),
                                            Actor::here(config.currentUser, QStringLiteral("hub")));
    if (!sent.ok)
        return refused(sent.error);
    QString report;
    try {
        report = latestReport(db, QStringLiteral("RYP004"), ruc);
    } catch (const DbError&) {
        // the summary was made; only its name in the register could not be read
    }
    return {true,
            QStringLiteral("Enviada %1 %2 correl %3 control %4")
                .arg(ruc, period, sent.correl, sent.control),
            joinPath(config.temporaryDirectory,
                     kForm + period + QStringLiteral("0") + number + QStringLiteral(".TXT")),
            report};
}

} // namespace

QString latestReport(Database& db, const QString& code, const QString& docId) {
    // file names are the register's running number, so the newest sorts last
    const auto file = db.scalar(QStringLiteral("SELECT max(Archivo) FROM SPOOL WHERE CodRep = ? "
                                               "AND trim(Doc_id_d) = ?"),
                                {code, docId.trimmed()});
    return file ? file->toString() : QString();
}

int sendCommand(const QString& profilePath, const QString& ruc, const QString& period,
                const QString& toolDirectory, QTextStream& out, QTextStream& err) {
    const SendingOutcome o = sendWithChecks(profilePath, ruc, period, toolDirectory);
    if (!o.sent) {
        err << "hub: " << o.text << '\n';
        return 1;
    }
    out << o.text << '\n';
    if (!o.summary.isEmpty())
        out << "Resumen: " << o.summary << '\n';
    if (!o.report.isEmpty())
        out << "Reporte: " << o.report << '\n';
    return 0;
}

} // namespace ret::hub
