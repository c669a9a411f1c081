#pragma once

#include <QCursor>
#include <QString>

class QAbstractButton;
class QWidget;

// What every window of the program shares: colours, the hover pointer, the
// busy pointer, the skin and the file-existence test.

// Gives the window and its option buttons, check boxes, frames and labels the
// button-face colour; text boxes, grids, lists and buttons keep theirs.
void SetFormColors(QWidget* form);

// A plain message box (OK only, no icon) with the application title.
void tellUser(const QString& text);

// True when the file system can report the modification time of `path`.
bool PathExists(const QString& path);

// The application folder followed by `relative` ("HAND-M.CUR", "x/o.cjs").
QString appFile(const QString& relative);

// What each dialog does first when it loads: colours, icon, hand pointer.
void applyDialogLoadPattern(QWidget* dialog);

// The application icon, from the application folder.
QIcon applicationIcon();

// The hand pointer from HAND-M.CUR, if that file loads.
bool loadHandPointer(QWidget* window);

// Skins the main window when x/o.cjs is present: it is a Qt style sheet.
void ApplySkin(QWidget* window);

// Arial bold on the window and every control in it, as the windows were designed.
void useWindowFont(QWidget* window);

// The hover rules: over a push button the window shows its hand pointer (the
// arrow when it has none); over a surface, the arrow. Neither rule touches a
// busy pointer.
void installButtonRule(QAbstractButton* button, QWidget* window);
void installSurfaceRule(QWidget* surface, QWidget* window);
bool isBusy(const QWidget* window);

// The busy pointer over `window` for the life of the object; the arrow after,
// unless the window was busy already (an outer command still runs).
class BusyPointer {
public:
    explicit BusyPointer(QWidget* window);
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    QWidget* m_window;
    bool m_outer;
};
