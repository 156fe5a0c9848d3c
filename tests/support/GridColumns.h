#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <gtest/gtest.h>

#include <map>

namespace ret::test {

// Every shown column of `grid` up to `last` is within its width as it stands (no scrolling), as
// wide as its heading needs and as wide as its widest text in `widest` needs.
inline void expectColumnsReadable(const QTableView& grid, const std::map<int, QString>& widest,
                                  int last) {
    const QHeaderView* header = grid.horizontalHeader();
    const int margins =
        2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    const QFontMetrics metrics(grid.font());
    for (int c = 0; c <= last; ++c) {
        if (grid.isColumnHidden(c))
            continue;
        SCOPED_TRACE(header->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
        if (const auto found = widest.find(c); found != widest.end())
            EXPECT_GE(header->sectionSize(c), metrics.horizontalAdvance(found->second) + margins);
        EXPECT_GE(header->sectionViewportPosition(c), 0);
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c),
                  grid.viewport()->width());
    }
}

} // namespace ret::test
