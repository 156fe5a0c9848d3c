#pragma once

#include "common/GridSource.h"
#include "common/Lookups.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace ret {

class Cursor;
class DbError;
struct Session;

// A list of stored declarations read by one query: its rows as read, the current row and
// whether its grid is enabled. What a row shows and what moving to it does are the list's own.
class QueriedList : public GridSource {
public:
    int rowCount() const override { return int(rows_.size()); }
    const QStringList& row(int index) const { return rows_.at(size_t(index)); }
    bool gridEnabled() const { return gridEnabled_; }
    int currentRow() const { return current_; }

protected:
    explicit QueriedList(Session& session) : session_(session) {}

    // Reads the rows afresh and moves to the first. A database failure is shown and leaves the
    // list empty with its grid disabled; false then.
    bool readList(const SqlText& query, const std::function<QStringList(const Cursor&)>& rowOf);
    virtual void moveTo(int row) = 0;
    // A database error, shown under "Error".
    void showError(const DbError& error);

    Session& session_;
    std::vector<QStringList> rows_;
    int current_ = -1;
    bool gridEnabled_ = true;
};

} // namespace ret
