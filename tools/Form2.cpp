#include "tools/Form2.h"

#include <QGroupBox>
#include <QPushButton>

#include "tools/ColumnEdits.h"
#include "window/ControlNames.h"

Form2::Form2(QWidget* parent, CSVDBS& store)
    : ColumnPicker(parent, store,
                   {QStringLiteral("Form2"), QStringLiteral("Remove Partial Duplicates"),
                    QStringLiteral("Select columns to look at when finding duplicate rows"),
                    QStringLiteral("PushButton11_Click"), QStringLiteral("PushButton33_Click")})
{
    Frame1 = listFrame;
    PushButton11 = selectAllButton;
    PushButton33 = unselectAllButton;
    Form_Load();
    nameControls({{Frame1, "Frame1"}, {PushButton11, "PushButton11"}, {PushButton33, "PushButton33"}});
}

void Form2::apply(const std::vector<int>& fields) { ColumnEdits::removePartialDuplicates(store(), fields); }
