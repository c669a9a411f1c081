#include "tools/Form5.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/ColumnEdits.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

Form5::Form5(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form5"), QStringLiteral("Add Prefix-Suffix"),
                    QStringLiteral("Select columns to add prefix/suffix text to"),
                    QStringLiteral("PushButton1_Click"), QStringLiteral("PushButton3_Click")})
{
    Frame2 = listFrame;
    PushButton1 = selectAllButton;
    PushButton3 = unselectAllButton;
    Label1[0] = new QLabel(QStringLiteral("Prefix:"), this);
    Label1[1] = new QLabel(QStringLiteral("Suffix:"), this);
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    auto* texts = new QGridLayout;
    texts->addWidget(Label1[0], 0, 0);
    texts->addWidget(Text1, 0, 1);
    texts->addWidget(Label1[1], 1, 0);
    texts->addWidget(Text2, 1, 1);
    Text1->setMinimumWidth(180);
    optionsArea()->addLayout(texts);
    optionsArea()->addStretch();
    Form_Load();
    nameControls({
        {Frame2, "Frame2"}, {Text1, "Text1"}, {Text2, "Text2"}, {PushButton1, "PushButton1"},
        {PushButton3, "PushButton3"}});
}

bool Form5::optionsAreValid()
{
    if (!Text1->text().isEmpty() || !Text2->text().isEmpty())
        return true;
    tellUser(QStringLiteral("You forgot to add prefix/suffix."));
    return false;
}

void Form5::apply(const std::vector<int>& fields)
{
    ColumnEdits::addPrefixSuffix(store(), fields, Text1->text().toStdString(), Text2->text().toStdString());
}
