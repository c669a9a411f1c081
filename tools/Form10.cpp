#include "tools/Form10.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

Form10::Form10(QWidget* parent, CSVDBS& store)
    : ToolDialog(parent, store, QStringLiteral("Form10"), QStringLiteral("Find and Replace"))
{
    Label1[0] = new QLabel(QStringLiteral("Find What:"), this);
    Label1[1] = new QLabel(QStringLiteral("Replace With:"), this);
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Text1->setMinimumWidth(px(this, 4500));
    PushButton2 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(Label1[1], 1, 0);
    grid->addWidget(Text2, 1, 1);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton2, PushButton4), 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(PushButton2, &QPushButton::clicked, this, &Form10::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form10::PushButton4_Click);
    handOver({PushButton2, PushButton4});
    arrowOver({this});
    Form_Load();
    nameControls({
        {Text1, "Text1"}, {Text2, "Text2"}, {PushButton2, "PushButton2"}, {PushButton4, "PushButton4"}});
}

void Form10::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
}

void Form10::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    bool found = false;
    p.step([&] {
        const std::string find = Text1->text().toStdString();
        const std::string replace = Text2->text().toStdString();
        runWork([&] { found = store().FindAndReplace(find, replace); });
    });
    if (!found)
        p.step([&] { tellUser(QStringLiteral("Search found no match.")); });
    accept();
}

void Form10::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}
