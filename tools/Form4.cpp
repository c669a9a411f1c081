#include "tools/Form4.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/ColumnEdits.h"
#include "window/ControlNames.h"

Form4::Form4(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form4"), QStringLiteral("Change Case Of Text"),
                    QStringLiteral("Select columns to change case"), QStringLiteral("PushButton1_Click"),
                    QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;
    Frame1 = addChoiceFrame(QStringLiteral("Changes case to"), {{&Option1, QStringLiteral("Proper Case")},
                                                                 {&Option2, QStringLiteral("UPPER CASE")},
                                                                 {&Option3, QStringLiteral("lower case")},
                                                                 {&Option4, QStringLiteral("Sentence case")}});
    optionsArea()->addStretch();
    Form_Load();
    nameControls({
        {Frame1, "Frame1"}, {Frame2, "Frame2"}, {Option1, "Option1"}, {Option2, "Option2"},
        {Option3, "Option3"}, {Option4, "Option4"}, {PushButton1, "PushButton1"}, {PushButton3, "PushButton3"}});
}

CaseStyle Form4::chosenStyle() const
{
    if (Option1->isChecked())
        return CaseStyle::Proper;
    if (Option2->isChecked())
        return CaseStyle::Upper;
    if (Option3->isChecked())
        return CaseStyle::Lower;
    return CaseStyle::Sentence;
}

void Form4::apply(const std::vector<int>& fields) { ColumnEdits::changeCase(store(), fields, chosenStyle()); }
