#pragma once

#include <QString>

#include <vector>

namespace ret {

struct GridColumn {
    QString caption;
    bool hidden = false;
};

// What a read-only grid shows: its columns and the text of each cell.
class GridSource {
public:
    virtual ~GridSource() = default;
    virtual const std::vector<GridColumn>& columns() const = 0;
    virtual int rowCount() const = 0;
    // Empty outside the rows and columns.
    virtual QString displayText(int row, int column) const = 0;
};

} // namespace ret
