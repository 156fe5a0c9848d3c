#pragma once

#include <QString>
#include <QVariantList>

#include <cstdint>
#include <optional>

namespace ret {

class Database;
class FieldRules;

// A query with the values to bind to its "?" placeholders.
struct SqlText {
    QString sql;
    QVariantList params;
};

// The funcion record of a parameter row (table `numero`, code `argumento`); nullopt when the
// table has no such row.
std::optional<QString> LeeParametro(Database& db, const QString& numero, const QString& argumento);

// The kind of an integrator user (CLAVES.tipo); "1" when the user has no row.
QString TipoUsuario(Database& db, const QString& user);

// The text of an error code of the integrator's error table (code 151 is "0151"); empty when
// the table has no row for it.
QString DescripcionError(Database& db, int code);

// The query listing the contributors offered for a new declaration: RUC holders, of exactly 11
// characters when the RUC document type asks for it, only the user's own unless the user is of
// kind "0".
SqlText SqlContribuyentes(Database& db, const QString& form, const QString& user);

// Whether a document number suits its document type of parameter table 044 (its length, and
// digits only or letters and digits).
bool ValidaDocumento(Database& db, const FieldRules& rules, const QString& type,
                     const QString& number);

// The same check against a document-type record already read (nullopt: the type has none), for
// callers that check many numbers of one type.
bool ValidaDocumentoSegun(const std::optional<QString>& record, const FieldRules& rules,
                          const QString& number);

// counter += step within the 16-bit range (std::overflow_error outside it); the new value as
// text.
QString Incrementa(std::int16_t& counter, std::int16_t step);

} // namespace ret
