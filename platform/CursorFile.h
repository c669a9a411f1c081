#pragma once

#include <optional>

#include <QCursor>
#include <QString>

// Reads a cursor file in the Windows .CUR format: the first image, with its
// hot spot. Images stored as PNG are read directly; classic bitmap images go
// through Qt's icon reader. Missing or malformed files give nothing.
std::optional<QCursor> loadCursorFile(const QString& path);
