#pragma once

#include <QAbstractTableModel>

namespace ret {

class GridSource;

// A read-only table over the rows a rules class holds.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(const GridSource& source, QObject* parent = nullptr)
        : QAbstractTableModel(parent), source_(source) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The source has read its rows afresh.
    void reload();

private:
    const GridSource& source_;
};

} // namespace ret
