#include "export/GridExport.h"

#include "app/ErrorReport.h"
#include "app/NewFileName.h"
#include "app/WindowCommon.h"
#include "export/OfficeExport.h"

const QString NoSpreadsheetForFeature =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to use this feature.");

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
            "Excel is not installed on this computer. You need to have it installed to use this software without error."));
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
        const BusyPointer busy(window);
        write(grid, name.toStdString());
    });
}
