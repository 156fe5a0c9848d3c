#include "declaration/RetentionRate.h"

#include "common/Database.h"
#include "common/Parameters.h"

#include <QStringList>

namespace ret {
namespace {

const QString kRateTable = QStringLiteral("969");

} // namespace

QString BuscaTasaRetencion(Database& db, const QString& modalityClass, const QString& period) {
    const QString prefix = QStringLiteral("010909") + modalityClass;
    const SqlDialect& d = db.dialect();
    // the validity starts of the class's rate rows, in order, closed by a sentinel
    QStringList starts;
    Cursor rows = db.query(QStringLiteral("SELECT argumento FROM PARAM WHERE numero = ? AND %1 = ? "
                                          "ORDER BY argumento")
                               .arg(d.left(QStringLiteral("argumento"), 7)),
                           {kRateTable, prefix});
    while (rows.next())
        starts << rows.text(0).trimmed().mid(7, 6);
    starts << QStringLiteral("99991231");

    qsizetype j = 1;
    for (; j < starts.size(); ++j) {
        if (starts[j - 1].left(6) <= period && period < starts[j].left(6))
            break;
    }
    if (j >= starts.size() || modalityClass.isEmpty())
        return QStringLiteral("0");
    const QString key = prefix + starts[j - 1].trimmed();
    Cursor rate = db.query(QStringLiteral("SELECT funcion FROM PARAM WHERE numero = ? AND %1 = ? "
                                          "ORDER BY argumento")
                               .arg(d.left(QStringLiteral("argumento"), 13)),
                           {kRateTable, key});
    if (!rate.next())
        return QStringLiteral("0");
    return ParamField(rate.text(0), 2, 5);
}

} // namespace ret
