#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

// The files opened or saved last, newest first and at most ten, kept in the
// per-user settings so that every run of the program shares one list.
class RecentFiles {
public:
    static constexpr int Limit = 10;

    QStringList files() const;
    // Puts `path` (made absolute) first; an older entry of the same file goes.
    void add(const QString& path);
    void remove(const QString& path);
    void clear();

    // Fills `menu` with one entry per file and a "Clear" entry; choosing a
    // file calls `open` with its path.
    void fillMenu(QMenu* menu, const std::function<void(const QString&)>& open);
    // An "Open Recent" submenu that lists the files afresh each time it opens.
    static QMenu* createMenu(QWidget* parent, const std::function<void(const QString&)>& open);

private:
    void store(QStringList files);
};
