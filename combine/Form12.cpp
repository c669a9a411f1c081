#include "combine/Form12.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "combine/CombineFiles.h"
#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

Form12::Form12(QWidget* parent, CSVDBS& store, const QString& separator)
    : SecondFileDialog(parent, store, QStringLiteral("Form12"), QStringLiteral("Merge File (Left and Right)"),
                       separator)
{
    Label1 = new QLabel(QStringLiteral("CSV File:"), this);

    Frame1 = makeOptionFrame(QStringLiteral("Merge Option"), {QStringLiteral("Merge File Left"), &Option1},
                             {QStringLiteral("Merge File Right"), &Option2});

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(PushButton2, 0, 2);
    grid->addWidget(Frame1, 1, 0, 1, 3);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton1, PushButton4), 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(PushButton1, &QPushButton::clicked, this, &Form12::PushButton1_Click);
    connectButtons();
    arrowOver({Frame1});
    Form_Load();
    nameControls({{Label1, "Label1"}, {Frame1, "Frame1"}, {Option1, "Option1"}, {Option2, "Option2"}});
}

void Form12::PushButton1_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton1_Click"));
    if (!store().HasFieldList()) {
        // Nothing to merge into: there are no columns to pair the new ones with.
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    CSVDBS second;
    // The second file's first line always names its columns.
    if (!readSecondFile(p, second, true))
        return;
    const auto where = Option1->isChecked() ? CombineFiles::MergePlace::Left : CombineFiles::MergePlace::Right;
    p.step([&] {
        runWork([&] { CombineFiles::mergeFields(store(), second, where); });
    });
    accept();
}
