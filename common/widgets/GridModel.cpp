#include "common/widgets/GridModel.h"

#include "common/GridSource.h"

namespace ret {

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : source_.rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(source_.columns().size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return source_.displayText(index.row(), index.column());
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= columnCount())
        return {};
    return source_.columns()[size_t(section)].caption;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace ret
