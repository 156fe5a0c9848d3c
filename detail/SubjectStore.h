#pragma once

#include "common/DbError.h"
#include "common/Decimal.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace ret {

class Database;

// The width of a subject's total columns (mto_base_rp, mto_imp_rp).
int subjectTotalWidth();
// A subject's total that its column cannot hold exactly: refused, naming the subject, rather
// than stored rounded.
DbError subjectTotalTooLarge(const QString& ruc);

// One staged retention voucher of a subject, as stored.
struct SubjectVoucherRow {
    QString serie;
    QString numero;
    QDate fecha;
    QString base;
    QString retencion;
};

// The exact sums of a subject's staged vouchers; empty when no voucher holds an amount.
struct SubjectTotals {
    std::optional<Decimal> base;
    std::optional<Decimal> retencion;
};

// What "&Aceptar" writes to the subject's staging row.
struct SubjectRecord {
    QString ruc;
    bool company = false;
    QString razon;
    QString apellidoP; // persons only
    QString apellidoM;
    QString nombres;
    QString count; // ctd_docs; empty is null
    QString base;  // mto_base_rp as stored
    QString retencion;
};

// The staged vouchers of kind "R" of one subject RUC, in the engine's order.
std::vector<SubjectVoucherRow> subjectVouchers(Database& db, const QString& ruc);
SubjectTotals subjectTotals(Database& db, const QString& ruc);

bool subjectStaged(Database& db, const QString& ruc);

enum class SubjectWrite { Written, Duplicate };
// A new subject is added unless its row exists already (Duplicate, nothing written); an
// existing one has its names, count and totals rewritten.
SubjectWrite writeSubject(Database& db, const SubjectRecord& record, bool isNew);
void writeSubjectTotals(Database& db, const QString& ruc, const QString& count, const QString& base,
                        const QString& retencion);
void deleteSubjectRow(Database& db, const QString& ruc);

// A voucher and its payment vouchers, in one transaction.
void deleteSubjectVoucher(Database& db, const QString& ruc, const QString& serie,
                          const QString& numero);
// The vouchers and payment vouchers staged under a RUC that has no subject row, in one
// transaction; nothing when the subject exists.
void dropUnacceptedDetail(Database& db, const QString& ruc);

} // namespace ret
