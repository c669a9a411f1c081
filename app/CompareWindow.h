#pragma once

#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QWidget>

#include "combine/FileCompare.h"

class CSVDBS;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The union of two files' rows as a table: a first column saying what
// happened to the row, then the columns of both files. Rows are indices into
// the comparison, so a million rows cost no item per cell.
class CompareModel final : public QAbstractTableModel {
public:
    explicit CompareModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows `result` over the two stores (which must stay unchanged while it
    // is shown); nullptr shows nothing.
    void show(const CSVDBS* older, const CSVDBS* newer, const FileCompare::Result* result, bool onlyDifferences);
    void setTints(QColor added, QColor removed, QColor changed);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const FileCompare::Row& rowAt(int row) const;

    const CSVDBS* m_older = nullptr;
    const CSVDBS* m_newer = nullptr;
    const FileCompare::Result* m_result = nullptr;
    bool m_only = false;
    std::vector<std::int32_t> m_differing; // indices of the differing rows, when only they show
    QColor m_added, m_removed, m_changed;
};

// File > Compare With...: the open file beside another version of it, which
// is read into a store of its own. The open file is only ever read; before
// it changes, the window lets go of the comparison (see openFileChanging).
class CompareWindow final : public QWidget {
    Q_OBJECT

public:
    CompareWindow(QWidget* parent, const CSVDBS& open, const QString& openName);
    ~CompareWindow() override;

    // Called before the open file changes: the rows shown refer to it by
    // number, so they go, and the window asks for a new comparison.
    void openFileChanging();

    void Browse_Click();
    void Compare_Click();
    void Export_Click();

    const FileCompare::Result* result() const { return m_result.get(); }
    QLabel* statusLine() const { return m_status; }
    CompareModel* model() const { return m_model; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTints();
    void showResult();

    const CSVDBS& m_open;
    QString m_openName;
    std::unique_ptr<CSVDBS> m_other;
    QString m_otherName;
    std::unique_ptr<FileCompare::Result> m_result;

    QLineEdit* m_path = nullptr;
    QComboBox* m_key = nullptr;
    QCheckBox* m_only = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_export = nullptr;
    CompareModel* m_model = nullptr;
};
