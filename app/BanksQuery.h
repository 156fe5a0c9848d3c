#pragma once

#include "common/GridSource.h"

#include <QSize>
#include <QStringList>

namespace ret {

class DbError;
struct Session;

// FrmConsultas: the look-up of bank codes (parameter table 004) that the query kind "B" asks
// for. It changes nothing in the database.
class BanksQuery final : public GridSource {
public:
    explicit BanksQuery(Session& session);

    QString caption() const { return caption_; }
    static QSize sizeTwips() { return {7065, 4140}; }
    static int helpContext() { return 1014; }

    const std::vector<GridColumn>& columns() const override { return columns_; }
    int rowCount() const override { return int(rows_.size()); }
    QString displayText(int row, int column) const override;

    bool gridEnabled() const { return gridEnabled_; }

    // Reads the banks: every row of table 004 but "00" (no bank), as its 2-character code and
    // the first 36 characters of its record, by code.
    void load();

private:
    void showError(const DbError& error);

    Session& session_;
    QString caption_;
    std::vector<GridColumn> columns_;
    std::vector<QStringList> rows_;
    bool gridEnabled_ = true;
};

inline const QString kBanksQueryKind = QStringLiteral("B");

} // namespace ret
