#include "app/BanksQuery.h"

#include "common/Database.h"
#include "common/Messages.h"
#include "common/Session.h"

namespace ret {

BanksQuery::BanksQuery(Session& session)
    : session_(session), columns_{{QStringLiteral("Código")}, {QStringLiteral("Descripción")}} {}

QString BanksQuery::displayText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= int(columns_.size()))
        return {};
    return rows_[size_t(row)][column];
}

void BanksQuery::load() {
    rows_.clear();
    // no other kind of query is asked of this window
    if (session_.QueryKind == kBanksQueryKind) {
        caption_ = QStringLiteral("Bancos");
        const SqlDialect& d = session_.db->dialect();
        const QString sql =
            QStringLiteral("SELECT ") + d.substring(QStringLiteral("ARGUMENTO"), 1, 2) +
            QStringLiteral(" AS codigo, ") + d.substring(QStringLiteral("FUNCION"), 1, 36) +
            QStringLiteral(" AS descrip FROM PARAM WHERE NUMERO=? AND "
                           "TRIM(ARGUMENTO)<>? ORDER BY 1");
        try {
            Cursor c = session_.db->query(sql, {QStringLiteral("004"), QStringLiteral("00")});
            while (c.next())
                rows_.push_back({c.text(0), c.text(1)});
        } catch (const DbError& e) {
            rows_.clear();
            showError(e);
        }
    }
    gridEnabled_ = !rows_.empty();
}

void BanksQuery::showError(const DbError& error) {
    session_.messages->inform(MsgIcon::None, error.text(), QStringLiteral("Error"));
}

} // namespace ret
