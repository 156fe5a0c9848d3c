#pragma once

#include "common/Lookups.h"

#include <QString>

#include <vector>

namespace ret {

class SqlDialect;

enum class ListKind {
    Registered, // CAB: FrmContAbrir
    Sent,       // HCAB: FrmContAbrirE
};

inline const QString kOrderByPeriodDesc = QStringLiteral(" ORDER BY A.PERIODO DESC");
inline const QString kOrderByRuc = QStringLiteral(" ORDER BY A.DOC_ID_D ASC");
inline const QString kOrderByName = QStringLiteral(" ORDER BY B.NOMBRE ASC");
inline const QString kOrderByRucAndPeriod = QStringLiteral(" ORDER BY A.DOC_ID_D ASC, A.PERIODO");

// The stored period of table A (yyyymm) as month and year (mmyyyy), as an expression.
QString monthYearPeriod(const SqlDialect& dialect);

// The order a list comes up in, and returns to on every activation.
QString defaultOrder(ListKind kind);

// The declarations of the form whose contributors the user registered, with the period as
// month and year (mmyyyy), followed by `order`.
SqlText listQuery(const SqlDialect& dialect, ListKind kind, const QString& order,
                  const QString& form, const QString& user);

// The five statements that delete a registered declaration with its whole detail, in the order
// they run: boxes, header, then the detail from the bottom level up.
std::vector<SqlText> registeredDeleteStatements(const SqlDialect& dialect, const QString& ruc,
                                                const QString& periodo, const QString& form);

// The five statements that delete one sent copy (its correl) of a declaration. The payment
// vouchers are matched without the document type, as that table's key has none.
std::vector<SqlText> sentDeleteStatements(const SqlDialect& dialect, const QString& ruc,
                                          const QString& periodo, const QString& form,
                                          const QString& correl);

} // namespace ret
