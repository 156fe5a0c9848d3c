#include "import/ImportRun.h"

#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "common/NumberFormat.h"
#include "common/RowBatch.h"
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
#include <optional>
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

// The record identifier of a line, shown for a refused one.
QString identifierOf(const QString& line) {
    return line.section(QLatin1Char('|'), 0, 0).trimmed() + QLatin1Char(' ') + CadDev(line);
}

// The rows one accepted line stages: its subject and retention voucher when they are new to
// the declaration, its payment voucher always.
struct LineRows {
    QString subjectKey;
    QString voucherKey;
    std::optional<QVariantList> subject;
    std::optional<QVariantList> voucher;
    QVariantList payment;
};

// Stages the accepted lines a batch at a time, and records the refused ones in file order. A
// batch goes in under one savepoint through a few multi-row statements; when it fails, it is
// undone and its lines staged again one by one, each under its own savepoint, so that a line
// that repeats a staged payment voucher (3022) is refused alone with 0228, as if every line had
// gone in by itself. Any other failure throws DbError.
class Stager {
public:
    Stager(Database& db, const Session& s, RejectLog& log, RunResult& result)
        : db_(db), log_(log), result_(result),
          kind_(s.RetentionKind.isEmpty() ? QStringLiteral("R") : s.RetentionKind),
          rate_(Decimal::leadingValue(s.RetentionRate)) {
        // what is staged already, looked up in memory for every line
        Cursor c = db.queryRows(
            QStringLiteral("SELECT num_doc_ret FROM TMPF947RPCAB WHERE tip_retencion = ?"),
            {kind_});
        while (c.next())
            subjects_.insert(c.text(0));
        Cursor v = db.queryRows(QStringLiteral("SELECT num_doc_ret, num_serie_cp, num_cp FROM "
                                               "TMPF947RPDET"));
        while (v.next())
            vouchers_.insert(v.text(0) + QLatin1Char('|') + v.text(1) + QLatin1Char('|') +
                             v.text(2));
    }

    void accept(const QString& line, QStringList fields) {
        add({line, std::move(fields), QString()});
    }
    void refuse(const QString& line, const QString& code) { add({line, {}, code}); }

    // Stages the lines of the batch in hand and records its refused ones.
    void flush() {
        if (entries_.empty())
            return;
        if (!stageBatch())
            stageOneByOne();
        entries_.clear();
    }

private:
    static constexpr std::size_t kBatchLines = 500;

    struct Entry {
        QString line;
        QStringList fields;
        QString code; // why the line is refused; empty for an accepted one
    };

    void add(Entry e) {
        entries_.push_back(std::move(e));
        if (entries_.size() >= kBatchLines)
            flush();
    }

    LineRows rowsOf(const QStringList& f) const {
        LineRows rows;
        const QString& ruc = f[0];
        rows.subjectKey = ruc;
        if (!subjects_.count(ruc)) {
            const bool company = ruc.startsWith(QLatin1String("20"));
            const QString blank = QStringLiteral(" ");
            const QString razon = company ? f[1] : (f[2] + blank + f[3] + blank + f[4]).left(40);
            rows.subject = QVariantList{kind_,
                                        ruc,
                                        razon,
                                        company ? blank : (f[2].isEmpty() ? blank : f[2]),
                                        company ? blank : f[3],
                                        company ? blank : f[4]};
        }
        rows.voucherKey = ruc + QLatin1Char('|') + f[5] + QLatin1Char('|') + f[6];
        if (!vouchers_.count(rows.voucherKey)) {
            const Decimal base = Decimal::leadingValue(f[8]);
            rows.voucher =
                QVariantList{kind_,
                             ruc,
                             f[5],
                             f[6],
                             readImportDate(f[7]),
                             f[8],
                             formatNumber(base * rate_, QStringLiteral("###########0.#0"))};
        }
        QString amount = f[13];
        if (Decimal::leadingValue(f[9]) == Decimal::fromInt(7))
            amount = (-Decimal::leadingValue(f[13])).toShortString();
        rows.payment = {ruc, f[5], f[6], f[9], f[10], f[11], readImportDate(f[12]), amount};
        return rows;
    }

    // The whole batch through multi-row statements; false (and nothing of it staged) when it
    // failed.
    bool stageBatch() {
        std::vector<QString> newSubjects;
        std::vector<QString> newVouchers;
        db_.execute(QStringLiteral("SAVEPOINT lote"));
        try {
            for (const Entry& e : entries_) {
                if (!e.code.isEmpty())
                    continue;
                LineRows rows = rowsOf(e.fields);
                if (rows.subject) {
                    subjectBatch_.add(*rows.subject);
                    subjects_.insert(rows.subjectKey);
                    newSubjects.push_back(rows.subjectKey);
                }
                if (rows.voucher) {
                    voucherBatch_.add(*rows.voucher);
                    vouchers_.insert(rows.voucherKey);
                    newVouchers.push_back(rows.voucherKey);
                }
                paymentBatch_.add(rows.payment);
            }
            subjectBatch_.flush();
            voucherBatch_.flush();
            paymentBatch_.flush();
            db_.execute(QStringLiteral("RELEASE lote"));
        } catch (const DbError&) {
            db_.execute(QStringLiteral("ROLLBACK TO lote"));
            db_.execute(QStringLiteral("RELEASE lote"));
            for (auto* batch : {&subjectBatch_, &voucherBatch_, &paymentBatch_})
                batch->clear();
            for (const QString& key : newSubjects)
                subjects_.erase(key);
            for (const QString& key : newVouchers)
                vouchers_.erase(key);
            return false;
        }
        for (const Entry& e : entries_) {
            if (e.code.isEmpty())
                ++result_.accepted;
            else
                record(e.line, e.code);
        }
        return true;
    }

    void stageOneByOne() {
        for (const Entry& e : entries_) {
            if (!e.code.isEmpty()) {
                record(e.line, e.code);
                continue;
            }
            savepoint_.execute();
            try {
                stageAlone(e.fields);
                release_.execute();
                ++result_.accepted;
            } catch (const DbError& error) {
                db_.execute(QStringLiteral("ROLLBACK TO linea"));
                db_.execute(QStringLiteral("RELEASE linea"));
                if (error.number() != dberr::DuplicateKey)
                    throw;
                record(e.line, QStringLiteral("0228"));
            }
        }
    }

    void stageAlone(const QStringList& fields) {
        const LineRows rows = rowsOf(fields);
        if (rows.subject)
            subject_.execute(*rows.subject);
        if (rows.voucher)
            voucher_.execute(*rows.voucher);
        payment_.execute(rows.payment);
        // only a line staged whole counts as staged
        subjects_.insert(rows.subjectKey);
        vouchers_.insert(rows.voucherKey);
    }

    void record(const QString& line, const QString& code) {
        ++result_.rejected;
        log_.record(line, identifierOf(line), code);
    }

    static QString subjectInsert() {
        return QStringLiteral("INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, num_doc_ret, "
                              "des_razon, des_apellido_p, des_apellido_m, des_nombres) VALUES");
    }
    static QString voucherInsert() {
        return QStringLiteral("INSERT INTO TMPF947RPDET (tip_retencion, tip_doc_ret, num_doc_ret, "
                              "num_serie_cp, num_cp, fec_emision_cp, mto_base_rp, mto_imp_rp) "
                              "VALUES");
    }
    static QString paymentInsert() { return QStringLiteral("INSERT INTO TMPF947RPDETDET VALUES"); }
    static QString subjectTuple() { return QStringLiteral("(?, 6, ?, ?, ?, ?, ?)"); }
    static QString voucherTuple() { return QStringLiteral("(?, 6, ?, ?, ?, ?, ?, ?)"); }
    static QString paymentTuple() { return QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)"); }

    Database& db_;
    RejectLog& log_;
    RunResult& result_;
    QString kind_;
    Decimal rate_;
    std::set<QString> subjects_;
    std::set<QString> vouchers_;
    std::vector<Entry> entries_;
    RowBatch subjectBatch_{db_, subjectInsert(), subjectTuple()};
    RowBatch voucherBatch_{db_, voucherInsert(), voucherTuple()};
    RowBatch paymentBatch_{db_, paymentInsert(), paymentTuple()};
    Statement subject_{db_.prepare(subjectInsert() + QLatin1Char(' ') + subjectTuple())};
    Statement voucher_{db_.prepare(voucherInsert() + QLatin1Char(' ') + voucherTuple())};
    Statement payment_{db_.prepare(paymentInsert() + QLatin1Char(' ') + paymentTuple())};
    Statement savepoint_{db_.prepare(QStringLiteral("SAVEPOINT linea"))};
    Statement release_{db_.prepare(QStringLiteral("RELEASE linea"))};
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
    Cursor v =
        db.queryRows(QStringLiteral("SELECT num_doc_ret, mto_base_rp, mto_imp_rp FROM "
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
    Cursor c = db.queryRows(QStringLiteral("SELECT num_doc_ret FROM TMPF947RPCAB WHERE "
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
    // many subjects to a statement, each matched by its values' third and fourth columns
    RowBatch update(db,
                    QStringLiteral("UPDATE TMPF947RPCAB SET mto_base_rp = v.column1, "
                                   "mto_imp_rp = v.column2 FROM (VALUES"),
                    QStringLiteral("(?, ?, ?, ?)"),
                    QStringLiteral(") AS v WHERE TMPF947RPCAB.tip_retencion = v.column3 AND "
                                   "TMPF947RPCAB.tip_doc_ret = 6 AND "
                                   "TMPF947RPCAB.num_doc_ret = v.column4"));
    for (const QVariantList& row : rows)
        update.add(row);
    update.flush();
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
        Stager stager(db, session, log, r);
        LineReader reader(file);
        FileLine current;
        for (int i = 0; reader.next(current); ++i) {
            if (progress && !progress(i, total)) {
                r.outcome = Outcome::Aborted;
                break;
            }
            const QString& line = current.text;
            QStringList fields;
            QString code;
            if (!current.usable)
                stager.refuse(line, kBadLine);
            else if (!checkLine(checker, line, fields, code))
                stager.refuse(line, code);
            else
                stager.accept(line, std::move(fields));
        }
        stager.flush();
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
