#pragma once

#include <vector>

#include "store/cluster/ClusterMerge.h"
#include "store/cluster/Clustering.h"
#include "window/ToolDialog.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

// "Cluster Similar Values": finds the clusters of near-identical values in a
// column and merges the ones the user ticks into the new value each gives,
// as one undoable step per merge. Each cluster lists its values with their
// row counts, each ticked to take part, and the new value (at first the most
// frequent), which the user may edit.
class ClusterDialog final : public ToolDialog {
    Q_OBJECT

public:
    // Tree columns.
    enum { MergeColumn, ValueColumn, RowsColumn, NewValueColumn };

    // `field` (1-based) is the column chosen at first.
    ClusterDialog(QWidget* parent, CSVDBS& store, int field = 1);

    void Form_Load();
    void Cluster_Click();
    void MergeRecluster_Click();
    void MergeClose_Click();
    void Close_Click();

    // Old to new, for the ticked values of the clusters ticked to merge.
    std::vector<cluster::Edit> selectedEdits() const;

    QComboBox* cboColumn = nullptr;
    QComboBox* cboMethod = nullptr;
    QLabel* lblRadius = nullptr;
    QSpinBox* spnRadius = nullptr;
    QLabel* lblNgram = nullptr;
    QSpinBox* spnNgram = nullptr;
    QPushButton* cmdCluster = nullptr;
    QTreeWidget* lstClusters = nullptr;
    QLabel* lblFound = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdUnselectAll = nullptr;
    QPushButton* cmdMergeRecluster = nullptr;
    QPushButton* cmdMergeClose = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    cluster::Options chosenOptions() const;
    void showMethodOptions();
    // Clusters the chosen column, with progress and Cancel in a window of
    // their own (the dialog takes no input while it works).
    void runClustering();
    void fillClusters(const cluster::Result& result);
    void tickAll(bool ticked);
    // Merges what is ticked (nothing when nothing is); false when the user cancelled it.
    bool mergeSelected();

    int m_field;
    QString m_merged; // what the last merge changed, for the line under the list
};
