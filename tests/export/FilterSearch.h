#pragma once

#include <QLineEdit>
#include <QSignalSpy>

#include "export/Form8.h"

// Types `text` into the Filter window's search box and waits until its
// results are shown; false when they never came.
inline bool searchFor(Form8& window, const QString& text)
{
    QSignalSpy done(&window, &Form8::searchFinished);
    window.Text1->setText(text);
    return !window.searching() || done.wait(5000);
}
