#include "tools/Form9.h"

#include <QGridLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "store/CSVDBS.h"
#include "tools/ColumnEdits.h"
#include "window/ToolLayout.h"
#include "window/CommandScope.h"
#include "window/ControlNames.h"

Form9::Form9(QWidget* parent, CSVDBS& store)
    : ToolDialog(parent, store, QStringLiteral("Form9"), QStringLiteral("Rearrange Column Order "))
{
    ListView1 = makeColumnList(this);
    PushButton5 = makeButton(QStringLiteral("Move Up"));
    PushButton6 = makeButton(QStringLiteral("Move Down"));
    PushButton2 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));

    auto* moves = new QVBoxLayout;
    moves->addWidget(PushButton5);
    moves->addWidget(PushButton6);
    moves->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(ListView1, 0, 0);
    grid->addLayout(moves, 0, 1);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton2, PushButton4), 1, 0, 1, 2);

    connect(PushButton5, &QPushButton::clicked, this, &Form9::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form9::PushButton6_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form9::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form9::PushButton4_Click);
    handOver({PushButton5, PushButton6, PushButton2, PushButton4});
    arrowOver({this, ListView1, ListView1->viewport()});
    Form_Load();
    nameControls({
        {ListView1, "ListView1"}, {PushButton5, "PushButton5"}, {PushButton6, "PushButton6"},
        {PushButton2, "PushButton2"}, {PushButton4, "PushButton4"}});
}

void Form9::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
    p.step([&] { loadColumns(); });
}

void Form9::loadColumns()
{
    fillColumnList(ListView1, false);
    // The first item counts as selected, so a move works before any click.
    if (ListView1->topLevelItemCount() > 0)
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
}

void Form9::moveSelected(int step)
{
    if (isBusy(this) || ListView1->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem* selected = ListView1->currentItem();
    if (!selected || !selected->isSelected())
        return;
    const int from = ListView1->indexOfTopLevelItem(selected);
    const int to = from + step;
    if (to >= 0 && to < ListView1->topLevelItemCount()) {
        ListView1->takeTopLevelItem(from);
        ListView1->insertTopLevelItem(to, selected);
        ListView1->setCurrentItem(selected);
        ListView1->scrollToItem(selected);
    }
    ListView1->setFocus();
}

void Form9::PushButton5_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton5_Click"));
    p.step([&] { moveSelected(-1); });
}

void Form9::PushButton6_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton6_Click"));
    p.step([&] { moveSelected(+1); });
}

std::vector<int> Form9::listedOrder() const
{
    std::vector<int> order;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        order.push_back(ListView1->topLevelItem(i)->data(0, FieldRole).toInt());
    return order;
}

void Form9::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    runWorkThenAccept(p, [&] { ColumnEdits::rearrangeColumns(store(), listedOrder()); });
}

void Form9::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}
