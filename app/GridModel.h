#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QStringList>

#include "export/GridTableModel.h"

class CSVDBS;

// The grid's view of the store: column i is field i, and each row shows the
// record whose number the row list holds. Values are read from the store as
// they are painted, never copied, so a million records cost one number each.
class GridModel final : public GridTableModel {
public:
    explicit GridModel(QObject* parent = nullptr) : GridTableModel(parent) {}

    // Shows every record of `store` in order, headed by the field names or,
    // with `namedHeadings` false, by "Column 1", "Column 2" ...; an empty or
    // never-loaded store shows an empty grid.
    void rebuild(const CSVDBS* store, bool namedHeadings);
    // Lets cells be edited in place, each edit one step of `store` (the store
    // the grid shows); nullptr makes the grid read-only.
    void setEditableStore(CSVDBS* store) { m_editable = store; }
    // Shows only the records whose value in the column headed `heading`
    // (1-based `field` where headings repeat) is one of `values`, from the
    // next rebuild on; no values shows every record again. The rows are the
    // record numbers alone: nothing of the store is copied.
    void setRowFilter(int field, std::vector<std::string> values);
    void clearRowFilter() { setRowFilter(0, {}); }
    bool filtered() const { return m_filterField > 0; }
    int filterField() const { return m_filterField; }
    const std::vector<std::string>& filterValues() const { return m_filterValues; }
    // Every record of the store, shown or not.
    std::int32_t recordCount() const { return m_allRecords; }
    // The record numbers the rows `first` to `last` show.
    std::vector<std::int32_t> recordsOf(int first, int last) const;

    // The record number row `row` shows.
    std::int32_t recordAt(int row) const { return m_records[static_cast<std::size_t>(row)]; }

    QString heading(int column) const { return m_headings.value(column); }
    QStringList headings() const { return m_headings; }
    // The text of one cell, whole (the display may shorten long values).
    QString cellText(int row, int column) const;

    int headingCount() const override { return static_cast<int>(m_headingBytes.size()); }
    int shownRows() const override { return static_cast<int>(m_records.size()); }
    const std::string& headingText(int column) const override { return m_headingBytes[static_cast<std::size_t>(column)]; }
    std::string_view cellBytes(int row, int column) const override;

    // The display as the base shows it; the edit role gives the whole text.
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores the text, empty included, in the record the row shows.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Tells the view that these cells changed in the store (a paste).
    void cellsChanged(int top, int left, int bottom, int right);

private:
    bool showsCell(int row, int column) const;

    const CSVDBS* m_store = nullptr;
    CSVDBS* m_editable = nullptr;
    QStringList m_headings;
    std::vector<std::string> m_headingBytes;
    std::vector<std::int32_t> m_records;
    std::int32_t m_allRecords = 0;
    int m_filterField = 0;
    std::vector<std::string> m_filterValues;
};
