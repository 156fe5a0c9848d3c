#include "ImportRun.h"

#include "Cp1252.h"
#include "Database.h"
#include "Decimal.h"
#include "FieldRules.h"
#include "ImportFields.h"
#include "Lookups.h"
#include "NumberFormat.h"
#include "Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ret::import {
namespace {

// A line longer than this is not a line of the import file (14 short fields).
constexpr int kLongestLine = 1000;
// Lines that are not text at all are recorded under a code of no error-table row.
const QString kBadLine = QStringLiteral("9999");

struct FileLine {
    QString text;
    bool usable = true;
};

std::vector<FileLine> readLines(const QByteArray& bytes) {
    std::vector<FileLine> lines;
    QList<QByteArray> raw = bytes.split('\n');
    if (!bytes.isEmpty() && bytes.endsWith('\n'))
        raw.removeLast();
    for (QByteArray& r : raw) {
        if (r.endsWith('\r'))
            r.chop(1);
        FileLine l;
        l.usable = r.size() <= kLongestLine && cp1252::decodeStrict(r, l.text);
        if (!l.usable)
            l.text = cp1252::decode(r); // still counted by the whole-file checks
        lines.push_back(l);
    }
    return lines;
}

// The log and error files of a run, each started afresh on its first line.
class RejectLog {
public:
    RejectLog(Database& db, QString log, QString error)
        : db_(db), log_(std::move(log)), error_(std::move(error)) {}

    void record(const QString& raw, const QString& identifier, const QString& code) {
        append(log_, raw);
        // a code with a text of its own shows it even when the error table lacks the code
        const QString fixed = fixedErrorText(code);
        const QString text = fixed.isEmpty() ? DescripcionError(db_, code.toInt()) : fixed;
        QString line;
        if (!text.isEmpty()) {
            line = identifier.left(25).leftJustified(25) + QLatin1Char(' ') + text;
        } else {
            line =
                identifier.left(10).leftJustified(10) + QString(14, QLatin1Char(' ')) +
                QStringLiteral("Otro Error : Verifique Estructura de Tablas y datos a transferir");
        }
        append(error_, line);
        started_ = true;
    }

private:
    void append(const QString& path, const QString& line) {
        QFile f(path);
        if (!f.open(started_ ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        f.write(cp1252::encode(line) + "\r\n");
    }

    Database& db_;
    QString log_;
    QString error_;
    bool started_ = false;
};

// Stages one accepted line: the subject and the retention voucher once, the payment voucher
// always. Throws DbError (3022 for a payment voucher staged before).
class Stager {
public:
    Stager(Database& db, const Session& s)
        : db_(db), kind_(s.RetentionKind), rate_(s.RetentionRate) {
        if (kind_.isEmpty())
            kind_ = QStringLiteral("R");
    }

    void stage(const QStringList& f) {
        const QString& ruc = f[0];
        if (!db_.scalar(QStringLiteral("SELECT 1 FROM TMPF947RPCAB WHERE num_doc_ret = ? AND "
                                       "tip_retencion = ?"),
                        {ruc, kind_})) {
            const bool company = ruc.startsWith(QLatin1String("20"));
            const QString blank = QStringLiteral(" ");
            const QString razon = company ? f[1] : (f[2] + blank + f[3] + blank + f[4]).left(40);
            db_.execute(QStringLiteral("INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, "
                                       "num_doc_ret, des_razon, des_apellido_p, des_apellido_m, "
                                       "des_nombres) VALUES (?, 6, ?, ?, ?, ?, ?)"),
                        {kind_, ruc, razon, company ? blank : (f[2].isEmpty() ? blank : f[2]),
                         company ? blank : f[3], company ? blank : f[4]});
        }
        if (!db_.scalar(QStringLiteral("SELECT 1 FROM TMPF947RPDET WHERE num_doc_ret = ? AND "
                                       "num_serie_cp = ? AND num_cp = ?"),
                        {ruc, f[5], f[6]})) {
            const Decimal base = Decimal::leadingValue(f[8]);
            const Decimal rate = Decimal::leadingValue(rate_);
            db_.execute(QStringLiteral("INSERT INTO TMPF947RPDET (tip_retencion, tip_doc_ret, "
                                       "num_doc_ret, num_serie_cp, num_cp, fec_emision_cp, "
                                       "mto_base_rp, mto_imp_rp) VALUES (?, 6, ?, ?, ?, ?, ?, ?)"),
                        {kind_, ruc, f[5], f[6],
                         QDate::fromString(f[7], QStringLiteral("dd/MM/yyyy")), f[8],
                         formatNumber(base * rate, QStringLiteral("###########0.#0"))});
        }
        QString amount = f[13];
        if (Decimal::leadingValue(f[9]) == Decimal::fromInt(7))
            amount = (-Decimal::leadingValue(f[13])).toShortString();
        db_.execute(QStringLiteral("INSERT INTO TMPF947RPDETDET VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                    {ruc, f[5], f[6], f[9], f[10], f[11],
                     QDate::fromString(f[12], QStringLiteral("dd/MM/yyyy")), amount});
    }

private:
    Database& db_;
    QString kind_;
    QString rate_;
};

// Validates the fields of a line in order; the normalised fields, or the failing code.
bool checkLine(FieldChecker& checker, const QString& line, QStringList& fields, QString& code) {
    LineCutter cut(line);
    fields.clear();
    for (int i = 0; i < kFields; ++i) {
        std::optional<QString> f = cut.next();
        if (!f) {
            code = QStringLiteral("0201");
            return false;
        }
        if (!checker.Val_Transf_CVS(*f, i)) {
            code = checker.errorCode();
            return false;
        }
        fields << *f;
    }
    return true;
}

} // namespace

RunResult Transferencia(Session& session, const QString& directory,
                        const std::function<bool(int, int)>& progress) {
    RunResult r;
    if (directory.trimmed().isEmpty()) {
        r.outcome = Outcome::NoDirectory;
        return r;
    }
    const QString base = session.formulario + session.CurrentRuc + session.CurrentPeriod;
    r.importFile = joinPath(directory, base + QStringLiteral(".TXT"));
    // the report directory's text followed directly by the name, as the integrator expects
    r.logFile = session.config.reportDirectory + base + QStringLiteral(".Log");
    r.errorFile = session.config.reportDirectory + base + QStringLiteral(".Err");
    QFile file(r.importFile);
    if (!QFileInfo(r.importFile).isFile() || !file.open(QIODevice::ReadOnly)) {
        r.outcome = Outcome::FileMissing;
        return r;
    }
    const std::vector<FileLine> lines = readLines(file.readAll());
    QStringList texts;
    for (const FileLine& l : lines)
        texts << l.text;
    if (!CuentaPye(texts)) {
        r.outcome = Outcome::WrongFieldCount;
        return r;
    }
    if (firstUnterminatedLine(texts)) {
        r.outcome = Outcome::Unterminated;
        return r;
    }

    Database& db = *session.db;
    FieldChecker checker(db, *session.rules, session.CurrentRuc.trimmed(), session.CurrentPeriod,
                         QDate::currentDate());
    RejectLog log(db, r.logFile, r.errorFile);
    Stager stager(db, session);
    try {
        Transaction tx(db);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (progress && !progress(int(i), int(lines.size()))) {
                r.outcome = Outcome::Aborted;
                break;
            }
            const QString& line = lines[i].text;
            const QString identifier =
                line.section(QLatin1Char('|'), 0, 0).trimmed() + QLatin1Char(' ') + CadDev(line);
            QStringList fields;
            QString code;
            if (!lines[i].usable || !checkLine(checker, line, fields, code)) {
                ++r.rejected;
                log.record(line, identifier, lines[i].usable ? code : kBadLine);
                continue;
            }
            // a line is staged whole or not at all
            db.execute(QStringLiteral("SAVEPOINT linea"));
            try {
                stager.stage(fields);
                db.execute(QStringLiteral("RELEASE linea"));
                ++r.accepted;
            } catch (const DbError& e) {
                db.execute(QStringLiteral("ROLLBACK TO linea"));
                db.execute(QStringLiteral("RELEASE linea"));
                if (e.number() != dberr::DuplicateKey)
                    throw;
                ++r.rejected;
                log.record(line, identifier, QStringLiteral("0228"));
            }
        }
        tx.commit();
    } catch (const DbError& e) {
        r.outcome = Outcome::Failed;
        r.failure = e.text();
        r.accepted = 0;
    }
    if (progress && r.outcome != Outcome::Aborted)
        progress(int(lines.size()), int(lines.size()));
    return r;
}

void CalcularTot(Session& session) {
    Database& db = *session.db;
    const SqlDialect& d = db.dialect();
    const QString kind =
        session.RetentionKind.isEmpty() ? QStringLiteral("R") : session.RetentionKind;
    Transaction tx(db);
    Statement update = db.prepare(QStringLiteral("UPDATE TMPF947RPCAB SET mto_base_rp = ?, "
                                                 "mto_imp_rp = ? WHERE tip_retencion = ? AND "
                                                 "tip_doc_ret = 6 AND num_doc_ret = ?"));
    Cursor c = db.query(QStringLiteral("SELECT s.num_doc_ret, %1, %2 FROM TMPF947RPCAB s LEFT JOIN "
                                       "TMPF947RPDET v ON v.num_doc_ret = s.num_doc_ret AND "
                                       "v.tip_retencion = s.tip_retencion AND v.tip_doc_ret = 6 "
                                       "WHERE s.tip_retencion = ? AND s.tip_doc_ret = 6 GROUP BY "
                                       "s.num_doc_ret")
                            .arg(d.exactSum(QStringLiteral("v.mto_base_rp")),
                                 d.exactSum(QStringLiteral("v.mto_imp_rp"))),
                        {kind});
    std::vector<QVariantList> rows;
    while (c.next())
        rows.push_back({Decimal::leadingValue(c.text(1)).toPlainString(4),
                        Decimal::leadingValue(c.text(2)).toPlainString(4), kind, c.text(0)});
    for (const QVariantList& row : rows)
        update.execute(row);
    tx.commit();
}

} // namespace ret::import
