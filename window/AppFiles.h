#pragma once

#include <QIcon>
#include <QString>

// The files the program finds in its own folder.

// True when the file system can report the modification time of `path`.
bool PathExists(const QString& path);

// The application folder followed by `relative` ("HAND-M.CUR", "x/o.cjs").
QString appFile(const QString& relative);

// The application icon, from the application folder.
QIcon applicationIcon();
