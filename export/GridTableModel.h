#pragma once

#include <QAbstractTableModel>

#include "export/GridText.h"

// A table model that shows a GridText: the counts, the cells as a grid paints
// them, the headings across and the row numbers down. The main grid and the
// Filter window's results differ only in where their rows come from.
class GridTableModel : public QAbstractTableModel, public GridText {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : shownRows(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : headingCount(); }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};
