#pragma once

#include <QString>

// The product name, the main window's caption.
inline const QString ProductName = QStringLiteral("Tabvane Software");

// The product name cut back by whole words (at least once) until it is no
// longer than 40 characters.
QString shortenedTitle(const QString& productName);

// Sets the application title from the product name.
void SetAppTitle();
// The caption of every message box that is given none of its own.
const QString& appTitle();

// A plain message box (OK only, no icon) with the application title.
void tellUser(const QString& text);
