#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>

#include <gtest/gtest.h>

#include <map>

namespace ret::test {

// Every shown column of `grid` up to `last` is within its width as it stands (no scrolling), as
// wide as its heading needs and as wide as its widest text in `widest` needs.
inline void expectColumnsReadable(const QTableView& grid, const std::map<int, QString>& widest,
                                  int last) {
    const QHeaderView* header = grid.horizontalHeader();
    // a cell's text needs what the style gives a cell of that text
    const auto cellWidth = [&grid](const QString& text) {
        QStyleOptionViewItem cell;
        cell.initFrom(&grid);
        cell.font = grid.font();
        cell.fontMetrics = grid.fontMetrics();
        cell.features = QStyleOptionViewItem::HasDisplay;
        cell.text = text;
        return grid.style()
            ->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), &grid)
            .width();
    };
    for (int c = 0; c <= last; ++c) {
        if (grid.isColumnHidden(c))
            continue;
        SCOPED_TRACE(header->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
        if (const auto found = widest.find(c); found != widest.end()) {
            EXPECT_GE(header->sectionSize(c), cellWidth(found->second));
        }
        EXPECT_GE(header->sectionViewportPosition(c), 0);
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c),
                  grid.viewport()->width());
    }
}

} // namespace ret::test
