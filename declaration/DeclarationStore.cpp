#include "declaration/DeclarationStore.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/RowBatch.h"
#include "common/RowCheck.h"
#include "common/Schema.h"

#include <set>

namespace ret {
namespace {

const QString kKeyWhere =
    QStringLiteral(" WHERE tip_doc_d = 6 AND doc_id_d = ? AND periodo = ? AND formulario = ?");

QVariantList keyValues(const DeclarationId& id) {
    return {id.ruc.trimmed(), id.period, id.form};
}

// The condition and values that pick the declaration (or its sent copy) in `table`.
QString keyWhere(const DeclarationId& id) {
    return id.sent ? kKeyWhere + QStringLiteral(" AND correl = ?") : kKeyWhere;
}
QVariantList keyParams(const DeclarationId& id) {
    QVariantList p = keyValues(id);
    if (id.sent)
        p << id.correl;
    return p;
}

QString prefixed(const DeclarationId& id, const char* table) {
    return (id.sent ? QStringLiteral("H") : QString()) + QLatin1String(table);
}

// Inserts rows of a table with their check value computed over the values given, many rows to
// a statement; finish() sends the last of them.
// The check values go to `digest` too, when one is given.
class RowWriter {
public:
    RowWriter(Database& db, const QString& table, CheckDigest* digest)
        : def_(tableDef(table)), insert_(RowBatch::insertInto(db, def_)),
          checks_(digest ? &digest->of(def_.name) : nullptr) {}

    // `row` holds every column but the check column.
    void write(QVariantList row) {
        // the check value is computed over the row with its own column still empty
        row << QVariant();
        const QString check = CalculaCNumero(row, def_.checkKeyLength);
        if (checks_)
            checks_->push_back(check);
        row.back() = check;
        insert_.add(row);
    }
    void finish() { insert_.flush(); }

private:
    const TableDef& def_;
    RowBatch insert_;
    std::vector<QString>* checks_; // this table's values in the save's digest
};

QVariantList keyRow(const DeclarationId& id) {
    return {6, id.ruc.trimmed(), id.period, id.form};
}

bool startsWith20(const QString& ruc) {
    return ruc.startsWith(QLatin1String("20"));
}

// The codes whose value is stored as given; every other value is stored as a whole number.
bool storedAsGiven(int code) {
    static const std::set<int> codes = {12,  5,   721, 987, 986, 985, 984, 983, 720, 722, 723, 724,
                                        725, 726, 727, 728, 729, 871, 500, 501, 503, 506, 790};
    return codes.count(code) > 0;
}

// DET rows of the declaration, one per box; a box written twice keeps its last value.
class BoxWriter {
public:
    BoxWriter(Database& db, const DeclarationId& id) : db_(db), id_(id) {}

    void put(const QString& code, const QString& value) {
        const QString v = value.trimmed();
        if (v.isEmpty())
            return;
        const int number = code.toInt();
        values_[code] = storedAsGiven(number) ? v : formatText(v, QStringLiteral("###########0"));
    }

    void write(CheckDigest& digest) {
        RowWriter det(db_, QStringLiteral("DET"), &digest);
        for (const auto& [code, value] : values_) {
            const QString idcasilla =
                code == QLatin1String("410") ? QStringLiteral("05") : QStringLiteral("01");
            det.write(keyRow(id_) + QVariantList{code, QVariant(), value, idcasilla});
        }
        det.finish();
    }

private:
    Database& db_;
    const DeclarationId& id_;
    std::map<QString, QString> values_;
};

void writeHeader(Database& db, const SaveInput& in, int estado, const QDate& today,
                 CheckDigest& digest) {
    const TableDef& cab = tableDef(QStringLiteral("CAB"));
    Cursor found = db.query(QStringLiteral("SELECT * FROM CAB") + kKeyWhere, keyValues(in.id));
    const bool exists = found.next();
    QVariantList row = exists ? typedRow(cab, found.record()) : QVariantList(cab.columns.size());
    if (!exists) {
        const QVariantList key = keyRow(in.id);
        for (int i = 0; i < key.size(); ++i)
            row[i] = key[i];
    }
    const auto set = [&](const char* column, const QVariant& v) {
        row[cab.indexOf(QLatin1String(column))] = v;
    };
    set("fec_pro", today.toString(QStringLiteral("dd/MM/yyyy")));
    const PaymentForm& p = in.payment;
    const QString amount = formatText(p.importe, QStringLiteral("#########0"));
    if (p.formapago == QLatin1String("C")) {
        set("bcolibrad", p.banco);
        set("nrocheque", p.numcheque);
        set("cheque", amount);
        set("efectivo", QString(""));
    } else if (p.formapago == QLatin1String("E")) {
        set("bcolibrad", QStringLiteral(" "));
        set("nrocheque", QStringLiteral(" "));
        set("cheque", QString(""));
        set("efectivo", amount);
    }
    set("estado", estado);
    set("rectifica", in.rectification);
    row.back() = CalculaCNumero(row, cab.checkKeyLength);
    digest.add(cab.name, row.back().toString());

    if (exists) {
        db.execute(QStringLiteral("DELETE FROM CAB") + kKeyWhere, keyValues(in.id));
    }
    db.execute(QStringLiteral("INSERT INTO CAB VALUES ") + boundTuple(int(row.size())), row);
}

// Total over the tables listed in the form's 981 row of their correl_param sums, each times
// its table number.
QString parameterChecksum(Database& db, const QString& form) {
    const SqlDialect& d = db.dialect();
    const auto list = db.scalar(QStringLiteral("SELECT funcion FROM PARAM WHERE numero = '981' "
                                               "AND %1 = ? ORDER BY argumento")
                                    .arg(d.left(QStringLiteral("argumento"), form.size())),
                                {form});
    Decimal total;
    if (list) {
        const QString tables = list->toString().trimmed();
        // (length + 1) / 4 entries, halves to the even neighbour
        const int q = int((tables.size() + 1) / 4);
        const int r = int((tables.size() + 1) % 4);
        const int entries = r > 2 || (r == 2 && q % 2 == 1) ? q + 1 : q;
        for (int i = 0; i < entries; ++i) {
            const QString number = tables.mid(i * 4, 3);
            const auto sum = db.scalar(QStringLiteral("SELECT %1 FROM PARAM WHERE numero = ?")
                                           .arg(d.exactSum(QStringLiteral("correl_param"))),
                                       {number});
            const Decimal s = sum ? Decimal::leadingValue(sum->toString()) : Decimal();
            total += Decimal::leadingValue(number) * s;
        }
    }
    return total.toShortString();
}

void putVersionBox(Database& db, BoxWriter& boxes, const QString& form) {
    const auto f = db.scalar(
        QStringLiteral("SELECT funcion FROM PARAM WHERE numero = '856' AND argumento = ?"), {form});
    if (!f)
        return;
    const QString code = ParamFieldRaw(f->toString(), 20, 3);
    if (!code.trimmed().isEmpty())
        boxes.put(code, ParamFieldRaw(f->toString(), 5, 10));
}

std::map<QString, int> stagedVoucherCounts(Database& db) {
    std::map<QString, int> counts;
    Cursor c = db.queryRows(
        QStringLiteral("SELECT num_doc_ret, count(*) FROM TMPF947RPDET GROUP BY num_doc_ret"));
    while (c.next())
        counts[c.text(0)] = c.value(1).toInt();
    return counts;
}

void rewriteSubjects(Database& db, const DeclarationId& id, CheckDigest& digest) {
    db.execute(QStringLiteral("DELETE FROM F947RPCAB") + kKeyWhere +
                   QStringLiteral(" AND tip_retencion = 'R' AND tip_doc_ret = 6"),
               keyValues(id));
    const auto counts = stagedVoucherCounts(db);
    RowWriter out(db, QStringLiteral("F947RPCAB"), &digest);
    Cursor c = db.queryRows(QStringLiteral(
        "SELECT num_doc_ret, des_razon, des_apellido_p, des_apellido_m, des_nombres, "
        "mto_base_rp, mto_imp_rp FROM TMPF947RPCAB WHERE tip_retencion = 'R' "
        "ORDER BY tip_doc_ret, num_doc_ret"));
    while (c.next()) {
        const QString ruc = c.text(0);
        const bool company = startsWith20(ruc);
        const auto it = counts.find(ruc);
        out.write(keyRow(id) +
                  QVariantList{QStringLiteral("R"), 6, ruc, company ? c.value(1) : QVariant(),
                               company ? QVariant() : c.value(2), company ? QVariant() : c.value(3),
                               company ? QVariant() : c.value(4),
                               it == counts.end() ? 0 : it->second, c.value(5), c.value(6), 1});
    }
    out.finish();
}

void rewriteVouchers(Database& db, const DeclarationId& id, const QString& rate,
                     CheckDigest& digest) {
    db.execute(QStringLiteral("DELETE FROM F947RPDET") + kKeyWhere +
                   QStringLiteral(" AND tip_retencion = 'R' AND tip_doc_ret = 6"),
               keyValues(id));
    RowWriter out(db, QStringLiteral("F947RPDET"), &digest);
    Cursor c = db.queryRows(QStringLiteral(
        "SELECT num_doc_ret, num_serie_cp, num_cp, fec_emision_cp, mto_base_rp, mto_imp_rp "
        "FROM TMPF947RPDET WHERE tip_retencion = 'R' AND tip_doc_ret = 6"));
    while (c.next()) {
        out.write(keyRow(id) + QVariantList{QStringLiteral("R"), 6, c.value(0), c.value(1),
                                            c.value(2), dateFromStored(c.value(3)), c.value(4),
                                            rate, c.value(5)});
    }
    out.finish();
}

void rewritePayments(Database& db, const DeclarationId& id, CheckDigest& digest) {
    db.execute(QStringLiteral("DELETE FROM F947RPDETDET") + kKeyWhere, keyValues(id));
    RowWriter out(db, QStringLiteral("F947RPDETDET"), &digest);
    Cursor c = db.queryRows(QStringLiteral(
        "SELECT num_doc_ret, num_serie_cp, num_cp, tip_cp_det, num_serie_det, num_cp_det, "
        "fec_emis_det, mto_cp_det FROM TMPF947RPDETDET"));
    while (c.next()) {
        out.write(keyRow(id) + QVariantList{c.value(0), c.value(1), c.value(2), c.value(3),
                                            c.value(4), c.value(5), dateFromStored(c.value(6)),
                                            c.value(7)});
    }
    out.finish();
}

struct DetailTotals {
    QString count;
    QString base;
    QString retention;
};

// Count and sums of the declaration's rows in a module table (Get_Data).
DetailTotals detailTotals(Database& db, const DeclarationId& id, const QString& table) {
    const SqlDialect& d = db.dialect();
    const bool payments = table == QLatin1String("F947RPDETDET");
    const QString base =
        d.exactSum(payments ? QStringLiteral("mto_cp_det") : QStringLiteral("mto_base_rp"));
    const QString retention = payments ? QStringLiteral("NULL") : d.exactSum("mto_imp_rp");
    Cursor c = db.query(
        QStringLiteral("SELECT count(*), %1, %2 FROM %3").arg(base, retention, table) + kKeyWhere,
        keyValues(id));
    c.next();
    const QString whole = QStringLiteral("##############0");
    return {formatNumber(Decimal::fromInt(c.value(0).toLongLong()), whole),
            formatNumber(Decimal::leadingValue(c.text(1)), whole),
            formatNumber(Decimal::leadingValue(c.text(2)), whole)};
}

} // namespace

RecordKey recordKey(const DeclarationId& id) {
    return {id.ruc.trimmed(), id.period, id.form, id.sent ? id.correl : QString()};
}

bool declarationExists(Database& db, const DeclarationId& id) {
    return db.scalar(QStringLiteral("SELECT 1 FROM CAB") + kKeyWhere, keyValues(id)).has_value();
}

std::vector<std::pair<QString, QString>> bankChoices(Database& db) {
    std::vector<std::pair<QString, QString>> banks;
    Cursor c = db.query(QStringLiteral("SELECT argumento, funcion FROM PARAM WHERE numero = '004' "
                                       "AND trim(argumento) <> '00' ORDER BY argumento"));
    while (c.next())
        banks.emplace_back(c.text(0).left(2), ParamField(c.text(1), 1, 36));
    return banks;
}

StoredDeclaration readStored(Database& db, const DeclarationId& id) {
    StoredDeclaration s;
    Cursor boxes = db.query(
        QStringLiteral("SELECT casilla, i_valor FROM %1").arg(prefixed(id, "DET")) + keyWhere(id),
        keyParams(id));
    while (boxes.next())
        s.boxes.emplace_back(boxes.text(0).trimmed(), boxes.text(1).trimmed());
    Cursor header =
        db.query(QStringLiteral("SELECT bcolibrad, nrocheque FROM %1").arg(prefixed(id, "CAB")) +
                     keyWhere(id),
                 keyParams(id));
    if (header.next()) {
        s.headerFound = true;
        s.banco = header.text(0);
        s.numcheque = header.text(1).trimmed();
    }
    return s;
}

namespace {

void stageDetail(Database& db, const DeclarationId& id) {
    const SqlDialect& d = db.dialect();
    db.execute(d.emptySessionTable(QStringLiteral("TMPF947RPCAB")));
    db.execute(d.emptySessionTable(QStringLiteral("TMPF947RPDET")));
    db.execute(d.emptySessionTable(QStringLiteral("TMPF947RPDETDET")));

    // a person's name column shows the surnames and names joined
    const QString joined =
        d.substring(d.concat({QStringLiteral("COALESCE(des_apellido_p, '')"), QStringLiteral("' '"),
                              QStringLiteral("COALESCE(des_apellido_m, '')"), QStringLiteral("' '"),
                              QStringLiteral("COALESCE(des_nombres, '')")}),
                    1, 40);
    const QString company =
        QStringLiteral("%1 = '20'").arg(d.left(QStringLiteral("num_doc_ret"), 2));
    db.execute(QStringLiteral("INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, num_doc_ret, "
                              "des_razon, des_apellido_p, des_apellido_m, des_nombres, ctd_docs, "
                              "mto_base_rp, mto_imp_rp) "
                              "SELECT tip_retencion, tip_doc_ret, num_doc_ret, "
                              "CASE WHEN %1 THEN des_razon ELSE %2 END, "
                              "CASE WHEN %1 THEN NULL ELSE des_apellido_p END, "
                              "CASE WHEN %1 THEN NULL ELSE des_apellido_m END, "
                              "CASE WHEN %1 THEN NULL ELSE des_nombres END, "
                              "ctd_docs, mto_base_rp, mto_imp_rp FROM %3")
                       .arg(company, joined, prefixed(id, "F947RPCAB")) +
                   keyWhere(id),
               keyParams(id));
    db.execute(QStringLiteral("INSERT INTO TMPF947RPDET (tip_retencion, tip_doc_ret, num_doc_ret, "
                              "num_serie_cp, num_cp, fec_emision_cp, mto_base_rp, mto_imp_rp) "
                              "SELECT tip_retencion, tip_doc_ret, num_doc_ret, num_serie_cp, "
                              "num_cp, fec_emision_cp, mto_base_rp, mto_imp_rp FROM %1")
                       .arg(prefixed(id, "F947RPDET")) +
                   keyWhere(id) + QStringLiteral(" AND tip_doc_ret = 6"),
               keyParams(id));
    // the sent payment vouchers are keyed without the document type
    const QString paymentsWhere =
        id.sent ? QStringLiteral(" WHERE doc_id_d = ? AND periodo = ? AND formulario = ? AND "
                                 "correl = ?")
                : kKeyWhere;
    db.execute(QStringLiteral("INSERT INTO TMPF947RPDETDET SELECT num_doc_ret, num_serie_cp, "
                              "num_cp, tip_cp_det, num_serie_det, num_cp_det, fec_emis_det, "
                              "mto_cp_det FROM %1")
                       .arg(prefixed(id, "F947RPDETDET")) +
                   paymentsWhere,
               keyParams(id));
}

} // namespace

void loadDetail(Database& db, const DeclarationId& id) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    stageDetail(db, id);
    tx.commit();
}

OpenedDeclaration openDeclaration(Database& db, const DeclarationId& id) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    OpenedDeclaration opened;
    opened.version = storedVersion(db, recordKey(id));
    opened.stored = readStored(db, id);
    stageDetail(db, id);
    tx.commit();
    return opened;
}

std::vector<SubjectRow> stagedSubjects(Database& db) {
    std::vector<SubjectRow> rows;
    Cursor c = db.query(
        QStringLiteral("SELECT num_doc_ret, des_razon, mto_base_rp, mto_imp_rp, des_apellido_p, "
                       "des_apellido_m, des_nombres FROM TMPF947RPCAB WHERE tip_retencion = 'R' "
                       "ORDER BY tip_doc_ret, num_doc_ret"));
    while (c.next())
        rows.push_back(
            {c.text(0), c.text(1), c.text(2), c.text(3), c.text(4), c.text(5), c.text(6)});
    return rows;
}

std::pair<QString, QString> stagedTotals(Database& db) {
    const SqlDialect& d = db.dialect();
    Cursor c = db.query(QStringLiteral("SELECT %1, %2 FROM TMPF947RPCAB WHERE tip_retencion = 'R'")
                            .arg(d.exactSum(QStringLiteral("mto_base_rp")),
                                 d.exactSum(QStringLiteral("mto_imp_rp"))));
    c.next();
    const QString pattern = QStringLiteral("###,###,###,###,##0");
    return {formatNumber(Decimal::leadingValue(c.text(0)), pattern),
            formatNumber(Decimal::leadingValue(c.text(1)), pattern)};
}

void deleteStagedSubject(Database& db, const QString& ruc) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    const QString where =
        QStringLiteral(" WHERE tip_retencion = 'R' AND tip_doc_ret = 6 AND num_doc_ret = ?");
    db.execute(QStringLiteral("DELETE FROM TMPF947RPCAB") + where, {ruc});
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDET") + where, {ruc});
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDETDET WHERE num_doc_ret = ?"), {ruc});
    tx.commit();
}

void deleteStagedRetentions(Database& db) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    const QString where = QStringLiteral(" WHERE tip_retencion = 'R' AND tip_doc_ret = 6");
    db.execute(QStringLiteral("DELETE FROM TMPF947RPCAB") + where);
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDET") + where);
    db.execute(db.dialect().emptySessionTable(QStringLiteral("TMPF947RPDETDET")));
    tx.commit();
}

namespace {

// Whether the declaration holds detail rows that the save does not rewrite (of a retention
// kind other than "R" with a RUC): then what it wrote is not all that is stored.
bool keepsOtherRows(Database& db, const DeclarationId& id) {
    for (const char* table : {"F947RPCAB", "F947RPDET"}) {
        if (db.scalar(QStringLiteral("SELECT 1 FROM %1").arg(QLatin1String(table)) + kKeyWhere +
                          QStringLiteral(" AND NOT (tip_retencion = 'R' AND tip_doc_ret = 6)"),
                      keyValues(id)))
            return true;
    }
    return false;
}

const QString& saveAction(const SaveInput& in) {
    if (in.imported)
        return in.loaded.registered ? action::kImportada : action::kImportadaNueva;
    return in.loaded.registered ? action::kModificada : action::kNueva;
}

} // namespace

SaveResult saveDeclaration(Database& db, const SaveInput& in, const QDate& today) {
    const auto box = [&](int code) {
        const auto it = in.boxes.find(code);
        return it == in.boxes.end() ? QString() : it->second;
    };
    const int estado = estadoOf({box(401), box(405), box(410), in.payment});
    const DeclarationId& id = in.id;

    Transaction tx(db);
    RecordedChange change(db, recordKey(id), in.actor, saveAction(in), in.loaded);
    // the save rewrites every row of the declaration: what it writes is what is stored after
    CheckDigest written;
    writeHeader(db, in, estado, today, written);
    const QString checksum = parameterChecksum(db, id.form);
    db.execute(QStringLiteral("DELETE FROM DET WHERE doc_id_d = ? AND periodo = ? AND "
                              "formulario = ?"),
               keyValues(id));

    BoxWriter boxes(db, id);
    for (int code : {401, 402, 403, 404, 405, 410})
        boxes.put(QString::number(code), box(code));
    const PaymentForm& p = in.payment;
    const QString bank = p.banco == QLatin1String("XX") ? QString() : p.banco;
    boxes.put(QStringLiteral("002"), id.ruc);
    boxes.put(QStringLiteral("012"), p.numcheque);
    boxes.put(QStringLiteral("015"), bank);
    boxes.put(QStringLiteral("007"), id.period);
    boxes.put(QStringLiteral("721"), QStringLiteral("1.1"));
    boxes.put(QStringLiteral("722"), checksum);
    const QString whole = QStringLiteral("##############0");
    boxes.put(QStringLiteral("502"), formatText(in.totalBase, whole));
    boxes.put(QStringLiteral("503"), formatText(in.totalRetention, whole));
    boxes.put(QStringLiteral("501"), in.subjectCount);
    putVersionBox(db, boxes, id.form);
    boxes.put(QStringLiteral("871"), in.rectification);
    boxes.put(QStringLiteral("005"), in.rectification);
    boxes.put(QStringLiteral("500"), in.modalityCode);
    boxes.put(QStringLiteral("999"), p.formapago);
    boxes.put(QStringLiteral("599"), p.formapago);

    rewriteSubjects(db, id, written);
    rewriteVouchers(db, id, in.retentionRate, written);
    rewritePayments(db, id, written);

    const DetailTotals vouchers = detailTotals(db, id, QStringLiteral("F947RPDET"));
    const DetailTotals payments = detailTotals(db, id, QStringLiteral("F947RPDETDET"));
    boxes.put(QStringLiteral("510"), vouchers.count);
    boxes.put(QStringLiteral("511"), vouchers.base);
    boxes.put(QStringLiteral("512"), vouchers.retention);
    boxes.put(QStringLiteral("513"), payments.count);
    boxes.put(QStringLiteral("514"), payments.base);
    boxes.write(written);
    const LoadedVersion stored = change.record(keepsOtherRows(db, id) ? nullptr : &written);
    tx.commit();
    return {estado, stored};
}

std::optional<LoadedVersion> registerOrderNumber(Database& db, const DeclarationId& id,
                                                 const QString& orden, const LoadedVersion& loaded,
                                                 const Actor& actor) {
    const TableDef& hcab = tableDef(QStringLiteral("HCAB"));
    Transaction tx(db);
    RecordedChange change(db, recordKey(id), actor, action::kNumeroOrden, loaded);
    Cursor found = db.query(QStringLiteral("SELECT * FROM HCAB") + keyWhere(id), keyParams(id));
    if (!found.next())
        return std::nullopt;
    QVariantList row = typedRow(hcab, found.record());
    row[hcab.indexOf(QStringLiteral("norden"))] = orden;
    row.back() = CalculaCNumero(row, hcab.checkKeyLength);
    db.execute(QStringLiteral("UPDATE HCAB SET norden = ?, cNumero = ?") + keyWhere(id),
               QVariantList{orden, row.back()} + keyParams(id));
    const LoadedVersion stored = change.record();
    tx.commit();
    return stored;
}

} // namespace ret
