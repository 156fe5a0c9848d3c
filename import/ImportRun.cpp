#include "import/ImportRun.h"

#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "common/NumberFormat.h"
#include "common/Schema.h"
#include "common/Session.h"
#include "common/WholeFile.h"
#include "detail/SubjectStore.h"
#include "import/ImportFields.h"
#include "import/ImportFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <set>

namespace ret::import {
namespace {

// Lines that are not text at all are recorded under a code of no error-table row.
const QString kBadLine = QStringLiteral("9999");

// A log or error file that cannot be written: the run fails like on a database error.
class LogWriteFailed : public std::runtime_error {
public:
    explicit LogWriteFailed(const FileWriteError& e)
        : std::runtime_error("log"),
          text(QString::number(e.number) + QLatin1Char(' ') + e.message()) {}
    QString text;
};

// The log and error files of a run: the refused lines gathered as the run goes and written
// whole at its end, each file started afresh when the run refused anything.
class RejectLog {
public:
    RejectLog(Database& db, QString log, QString error)
        : db_(db), log_(std::move(log)), error_(std::move(error)) {}

    void record(const QString& raw, const QString& identifier, const QString& code) {
        logLines_ += cp1252::encode(raw) + "\r\n";
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
        errorLines_ += cp1252::encode(line) + "\r\n";
    }

    // Writes both files whole, or neither; throws LogWriteFailed when they could not be.
    void write() const {
        if (logLines_.isEmpty())
            return; // nothing refused: the files of an earlier run stay
        if (const auto e = writeWholeFiles({{log_, logLines_}, {error_, errorLines_}}))
            throw LogWriteFailed(*e);
    }

private:
    Database& db_;
    QString log_;
    QString error_;
    QByteArray logLines_;
    QByteArray errorLines_;
};

// Stages one accepted line: the subject and the retention voucher once, the payment voucher
// always. Throws DbError (3022 for a payment voucher staged before).
class Stager {
public:
    Stager(Database& db, const Session& s)
        : kind_(s.RetentionKind.isEmpty() ? QStringLiteral("R") : s.RetentionKind),
          rate_(Decimal::leadingValue(s.RetentionRate)),
          subject_(db.prepare(QStringLiteral(
              "INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, num_doc_ret, des_razon, "
              "des_apellido_p, des_apellido_m, des_nombres) VALUES (?, 6, ?, ?, ?, ?, ?)"))),
          voucher_(db.prepare(QStringLiteral(
              "INSERT INTO TMPF947RPDET (tip_retencion, tip_doc_ret, num_doc_ret, num_serie_cp, "
              "num_cp, fec_emision_cp, mto_base_rp, mto_imp_rp) VALUES (?, 6, ?, ?, ?, ?, ?, ?)"))),
          payment_(db.prepare(
              QStringLiteral("INSERT INTO TMPF947RPDETDET VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))) {
        // what is staged already, looked up in memory for every line
        Cursor c =
            db.query(QStringLiteral("SELECT num_doc_ret FROM TMPF947RPCAB WHERE tip_retencion = ?"),
                     {kind_});
        while (c.next())
            subjects_.insert(c.text(0));
        Cursor v = db.query(QStringLiteral("SELECT num_doc_ret, num_serie_cp, num_cp FROM "
                                           "TMPF947RPDET"));
        while (v.next())
            vouchers_.insert(v.text(0) + QLatin1Char('|') + v.text(1) + QLatin1Char('|') +
                             v.text(2));
    }

    void stage(const QStringList& f) {
        const QString& ruc = f[0];
        const bool newSubject = !subjects_.count(ruc);
        if (newSubject) {
            const bool company = ruc.startsWith(QLatin1String("20"));
            const QString blank = QStringLiteral(" ");
            const QString razon = company ? f[1] : (f[2] + blank + f[3] + blank + f[4]).left(40);
            subject_.execute({kind_, ruc, razon, company ? blank : (f[2].isEmpty() ? blank : f[2]),
                              company ? blank : f[3], company ? blank : f[4]});
        }
        const QString voucherKey = ruc + QLatin1Char('|') + f[5] + QLatin1Char('|') + f[6];
        const bool newVoucher = !vouchers_.count(voucherKey);
        if (newVoucher) {
            const Decimal base = Decimal::leadingValue(f[8]);
            voucher_.execute({kind_, ruc, f[5], f[6], readImportDate(f[7]), f[8],
                              formatNumber(base * rate_, QStringLiteral("###########0.#0"))});
        }
        QString amount = f[13];
        if (Decimal::leadingValue(f[9]) == Decimal::fromInt(7))
            amount = (-Decimal::leadingValue(f[13])).toShortString();
        payment_.execute({ruc, f[5], f[6], f[9], f[10], f[11], readImportDate(f[12]), amount});
        // only a line staged whole counts as staged
        if (newSubject)
            subjects_.insert(ruc);
        if (newVoucher)
            vouchers_.insert(voucherKey);
    }

private:
    QString kind_;
    Decimal rate_;
    Statement subject_;
    Statement voucher_;
    Statement payment_;
    std::set<QString> subjects_;
    std::set<QString> vouchers_;
};

struct SubjectTotal {
    QString ruc;
    Decimal base;
    Decimal retention;
    bool overflow = false;
};

// Every staged subject of the kind with the exact sums of its vouchers (0 when it has none), in
// key order; the first one whose sums overflow throws. Two plain reads matched here rather than
// a join: a server without statistics on rows staged a moment ago would join them row by row.
std::vector<SubjectTotal> totalsOfStagedSubjects(Database& db, const QString& kind) {
    std::map<QString, SubjectTotal> sums;
    Cursor v = db.query(QStringLiteral("SELECT num_doc_ret, mto_base_rp, mto_imp_rp FROM "
                                       "TMPF947RPDET WHERE tip_retencion = ? AND tip_doc_ret = 6"),
                        {kind});
    while (v.next()) {
        SubjectTotal& t = sums[v.text(0).toUpper()];
        if (t.overflow)
            continue;
        try {
            t.base += Decimal::leadingValue(v.text(1));
            t.retention += Decimal::leadingValue(v.text(2));
        } catch (const DecimalOverflow&) {
            t.overflow = true;
        }
    }
    std::vector<SubjectTotal> totals;
    Cursor c = db.query(QStringLiteral("SELECT num_doc_ret FROM TMPF947RPCAB WHERE "
                                       "tip_retencion = ? AND tip_doc_ret = 6 ORDER BY "
                                       "num_doc_ret"),
                        {kind});
    while (c.next()) {
        SubjectTotal t;
        if (const auto it = sums.find(c.text(0).toUpper()); it != sums.end())
            t = it->second;
        t.ruc = c.text(0);
        if (t.overflow)
            throw subjectTotalTooLarge(t.ruc);
        totals.push_back(std::move(t));
    }
    return totals;
}

// The subjects' totals from their staged vouchers. They are stored with the decimals the
// amounts have, two at least: four fixed decimals would not let the largest base the file
// accepts fit the 15-character column.
void writeTotals(Database& db, const QString& kind) {
    const int width = subjectTotalWidth();
    std::vector<QVariantList> rows;
    for (const SubjectTotal& t : totalsOfStagedSubjects(db, kind)) {
        const QString base = t.base.toAmountString();
        const QString retention = t.retention.toAmountString();
        if (base.size() > width || retention.size() > width)
            throw subjectTotalTooLarge(t.ruc);
        rows.push_back({base, retention, kind, t.ruc});
    }
    Statement update = db.prepare(QStringLiteral("UPDATE TMPF947RPCAB SET mto_base_rp = ?, "
                                                 "mto_imp_rp = ? WHERE tip_retencion = ? AND "
                                                 "tip_doc_ret = 6 AND num_doc_ret = ?"));
    for (const QVariantList& row : rows)
        update.execute(row);
}

QString kindOf(const Session& session) {
    return session.RetentionKind.isEmpty() ? QStringLiteral("R") : session.RetentionKind;
}

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
    // first pass: the whole-file checks, before anything is staged
    int total = 0;
    {
        LineReader reader(file);
        FileLine l;
        bool counts = true;
        bool terminated = true;
        while (reader.next(l)) {
            ++total;
            counts = counts && l.separators == kFields;
            terminated = terminated && l.terminated;
        }
        if (!counts) {
            r.outcome = Outcome::WrongFieldCount;
            return r;
        }
        if (!terminated) {
            r.outcome = Outcome::Unterminated;
            return r;
        }
    }
    file.seek(0);

    Database& db = *session.db;
    FieldChecker checker(db, *session.rules, session.CurrentRuc.trimmed(), session.CurrentPeriod,
                         QDate::currentDate());
    RejectLog log(db, r.logFile, r.errorFile);
    try {
        Transaction tx(db, Transaction::Writes::SessionTables);
        Stager stager(db, session);
        Statement savepoint = db.prepare(QStringLiteral("SAVEPOINT linea"));
        Statement release = db.prepare(QStringLiteral("RELEASE linea"));
        LineReader reader(file);
        FileLine current;
        for (int i = 0; reader.next(current); ++i) {
            if (progress && !progress(i, total)) {
                r.outcome = Outcome::Aborted;
                break;
            }
            const QString& line = current.text;
            // the record identifier, needed only for a refused line
            const auto identifier = [&line] {
                return line.section(QLatin1Char('|'), 0, 0).trimmed() + QLatin1Char(' ') +
                       CadDev(line);
            };
            QStringList fields;
            QString code;
            if (!current.usable || !checkLine(checker, line, fields, code)) {
                ++r.rejected;
                log.record(line, identifier(), current.usable ? code : kBadLine);
                continue;
            }
            // a line is staged whole or not at all
            savepoint.execute();
            try {
                stager.stage(fields);
                release.execute();
                ++r.accepted;
            } catch (const DbError& e) {
                db.execute(QStringLiteral("ROLLBACK TO linea"));
                db.execute(QStringLiteral("RELEASE linea"));
                if (e.number() != dberr::DuplicateKey)
                    throw;
                ++r.rejected;
                log.record(line, identifier(), QStringLiteral("0228"));
            }
        }
        // a total that cannot be stored undoes the run, so no line is staged without its total
        writeTotals(db, kindOf(session));
        // the refused lines are on disk before the accepted ones are staged for good
        log.write();
        tx.commit();
    } catch (const DbError& e) {
        r.outcome = Outcome::Failed;
        r.failure = e.text();
        r.accepted = 0;
    } catch (const LogWriteFailed& e) {
        r.outcome = Outcome::Failed;
        r.failure = e.text;
        r.accepted = 0;
    }
    if (progress && r.outcome != Outcome::Aborted)
        progress(total, total);
    return r;
}

void CalcularTot(Session& session) {
    Database& db = *session.db;
    Transaction tx(db, Transaction::Writes::SessionTables);
    writeTotals(db, kindOf(session));
    tx.commit();
}

} // namespace ret::import
