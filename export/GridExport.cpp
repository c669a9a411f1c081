#include "export/GridExport.h"

#include "app/ErrorReport.h"
#include "app/WindowCommon.h"
#include "platform/Prompter.h"

void saveGridAs(QWidget* window, Procedure& procedure, const GridText& grid, const QString& filter,
                GridWriter write)
{
    QString name;
    procedure.step([&] { name = prompter().saveFileName(QStringLiteral("Save"), filter, QString()); });
    if (name.isEmpty())
        return;
    procedure.step([&] {
        const BusyPointer busy(window);
        write(grid, name.toStdString());
    });
}
