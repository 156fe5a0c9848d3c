#include "common/Lookups.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Parameters.h"

#include <stdexcept>

namespace ret {
namespace {

bool nonZeroDigit(const QString& field) {
    return field.size() == 1 && field.at(0).isDigit() && field.at(0) != QLatin1Char('0');
}

std::optional<QString> documentTypeRecord(Database& db, const QString& type) {
    return LeeParametro(db, QStringLiteral("044"), type);
}

} // namespace

std::optional<QString> LeeParametro(Database& db, const QString& numero, const QString& argumento) {
    const auto f =
        db.scalar(QStringLiteral("SELECT funcion FROM PARAM WHERE numero = ? AND argumento = ?"),
                  {numero, argumento});
    if (!f)
        return std::nullopt;
    return f->toString();
}

QString TipoUsuario(Database& db, const QString& user) {
    const auto tipo =
        db.scalar(QStringLiteral("SELECT tipo FROM CLAVES WHERE usuario = ?"), {user});
    if (!tipo)
        return QStringLiteral("1");
    return tipo->toString();
}

QString DescripcionError(Database& db, int code) {
    const QString formatted = QStringLiteral("%1").arg(code, 4, 10, QLatin1Char('0'));
    const auto text =
        db.scalar(QStringLiteral("SELECT DescError FROM ERROR WHERE CodError = ?"), {formatted});
    return text ? text->toString() : QString();
}

SqlText SqlContribuyentes(Database& db, const QString& /*form*/, const QString& user) {
    const QString ruc = documentTypeRecord(db, QStringLiteral("6")).value_or(kDefaultRucRecord);
    const SqlDialect& d = db.dialect();
    SqlText out;
    QString where = QStringLiteral(" WHERE tip_doc_d = 6 ");
    if (ParamField(ruc, 46, 2) == QLatin1String("11") && ParamField(ruc, 130, 1) == "1")
        where += QStringLiteral(" AND %1 = 11 ").arg(d.trimmedLength(QStringLiteral("doc_id_d")));
    if (TipoUsuario(db, user) == QLatin1String("0")) {
        where += QStringLiteral(" ORDER BY tip_doc_d, doc_id_d ");
    } else {
        where += QStringLiteral(" AND usuario = ? ORDER BY tip_doc_d, doc_id_d ");
        out.params << user;
    }
    out.sql = QStringLiteral(" SELECT * FROM CONT") + where;
    return out;
}

bool ValidaDocumento(Database& db, const FieldRules& rules, const QString& type,
                     const QString& number) {
    const QString num = number.trimmed();
    if (num.isEmpty() || type.trimmed().isEmpty())
        return false;
    // "06" and "6" are the same type
    const QString key = QString::number(Decimal::leadingValue(type).roundedToWhole());
    return ValidaDocumentoSegun(documentTypeRecord(db, key), rules, num);
}

bool ValidaDocumentoSegun(const std::optional<QString>& record, const FieldRules& rules,
                          const QString& number) {
    const QString num = number.trimmed();
    if (!record || num.isEmpty())
        return false;
    const qint64 length = Decimal::leadingValue(ParamField(*record, 46, 2)).roundedToWhole();
    const bool lengthOk =
        nonZeroDigit(ParamField(*record, 130, 1)) ? num.size() == length : num.size() <= length;
    const bool charsOk = nonZeroDigit(ParamField(*record, 128, 1))
                             ? rules.IsAllDigits(num, 0, 0, 0)
                             : rules.IsAlphanumeric(num, 0, 0);
    return lengthOk && charsOk;
}

QString Incrementa(std::int16_t& counter, std::int16_t step) {
    const int next = int(counter) + int(step);
    if (next < INT16_MIN || next > INT16_MAX)
        throw std::overflow_error("Desbordamiento");
    counter = std::int16_t(next);
    return QString::number(next);
}

} // namespace ret
