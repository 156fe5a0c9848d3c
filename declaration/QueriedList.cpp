#include "declaration/QueriedList.h"

#include "common/Database.h"
#include "common/Messages.h"
#include "common/Session.h"

namespace ret {

bool QueriedList::readList(const SqlText& query,
                           const std::function<QStringList(const Cursor&)>& rowOf) {
    std::vector<QStringList> rows;
    try {
        Cursor c = session_.db->query(query.sql, query.params);
        while (c.next())
            rows.push_back(rowOf(c));
    } catch (const DbError& e) {
        rows_.clear();
        current_ = -1;
        gridEnabled_ = false;
        showError(e);
        return false;
    }
    rows_ = std::move(rows);
    gridEnabled_ = !rows_.empty();
    current_ = -1;
    if (!rows_.empty())
        moveTo(0);
    return true;
}

void QueriedList::showError(const DbError& error) {
    session_.messages->inform(MsgIcon::None, error.text(), QStringLiteral("Error"));
}

} // namespace ret
