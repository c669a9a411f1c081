#include "window/AppTitle.h"

#include "platform/Prompter.h"

namespace {
QString g_appTitle;
} // namespace

QString shortenedTitle(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0) // one word left: nothing more to cut
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle() { g_appTitle = shortenedTitle(ProductName); }

const QString& appTitle()
{
    // Dialogs opened on their own (as in tests) still get the right caption.
    if (g_appTitle.isEmpty())
        SetAppTitle();
    return g_appTitle;
}

void tellUser(const QString& text) { prompter().message(text, appTitle(), Prompter::Icon::None); }
