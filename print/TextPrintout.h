#pragma once

#include <QString>

// Lays out a plain text file for print and writes it as a PDF, the way the
// program's exports are printed: one line of text per printed line, tabs
// aligned in columns as wide as the widest text before each tab, a text too
// long for the page wrapped within its column. Every character is drawn, in
// a fixed-width face with the system's fallbacks for what it lacks.
// Returns the empty text on success, otherwise what went wrong.
QString printTextToPdf(const QString& text, const QString& pdfPath, const QString& title);
