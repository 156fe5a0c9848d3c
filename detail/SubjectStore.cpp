#include "detail/SubjectStore.h"

#include "common/Database.h"
#include "common/Schema.h"

namespace ret {

int subjectTotalWidth() {
    const TableDef& subjects = tableDef(QStringLiteral("TMPF947RPCAB"));
    return subjects.columns[size_t(subjects.indexOf(QStringLiteral("mto_base_rp")))].width;
}

DbError subjectTotalTooLarge(const QString& ruc) {
    return DbError(dberr::FieldTooSmall,
                   QStringLiteral("El total del sujeto de retención %1 es demasiado grande: no "
                                  "cabe en los %2 caracteres de su columna.")
                       .arg(ruc)
                       .arg(subjectTotalWidth()));
}
namespace {

const QString kKind = QStringLiteral("R");
constexpr int kRucType = 6;

const QString kSubjectKey =
    QStringLiteral(" WHERE tip_retencion = ? AND tip_doc_ret = ? AND num_doc_ret = ?");

QVariantList subjectKey(const QString& ruc) {
    return {kKind, kRucType, ruc};
}

QVariant orNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant countValue(const QString& count) {
    bool ok = false;
    const int n = count.trimmed().toInt(&ok);
    return ok ? QVariant(n) : QVariant();
}

std::optional<Decimal> sumValue(const QVariant& v) {
    if (v.isNull())
        return std::nullopt;
    return Decimal::parse(v.toString());
}

} // namespace

std::vector<SubjectVoucherRow> subjectVouchers(Database& db, const QString& ruc) {
    std::vector<SubjectVoucherRow> rows;
    Cursor c = db.query(QStringLiteral("SELECT num_serie_cp, num_cp, fec_emision_cp, mto_base_rp, "
                                       "mto_imp_rp FROM TMPF947RPDET WHERE num_doc_ret = ? AND "
                                       "tip_retencion = ?"),
                        {ruc, kKind});
    while (c.next())
        rows.push_back(
            {c.text(0), c.text(1), c.date(QStringLiteral("fec_emision_cp")), c.text(3), c.text(4)});
    return rows;
}

SubjectTotals subjectTotals(Database& db, const QString& ruc) {
    const SqlDialect& d = db.dialect();
    Cursor c = db.query(QStringLiteral("SELECT %1, %2 FROM TMPF947RPDET WHERE num_doc_ret = ? AND "
                                       "tip_retencion = ?")
                            .arg(d.exactSum(QStringLiteral("mto_base_rp")),
                                 d.exactSum(QStringLiteral("mto_imp_rp"))),
                        {ruc, kKind});
    if (!c.next())
        return {};
    return {sumValue(c.value(0)), sumValue(c.value(1))};
}

bool subjectStaged(Database& db, const QString& ruc) {
    return db.scalar(QStringLiteral("SELECT 1 FROM TMPF947RPCAB") + kSubjectKey, subjectKey(ruc))
        .has_value();
}

SubjectWrite writeSubject(Database& db, const SubjectRecord& r, bool isNew) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    const bool exists = subjectStaged(db, r.ruc);
    if (isNew && exists)
        return SubjectWrite::Duplicate;
    if (!exists) {
        db.execute(QStringLiteral("INSERT INTO TMPF947RPCAB (tip_retencion, tip_doc_ret, "
                                  "num_doc_ret) VALUES (?, ?, ?)"),
                   subjectKey(r.ruc));
    }
    QVariantList params = {r.razon};
    QString names;
    if (!r.company) {
        // a company's surname columns are left as they are
        names = QStringLiteral(", des_apellido_p = ?, des_apellido_m = ?, des_nombres = ?");
        params << r.apellidoP << r.apellidoM << r.nombres;
    }
    params << countValue(r.count) << orNull(r.base) << orNull(r.retencion) << subjectKey(r.ruc);
    db.execute(QStringLiteral("UPDATE TMPF947RPCAB SET des_razon = ?") + names +
                   QStringLiteral(", ctd_docs = ?, mto_base_rp = ?, mto_imp_rp = ?") + kSubjectKey,
               params);
    tx.commit();
    return SubjectWrite::Written;
}

void writeSubjectTotals(Database& db, const QString& ruc, const QString& count, const QString& base,
                        const QString& retencion) {
    db.execute(QStringLiteral("UPDATE TMPF947RPCAB SET ctd_docs = ?, mto_base_rp = ?, "
                              "mto_imp_rp = ?") +
                   kSubjectKey,
               QVariantList{countValue(count), orNull(base), orNull(retencion)} + subjectKey(ruc));
}

void deleteSubjectRow(Database& db, const QString& ruc) {
    db.execute(QStringLiteral("DELETE FROM TMPF947RPCAB") + kSubjectKey, subjectKey(ruc));
}

void deleteSubjectVoucher(Database& db, const QString& ruc, const QString& serie,
                          const QString& numero) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDETDET WHERE num_doc_ret = ? AND "
                              "num_serie_cp = ? AND num_cp = ?"),
               {ruc, serie, numero});
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDET") + kSubjectKey +
                   QStringLiteral(" AND num_serie_cp = ? AND num_cp = ?"),
               subjectKey(ruc) + QVariantList{serie, numero});
    tx.commit();
}

void dropUnacceptedDetail(Database& db, const QString& ruc) {
    Transaction tx(db, Transaction::Writes::SessionTables);
    if (subjectStaged(db, ruc))
        return;
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDETDET WHERE num_doc_ret = ?"), {ruc});
    db.execute(QStringLiteral("DELETE FROM TMPF947RPDET") + kSubjectKey, subjectKey(ruc));
    tx.commit();
}

} // namespace ret
