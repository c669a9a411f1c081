#include "tools/ClusterDialog.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "store/CSVDBS.h"
#include "window/ControlNames.h"
#include "window/LongWork.h"
#include "window/ToolLayout.h"

namespace {

QString text(std::string_view bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); }

// The value's bytes, kept beside its text: a value that is not UTF-8 would
// not come back from the text as it was.
constexpr int BytesRole = Qt::UserRole + 1;

} // namespace

ClusterDialog::ClusterDialog(QWidget* parent, CSVDBS& store, int field)
    : ToolDialog(parent, store, QStringLiteral("ClusterDialog"), QStringLiteral("Cluster Similar Values")), m_field(field)
{
    cboColumn = new QComboBox(this);
    cboMethod = new QComboBox(this);
    cboMethod->addItems({QStringLiteral("Fingerprint"), QStringLiteral("N-gram fingerprint"),
                         QStringLiteral("Sounds alike (Cologne phonetics)"), QStringLiteral("Nearest neighbour (typos)")});
    lblRadius = new QLabel(QStringLiteral("Radius:"), this);
    spnRadius = new QSpinBox(this);
    spnRadius->setRange(1, 3);
    lblNgram = new QLabel(QStringLiteral("N-gram size:"), this);
    spnNgram = new QSpinBox(this);
    spnNgram->setRange(1, 3);
    spnNgram->setValue(2);
    cmdCluster = makeButton(QStringLiteral("Cluster"));

    lstClusters = new QTreeWidget(this);
    lstClusters->setHeaderLabels({QStringLiteral("Merge?"), QStringLiteral("Values in cluster"), QStringLiteral("Rows"),
                                  QStringLiteral("New value")});
    lstClusters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstClusters->setSelectionMode(QAbstractItemView::SingleSelection);
    lstClusters->setAlternatingRowColors(true);
    // Every cluster shows its values; nothing to fold away.
    lstClusters->setRootIsDecorated(false);
    lstClusters->setItemsExpandable(false);
    lstClusters->header()->setStretchLastSection(true);
    lstClusters->setMinimumSize(px(this, 10500), px(this, 4800));
    lblFound = new QLabel(this);
    cmdSelectAll = makeButton(QStringLiteral("Select All"));
    cmdUnselectAll = makeButton(QStringLiteral("Unselect All"));
    cmdMergeRecluster = makeButton(QStringLiteral("Merge Selected && Re-Cluster"));
    cmdMergeClose = makeButton(QStringLiteral("Merge Selected && Close"));
    cmdClose = makeButton(QStringLiteral("Close"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Column:"), this));
    choices->addWidget(cboColumn, 2);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("Method:"), this));
    choices->addWidget(cboMethod, 3);
    choices->addSpacing(12);
    choices->addWidget(lblRadius);
    choices->addWidget(spnRadius);
    choices->addWidget(lblNgram);
    choices->addWidget(spnNgram);
    choices->addSpacing(12);
    choices->addWidget(cmdCluster);
    auto* ticks = new QHBoxLayout;
    ticks->addWidget(cmdSelectAll);
    ticks->addWidget(cmdUnselectAll);
    ticks->addSpacing(12);
    ticks->addWidget(lblFound, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progressLabel(), 1);
    bottom->addWidget(cmdMergeRecluster);
    bottom->addWidget(cmdMergeClose);
    bottom->addWidget(cmdClose);
    auto* page = new QVBoxLayout(this);
    page->addLayout(choices);
    page->addWidget(lstClusters, 1);
    page->addLayout(ticks);
    page->addLayout(bottom);

    connect(cboMethod, &QComboBox::currentIndexChanged, this, &ClusterDialog::showMethodOptions);
    connect(cmdCluster, &QPushButton::clicked, this, &ClusterDialog::Cluster_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(cmdUnselectAll, &QPushButton::clicked, this, [this] { tickAll(false); });
    connect(cmdMergeRecluster, &QPushButton::clicked, this, &ClusterDialog::MergeRecluster_Click);
    connect(cmdMergeClose, &QPushButton::clicked, this, &ClusterDialog::MergeClose_Click);
    connect(cmdClose, &QPushButton::clicked, this, &ClusterDialog::Close_Click);
    // Only the new value is edited, and with one click, as in a form.
    connect(lstClusters, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == NewValueColumn && !item->parent())
            lstClusters->editItem(item, NewValueColumn);
    });
    handOver({cmdCluster, cmdSelectAll, cmdUnselectAll, cmdMergeRecluster, cmdMergeClose, cmdClose});
    arrowOver({this, lstClusters, lstClusters->viewport()});
    Form_Load();
    nameControls({{cboColumn, "cboColumn"}, {cboMethod, "cboMethod"}, {spnRadius, "spnRadius"}, {spnNgram, "spnNgram"},
                  {cmdCluster, "cmdCluster"}, {lstClusters, "lstClusters"}, {lblFound, "lblFound"},
                  {cmdSelectAll, "cmdSelectAll"}, {cmdUnselectAll, "cmdUnselectAll"},
                  {cmdMergeRecluster, "cmdMergeRecluster"}, {cmdMergeClose, "cmdMergeClose"}, {cmdClose, "cmdClose"}});
}

void ClusterDialog::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
    p.step([&] {
        for (const std::string& name : store().GetFieldList())
            cboColumn->addItem(text(name));
        cboColumn->setCurrentIndex(std::clamp(m_field, 1, std::max(1, cboColumn->count())) - 1);
        showMethodOptions();
        fillClusters({});
        lblFound->setText(QStringLiteral("Choose a column and a method, then Cluster."));
    });
}

cluster::Options ClusterDialog::chosenOptions() const
{
    cluster::Options options;
    options.method = static_cast<cluster::Method>(cboMethod->currentIndex());
    options.radius = spnRadius->value();
    options.ngram = spnNgram->value();
    return options;
}

void ClusterDialog::showMethodOptions()
{
    const auto method = static_cast<cluster::Method>(cboMethod->currentIndex());
    lblRadius->setVisible(method == cluster::Method::Nearest);
    spnRadius->setVisible(method == cluster::Method::Nearest);
    lblNgram->setVisible(method == cluster::Method::Ngram);
    spnNgram->setVisible(method == cluster::Method::Ngram);
}

void ClusterDialog::Cluster_Click()
{
    Procedure p = procedure(QStringLiteral("Cluster_Click"));
    m_merged.clear();
    p.step([&] { runClustering(); });
}

void ClusterDialog::runClustering()
{
    if (isBusy(this) || cboColumn->currentIndex() < 0)
        return;
    m_field = cboColumn->currentIndex() + 1;
    const cluster::Options options = chosenOptions();
    QProgressDialog progress(QStringLiteral("Finding clusters\u2026"), QStringLiteral("Cancel"), 0, 1000, this);
    progress.setWindowTitle(windowTitle());
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    cluster::Result result;
    {
        const LongWork work(this, progressLabel(), &store());
        const ProgressScope reporting(store(), [&](std::int64_t done, std::int64_t total) {
            work.progress()(done, total);
            if (total > 0)
                progress.setValue(static_cast<int>(done * 1000 / total));
        });
        result = cluster::findClusters(store(), m_field, options, [&] { return progress.wasCanceled(); });
    }
    if (result.cancelled) {
        lblFound->setText(QStringLiteral("Cancelled."));
        return;
    }
    fillClusters(result);
}

void ClusterDialog::fillClusters(const cluster::Result& result)
{
    const QLocale locale;
    lstClusters->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(result.clusters.size()));
    for (const cluster::Cluster& c : result.clusters) {
        auto* top = new QTreeWidgetItem;
        top->setFlags(top->flags() | Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
        top->setCheckState(MergeColumn, Qt::Unchecked);
        top->setText(ValueColumn, QStringLiteral("%1 values").arg(c.members.size()));
        top->setText(RowsColumn, locale.toString(static_cast<qlonglong>(c.rows)));
        top->setTextAlignment(RowsColumn, Qt::AlignRight | Qt::AlignVCenter);
        top->setText(NewValueColumn, text(c.suggested));
        top->setToolTip(NewValueColumn, QStringLiteral("Click to edit the value they all become"));
        for (const cluster::Member& m : c.members) {
            auto* value = new QTreeWidgetItem(top);
            value->setFlags(value->flags() | Qt::ItemIsUserCheckable);
            value->setCheckState(ValueColumn, Qt::Checked);
            value->setText(ValueColumn, text(m.value));
            value->setData(ValueColumn, BytesRole, QByteArray(m.value.data(), static_cast<qsizetype>(m.value.size())));
            value->setText(RowsColumn, locale.toString(static_cast<qlonglong>(m.count)));
            value->setTextAlignment(RowsColumn, Qt::AlignRight | Qt::AlignVCenter);
        }
        items.push_back(top);
    }
    lstClusters->addTopLevelItems(items);
    lstClusters->expandAll();
    for (int column : {MergeColumn, ValueColumn, RowsColumn})
        lstClusters->resizeColumnToContents(column);
    lstClusters->setColumnWidth(ValueColumn, std::clamp(lstClusters->columnWidth(ValueColumn) + 24, px(this, 3600), px(this, 5000)));
    lstClusters->setColumnWidth(RowsColumn, lstClusters->columnWidth(RowsColumn) + 16);
    QString found = result.clusters.empty() && result.distinct > 0
        ? QStringLiteral("No clusters among %1 distinct values.").arg(locale.toString(static_cast<qulonglong>(result.distinct)))
        : QStringLiteral("%1 %2 among %3 distinct values.")
              .arg(locale.toString(static_cast<qulonglong>(result.clusters.size())),
                   result.clusters.size() == 1 ? QStringLiteral("cluster") : QStringLiteral("clusters"),
                   locale.toString(static_cast<qulonglong>(result.distinct)));
    if (!m_merged.isEmpty())
        found = m_merged + QLatin1Char(' ') + found;
    lblFound->setText(found);
    const bool any = !result.clusters.empty();
    for (QPushButton* b : {cmdSelectAll, cmdUnselectAll, cmdMergeRecluster, cmdMergeClose})
        b->setEnabled(any);
}

void ClusterDialog::tickAll(bool ticked)
{
    for (int i = 0; i < lstClusters->topLevelItemCount(); ++i)
        lstClusters->topLevelItem(i)->setCheckState(MergeColumn, ticked ? Qt::Checked : Qt::Unchecked);
}

std::vector<cluster::Edit> ClusterDialog::selectedEdits() const
{
    std::vector<cluster::Edit> edits;
    for (int i = 0; i < lstClusters->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = lstClusters->topLevelItem(i);
        if (top->checkState(MergeColumn) != Qt::Checked)
            continue;
        const std::string to = top->text(NewValueColumn).toStdString();
        for (int k = 0; k < top->childCount(); ++k) {
            const QTreeWidgetItem* value = top->child(k);
            if (value->checkState(ValueColumn) != Qt::Checked)
                continue;
            const QByteArray from = value->data(ValueColumn, BytesRole).toByteArray();
            if (from.toStdString() != to)
                edits.push_back({from.toStdString(), to});
        }
    }
    return edits;
}

bool ClusterDialog::mergeSelected()
{
    const std::vector<cluster::Edit> edits = selectedEdits();
    if (edits.empty())
        return true;
    std::int64_t changed = 0;
    if (!runWork([&] { changed = cluster::mergeValues(store(), m_field, edits); }))
        return false;
    m_merged = changed == 1 ? QStringLiteral("1 value changed.")
                            : QStringLiteral("%1 values changed.").arg(QLocale().toString(static_cast<qlonglong>(changed)));
    return true;
}

void ClusterDialog::MergeRecluster_Click()
{
    Procedure p = procedure(QStringLiteral("MergeRecluster_Click"));
    bool merged = true;
    p.step([&] { merged = mergeSelected(); });
    if (merged)
        p.step([&] { runClustering(); });
}

void ClusterDialog::MergeClose_Click()
{
    Procedure p = procedure(QStringLiteral("MergeClose_Click"));
    bool merged = true;
    p.step([&] { merged = mergeSelected(); });
    if (merged)
        accept();
}

void ClusterDialog::Close_Click()
{
    Procedure p = procedure(QStringLiteral("Close_Click"));
    p.step([&] { reject(); });
}
