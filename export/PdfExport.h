#pragma once

#include <QString>

class GridText;
class Procedure;

// The PDF export: the grid goes as tab-separated text to the print program,
// which prints it on the PDF printer, made this user's default printer for
// the time of the export.

// The PDF printer's device name, matched exactly.
extern const QString PdfWriterName;
// The print program's file name in the application folder.
extern const QString PrintProgramName;

// The device name of this user's default printer; the empty text when there
// is none, and after an error, which it reports.
QString GetDefaultPrinter();
// True when the named printer became this user's default printer.
bool MakeDefaultPrinter(const QString& name);
// The print program's full path, or the empty text when it is missing.
QString GetWordpadPath();
// Deletes the file, read-only or not; reports nothing.
void DeleteTempFile(const QString& path);
// Deletes the file even when it is read-only; throws when it cannot.
void ForceDeleteFile(const QString& path);
// Tells the user how to install the PDF printer when it is missing.
void CheckPdfWriterInstalled();

// The whole export of `grid`; failed steps are reported as steps of `procedure`.
void printGridToPdf(Procedure& procedure, const GridText& grid);
