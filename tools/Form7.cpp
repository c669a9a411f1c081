#include "tools/Form7.h"
#include "window/ControlNames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
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

    Frame1 = addChoiceFrame(QStringLiteral("Add this character between joined columns"),
                            {{&Option1, QStringLiteral("Space")},
                             {&Option2, QStringLiteral("Nothing")},
                             {&Option3, QStringLiteral("Other")}},
                            &Text1);

    Frame3 = new QGroupBox(QStringLiteral("Join Option"), this);
    Option4 = new QRadioButton(QStringLiteral("Create New Column"), Frame3);
    Text2 = new QLineEdit(QStringLiteral("Joined Column"), Frame3);
    Option5 = new QRadioButton(QStringLiteral("Join in First Column"), Frame3);
    auto* target = new QGridLayout(Frame3);
    target->addWidget(Option4, 0, 0);
    target->addWidget(Text2, 1, 0);
    target->addWidget(Option5, 2, 0);
    Option4->setChecked(true);

    optionsArea()->addWidget(Frame3);
    optionsArea()->addStretch();
    arrowOver({Frame3});
    Form_Load();
    nameControls({
        {Frame1, "Frame1"}, {Frame2, "Frame2"}, {Frame3, "Frame3"}, {Option1, "Option1"}, {Option2, "Option2"},
        {Option3, "Option3"}, {Text1, "Text1"}, {Option4, "Option4"}, {Text2, "Text2"}, {Option5, "Option5"},
        {PushButton1, "PushButton1"}, {PushButton3, "PushButton3"}});
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

void Form7::apply(const std::vector<int>& fields) { ColumnEdits::joinColumns(store(), fields, chosenOptions()); }
