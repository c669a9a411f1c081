#include "tools/Form7.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

Form7::Form7(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form7"), QStringLiteral("Join Columns"), QStringLiteral("Select columns to join"),
                    QStringLiteral("PushButton1_Click"), QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;

    Frame1 = new QGroupBox(QStringLiteral("Add this character between joined columns"), this);
    Option1 = new QRadioButton(QStringLiteral("Space"), Frame1);
    Option2 = new QRadioButton(QStringLiteral("Nothing"), Frame1);
    Option3 = new QRadioButton(QStringLiteral("Other"), Frame1);
    Text1 = new QLineEdit(Frame1);
    Text1->setMaximumWidth(120);
    auto* between = new QGridLayout(Frame1);
    between->addWidget(Option1, 0, 0);
    between->addWidget(Option2, 1, 0);
    between->addWidget(Option3, 2, 0);
    between->addWidget(Text1, 2, 1, Qt::AlignLeft);
    Option1->setChecked(true);

    Frame3 = new QGroupBox(QStringLiteral("Join Option"), this);
    Option4 = new QRadioButton(QStringLiteral("Create New Column"), Frame3);
    Text2 = new QLineEdit(QStringLiteral("Joined Column"), Frame3);
    Option5 = new QRadioButton(QStringLiteral("Join in First Column"), Frame3);
    auto* target = new QGridLayout(Frame3);
    target->addWidget(Option4, 0, 0);
    target->addWidget(Text2, 1, 0);
    target->addWidget(Option5, 2, 0);
    Option4->setChecked(true);

    optionsArea()->addWidget(Frame1);
    optionsArea()->addWidget(Frame3);
    optionsArea()->addStretch();
    arrowOver({Frame1, Frame3});
    Form_Load();
}

ColumnEdits::JoinOptions Form7::chosenOptions() const
{
    ColumnEdits::JoinOptions options;
    QString separator;
    if (Option1->isChecked())
        separator = QStringLiteral(" ");
    else if (Option3->isChecked())
        separator = Text1->text();
    options.separator = separator.toStdString();
    options.cutLastSeparator = Option3->isChecked();
    options.newColumn = !Option5->isChecked();
    options.newName = Text2->text().toStdString();
    return options;
}

void Form7::apply(const std::vector<int>& fields)
{
    const ColumnEdits::JoinOptions options = chosenOptions();
    runWork([&](const ProgressCallback& progress) { ColumnEdits::joinColumns(store(), fields, options, progress); });
}
