#pragma once

#include <initializer_list>
#include <utility>

#include <QObject>
#include <QString>

// Gives each control its name as its object name: the names the windows
// have always used, by which tests and style sheets find them.
inline void nameControls(std::initializer_list<std::pair<QObject*, const char*>> controls)
{
    for (const auto& [control, name] : controls)
        if (control)
            control->setObjectName(QString::fromLatin1(name));
}
