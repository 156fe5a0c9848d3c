#include "declaration/DeclarationListSql.h"

#include "common/SqlDialect.h"

namespace ret {
namespace {

QString selectedColumns(const SqlDialect& d, ListKind kind) {
    const QString head = QStringLiteral("SELECT A.DOC_ID_D, B.NOMBRE, ") + monthYearPeriod(d) +
                         QStringLiteral(" AS PERIODO");
    if (kind == ListKind::Registered)
        return head + QStringLiteral(", A.FORMULARIO, A.ESTADO, A.RECTIFICA FROM CAB AS A");
    return head + QStringLiteral(", A.FORMULARIO, A.NORDEN, A.FEC_ENV, A.CONTROL, A.CORREL, "
                                 "A.RECTIFICA FROM HCAB AS A");
}

} // namespace

QString monthYearPeriod(const SqlDialect& d) {
    return d.concat({d.substring(QStringLiteral("A.PERIODO"), 5, 2),
                     d.substring(QStringLiteral("A.PERIODO"), 1, 4)});
}

QString defaultOrder(ListKind kind) {
    return kind == ListKind::Registered ? kOrderByPeriodDesc : kOrderByRucAndPeriod;
}

SqlText listQuery(const SqlDialect& dialect, ListKind kind, const QString& order,
                  const QString& form, const QString& user) {
    const QString sql = selectedColumns(dialect, kind) +
                        QStringLiteral(", CONT AS B WHERE A.DOC_ID_D=B.DOC_ID_D AND "
                                       "A.TIP_DOC_D=6 AND B.TIP_DOC_D=6 AND "
                                       "A.FORMULARIO=? AND B.USUARIO=?") +
                        order;
    return {sql, {form, user}};
}

std::vector<SqlText> registeredDeleteStatements(const SqlDialect& dialect, const QString& ruc,
                                                const QString& periodo, const QString& form) {
    const QString header =
        QStringLiteral(" WHERE DOC_ID_D=? AND TIP_DOC_D=6 AND PERIODO=? AND FORMULARIO=?");
    const QString detail =
        QStringLiteral(" WHERE TIP_DOC_D=6 AND DOC_ID_D=? AND PERIODO=? AND FORMULARIO=?");
    const QVariantList key = {ruc, periodo, form};
    return {
        {dialect.deleteAll(QStringLiteral("DET")) + header, key},
        {dialect.deleteAll(QStringLiteral("CAB")) + header, key},
        {dialect.deleteAll(QStringLiteral("F947RPDETDET")) + detail, key},
        {dialect.deleteAll(QStringLiteral("F947RPDET")) + detail, key},
        {dialect.deleteAll(QStringLiteral("F947RPCAB")) + detail, key},
    };
}

std::vector<SqlText> sentDeleteStatements(const SqlDialect& dialect, const QString& ruc,
                                          const QString& periodo, const QString& form,
                                          const QString& correl) {
    const QString header = QStringLiteral(
        " WHERE DOC_ID_D=? AND TIP_DOC_D=6 AND PERIODO=? AND FORMULARIO=? AND CORREL=?");
    const QString payments =
        QStringLiteral(" WHERE DOC_ID_D=? AND PERIODO=? AND FORMULARIO=? AND CORREL=?");
    const QString detail = QStringLiteral(
        " WHERE TIP_DOC_D=6 AND DOC_ID_D=? AND PERIODO=? AND FORMULARIO=? AND CORREL=?");
    const QVariantList key = {ruc, periodo, form, correl};
    return {
        {dialect.deleteAll(QStringLiteral("HDET")) + header, key},
        {dialect.deleteAll(QStringLiteral("HCAB")) + header, key},
        {dialect.deleteAll(QStringLiteral("HF947RPDETDET")) + payments, key},
        {dialect.deleteAll(QStringLiteral("HF947RPDET")) + detail, key},
        {dialect.deleteAll(QStringLiteral("HF947RPCAB")) + detail, key},
    };
}

} // namespace ret
