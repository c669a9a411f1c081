#include "export/GridExport.h"

#include "export/OfficeExport.h"
#include "platform/Prompter.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/NewFileName.h"
#include "window/Procedure.h"

namespace {
// What the message means on this system, said under it.
const QString SpreadsheetHere = QStringLiteral(
    "\n\nHere that means a spreadsheet program that opens .xlsx files, such as LibreOffice Calc "
    "(sudo apt install libreoffice-calc).");
} // namespace

const QString NoSpreadsheetForFeature =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to use this feature.")
    + SpreadsheetHere;

bool spreadsheetProgramOrSay()
{
    // A failing look at the desktop counts as no program, never as an error.
    bool installed = false;
    try {
        installed = OfficeExport::spreadsheetProgramInstalled();
    } catch (const std::exception&) {
        installed = false;
    }
    if (!installed)
        tellUser(QStringLiteral(
            "Excel is not installed on this computer. You need to have it installed to use this software without error.")
                 + SpreadsheetHere);
    return installed;
}

void saveGridAs(QWidget* window, Procedure& procedure, const GridText& grid, const QString& filter,
                GridWriter write)
{
    QString name;
    procedure.step([&] { name = askNewFileName(QStringLiteral("Save"), filter, QString()); });
    if (name.isEmpty())
        return;
    procedure.step([&] {
        const CommandScope running(window);
        write(grid, name.toStdString());
    });
}
