#include "tools/Form4.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/ColumnEdits.h"

Form4::Form4(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form4"), QStringLiteral("Change Case Of Text"),
                    QStringLiteral("Select columns to change case"), QStringLiteral("PushButton1_Click"),
                    QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;
    Frame1 = new QGroupBox(QStringLiteral("Changes case to"), this);
    Option1 = new QRadioButton(QStringLiteral("Proper Case"), Frame1);
    Option2 = new QRadioButton(QStringLiteral("UPPER CASE"), Frame1);
    Option3 = new QRadioButton(QStringLiteral("lower case"), Frame1);
    Option4 = new QRadioButton(QStringLiteral("Sentence case"), Frame1);
    auto* options = new QVBoxLayout(Frame1);
    for (QRadioButton* o : {Option1, Option2, Option3, Option4})
        options->addWidget(o);
    Option1->setChecked(true);
    optionsArea()->addWidget(Frame1);
    optionsArea()->addStretch();
    arrowOver({Frame1});
    Form_Load();
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

void Form4::apply(const std::vector<int>& fields)
{
    const CaseStyle style = chosenStyle();
    runWork([&](const ProgressCallback& progress) { ColumnEdits::changeCase(store(), fields, style, progress); });
}
