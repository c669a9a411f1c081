#include "tools/Form3.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "store/CSVDBS.h"
#include "store/StepScope.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

Form3::Form3(QWidget* parent, CSVDBS& store)
    : ToolDialog(parent, store, QStringLiteral("Form3"), QStringLiteral("Sort By Column"))
{
    Label1 = new QLabel(QStringLiteral("Column Name:"), this);
    Combo1 = new QComboBox(this);
    Combo1->setMinimumWidth(px(this, 3600));
    Frame1 = new QGroupBox(QStringLiteral("Sort Order"), this);
    Option1 = new QRadioButton(QStringLiteral("Ascending"), Frame1);
    Option2 = new QRadioButton(QStringLiteral("Descending"), Frame1);
    auto* order = new QVBoxLayout(Frame1);
    order->addWidget(Option1);
    order->addWidget(Option2);
    Option1->setChecked(true);
    PushButton2 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Combo1, 0, 1);
    grid->addWidget(Frame1, 1, 0, 1, 2);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton2, PushButton4), 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form3::PushButton4_Click);
    handOver({PushButton2, PushButton4});
    arrowOver({this, Frame1});
    Form_Load();
    nameControls({
        {Label1, "Label1"}, {Combo1, "Combo1"}, {Frame1, "Frame1"}, {Option1, "Option1"}, {Option2, "Option2"},
        {PushButton2, "PushButton2"}, {PushButton4, "PushButton4"}});
}

void Form3::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
    p.step([&] { fillColumns(); });
}

void Form3::fillColumns()
{
    const std::vector<std::string> names = store().GetFieldList();
    Combo1->clear();
    for (const std::string& name : names)
        Combo1->addItem(QString::fromStdString(name));
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
}

void Form3::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    const int index = Combo1->currentIndex();
    if (index == -1) {
        p.step([&] { tellUser(QStringLiteral("You must select first column to sort.")); });
        return;
    }
    const int direction = Option1->isChecked() ? 1 : Option2->isChecked() ? 2 : 0;
    if (direction == 0) {
        accept();
        return;
    }
    runWorkThenAccept(p, [&] {
        const StepScope step(store(), "Sort By Column",
                             {"SortDataAt", {{"direction", std::to_string(direction)}, {"field", std::to_string(index + 1)}}});
        store().SortDataAt(direction, index + 1);
    });
}

void Form3::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}
