#include "window/DialogSetup.h"

#include <algorithm>

#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

#include "window/AppFiles.h"
#include "window/Look.h"
#include "window/PointerRules.h"

void applyDialogLoadPattern(QWidget* dialog)
{
    SetFormColors(dialog);
    dialog->setWindowIcon(applicationIcon());
    loadHandPointer(dialog);
}

void setUpDialog(QWidget* dialog)
{
    useWindowFont(dialog);
    applyDialogLoadPattern(dialog);
    // A frame's size hint ignores its caption as the skin draws it, so a long
    // caption would be cut off at the frame's right edge.
    for (QGroupBox* frame : dialog->findChildren<QGroupBox*>()) {
        const int captionWidth = frame->fontMetrics().horizontalAdvance(frame->title()) + 32;
        frame->setMinimumWidth(std::max(frame->minimumWidth(), captionWidth));
    }
}

QPushButton* dialogButton(QWidget* dialog, const QString& caption, int minimumWidth)
{
    auto* b = new QPushButton(caption, dialog);
    b->setAutoDefault(false);
    // Enter in any field of a dialog presses its OK; Escape is the dialog's
    // own Cancel.
    if (caption == QLatin1String("OK"))
        b->setDefault(true);
    b->setMinimumWidth(minimumWidth);
    return b;
}
