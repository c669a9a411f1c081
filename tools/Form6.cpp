#include "tools/Form6.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/ColumnEdits.h"
#include "window/ControlNames.h"

Form6::Form6(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form6"), QStringLiteral("Split Columns"), QStringLiteral("Select columns to split"),
                    QStringLiteral("PushButton1_Click"), QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;
    Frame1 = addChoiceFrame(QStringLiteral("Split each column in new columns by this dividing character"),
                            {{&Option1, QStringLiteral("Space")},
                             {&Option2, QStringLiteral("Comma")},
                             {&Option3, QStringLiteral("Other")}},
                            &Text1);
    optionsArea()->addStretch();
    Form_Load();
    nameControls({
        {Frame1, "Frame1"}, {Frame2, "Frame2"}, {Option1, "Option1"}, {Option2, "Option2"},
        {Option3, "Option3"}, {Text1, "Text1"}, {PushButton1, "PushButton1"}, {PushButton3, "PushButton3"}});
}

std::string Form6::divider() const
{
    if (Option1->isChecked())
        return " ";
    if (Option2->isChecked())
        return ",";
    return Text1->text().toStdString();
}

void Form6::apply(const std::vector<int>& fields) { ColumnEdits::splitColumns(store(), fields, divider()); }
