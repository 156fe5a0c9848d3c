#pragma once

// the declaration key only (no code of the declaration library is used)
#include "declaration/DeclarationStore.h"

#include <QString>

#include <map>

namespace ret {
class Cursor;
class Database;
struct EstadoReporte;
class FieldRules;
class ImpLinea;
} // namespace ret

namespace ret::reports {

// What both reports print about the declaration: its key and name, its boxes (text values by
// box number), and the payment data and numbers of its header row.
struct ReportInputs {
    DeclarationId id;
    QString name;                 // razón social
    std::map<int, QString> boxes; // every stored box but 721, 722 and 790
    QString banco;                // bcolibrad
    QString cheque;               // nrocheque
    QString efectivo;             // cash indicator
    QString orderNumber;          // sent copies only
    QString controlNumber;        // sent copies only

    QString box(int number) const;
    // The box's leading numeric value as a whole number; 0 when empty or unreadable.
    long long boxNumber(int number) const;
};

// Reads the declaration's boxes and header row (the history copy for a sent one). A missing
// header row leaves the payment data empty. Throws DbError.
ReportInputs CargarCasillas(Database& db, const DeclarationId& id, const QString& name);

// The modality title of table 971 for box 500 (a blank when there is none).
QString modalityTitle(Database& db, const QString& code);

// A subject's printed name: the surnames and names of a person, or the company name; at most
// 45 characters. Reads des_razon, des_apellido_p, des_apellido_m, des_nombres.
QString subjectName(const Cursor& row);

// The subjects of the declaration (or of its sent copy): table, condition and values.
QString subjectTable(const DeclarationId& id);
// The columns that pick a declaration's detail rows: the number, period and form, and the
// copy's number for a sent copy.
QStringList detailColumns(const DeclarationId& id);
// The condition on those columns, each of `table` when given ("s."), the values in their order.
QString detailWhere(const DeclarationId& id, const QString& table = {});
QVariantList detailParams(const DeclarationId& id);

// Composes the declaration printout; returns the last page index it wrote on.
int ImprimirDeclaracion(Database& db, EstadoReporte& state, ImpLinea& out, const ReportInputs& in,
                        const FieldRules& rules);

} // namespace ret::reports
