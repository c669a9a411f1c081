#include "tools/Form6.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/ColumnEdits.h"

Form6::Form6(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form6"), QStringLiteral("Split Columns"), QStringLiteral("Select columns to split"),
                    QStringLiteral("PushButton1_Click"), QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;
    Frame1 = new QGroupBox(QStringLiteral("Split each column in new columns by this dividing character"), this);
    Option1 = new QRadioButton(QStringLiteral("Space"), Frame1);
    Option2 = new QRadioButton(QStringLiteral("Comma"), Frame1);
    Option3 = new QRadioButton(QStringLiteral("Other"), Frame1);
    Text1 = new QLineEdit(Frame1);
    Text1->setMaximumWidth(120);
    auto* options = new QGridLayout(Frame1);
    options->addWidget(Option1, 1, 0);
    options->addWidget(Option2, 2, 0);
    options->addWidget(Option3, 3, 0);
    options->addWidget(Text1, 3, 1, Qt::AlignLeft);
    Option1->setChecked(true);
    options->setColumnStretch(1, 1);
    optionsArea()->addWidget(Frame1);
    optionsArea()->addStretch();
    arrowOver({Frame1});
    Form_Load();
}

std::string Form6::divider() const
{
    if (Option1->isChecked())
        return " ";
    if (Option2->isChecked())
        return ",";
    return Text1->text().toStdString();
}

void Form6::apply(const std::vector<int>& fields)
{
    const std::string cutAt = divider();
    runWork([&](const ProgressCallback& progress) { ColumnEdits::splitColumns(store(), fields, cutAt, progress); });
}
