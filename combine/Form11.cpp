#include "combine/Form11.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "combine/CombineFiles.h"
#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

Form11::Form11(QWidget* parent, CSVDBS& store, const QString& separator)
    : SecondFileDialog(parent, store, QStringLiteral("Form11"), QStringLiteral("Append File (Up and Down)"),
                       separator)
{
    Frame2 = new QGroupBox(QStringLiteral("CSV File"), this);
    auto* path = new QHBoxLayout(Frame2);
    path->addWidget(Text1, 1);
    path->addWidget(PushButton2);

    Frame3 = new QGroupBox(QStringLiteral("First Row Option"), this);
    Check12 = new QCheckBox(QStringLiteral("Include first row as header"), Frame3);
    Check12->setChecked(true);
    (new QVBoxLayout(Frame3))->addWidget(Check12);

    Frame1 = makeOptionFrame(QStringLiteral("Append Option"), {QStringLiteral("Append File Up"), &Option1},
                             {QStringLiteral("Append File Down"), &Option2});

    auto* choices = new QHBoxLayout;
    choices->addWidget(Frame3, 1);
    choices->addWidget(Frame1, 1);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Frame2);
    column->addLayout(choices);
    column->addLayout(dialogButtonRow(progressLabel(), PushButton1, PushButton4));

    connect(PushButton1, &QPushButton::clicked, this, &Form11::PushButton1_Click);
    connectButtons();
    arrowOver({Frame1, Frame2, Frame3});
    Form_Load();
    nameControls({
        {Frame2, "Frame2"}, {Frame3, "Frame3"}, {Check12, "Check12"}, {Frame1, "Frame1"}, {Option1, "Option1"},
        {Option2, "Option2"}});
}

void Form11::PushButton1_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton1_Click"));
    CSVDBS second;
    if (!readSecondFile(p, second, Check12->isChecked()))
        return;
    bool matches = false;
    p.step([&] { matches = CombineFiles::sameFieldCount(store(), second); });
    if (!matches) {
        p.step([&] { tellUser(QStringLiteral("Column does not match.\r\nColumn count must be the same to append")); });
        return;
    }
    const auto where = Option1->isChecked() ? CombineFiles::AppendPlace::Above : CombineFiles::AppendPlace::Below;
    runWorkThenAccept(p, [&] { CombineFiles::appendRecords(store(), second, where); });
}
