#pragma once

#include "tools/GridPlace.h"

class GridModel;
class QTableView;

// The main window's grid as the tools see it.
class GridViewPlace final : public GridPlace {
public:
    GridViewPlace(QTableView& view, const GridModel& model) : m_view(view), m_model(model) {}

    int shownRows() const override;
    int columnCount() const override;
    CSVDBS::RecordNo recordAt(int row) const override;
    QString heading(int column) const override;
    int currentRow() const override;
    int currentColumn() const override;
    std::optional<Block> selectedBlock() const override;
    void moveTo(int row, int column) override;

private:
    QTableView& m_view;
    const GridModel& m_model;
};
