#include "export/GridTableModel.h"

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return displayedCell(cellBytes(index.row(), index.column()));
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= headingCount())
            return {};
        return QString::fromStdString(headingText(section));
    }
    return section + 1;
}
