// The main window's Filter button and its "Export CSV To..." menu: both read
// the grid as shown and never change the store.
#include "app/Form1.h"

#include <vector>

#include <QTableView>

#include "app/GridModel.h"
#include "export/Form8.h"
#include "export/GridExport.h"
#include "export/OfficeExport.h"
#include "export/PdfExport.h"
#include "export/SaveListview.h"
#include "store/CSVDBS.h"
#include "window/AppTitle.h"
#include "window/Procedure.h"

void Form1::PushButton8_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton8_Click"));
    p.step([&] {
        std::vector<int> widths;
        for (int c = 0; c < m_grid->columnCount(); ++c)
            widths.push_back(ListView1->columnWidth(c));
        Form8 filter(this, *m_grid, widths);
        filter.exec();
    });
}

void Form1::mnuTXT_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuTXT_Click"));
    saveGridAs(this, p, *m_grid, QStringLiteral("Text Files (*.txt)|*.txt"), SaveListviewToTXT);
}

void Form1::mnuHTML_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuHTML_Click"));
    saveGridAs(this, p, *m_grid, QStringLiteral("HTML Files (*.html)|*.html"), SaveListviewToHTML);
}

void Form1::mnuXML_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuXML_Click"));
    saveGridAs(this, p, *m_grid, QStringLiteral("XML Files (*.xml)|*.xml"), SaveListviewToXML);
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled() { return spreadsheetProgramOrSay(); }

void Form1::mnuXLS_Click()
{
    // A failure here (a full disk, say) is reported like any other, not left
    // to end the program.
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuXLS_Click"));
    if (m_grid->shownRows() == 0)
        return;
    if (!SaveResultsAsExcelFileIsExcelInstalled()) {
        p.step([&] { tellUser(NoSpreadsheetForFeature); });
        return;
    }
    p.step([&] { runLongWork([&] { OfficeExport::exportToSpreadsheet(*m_grid, m_store->progressCallback()); }); });
}

void Form1::mnuPDF_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuPDF_Click"));
    printGridToPdf(p, *m_grid);
}

void Form1::mnuDOC_Click()
{
    // One step: after a failure the export stops with one report.
    Procedure p(QStringLiteral("Form1"), QStringLiteral("mnuDOC_Click"));
    p.step([&] { runLongWork([&] { OfficeExport::exportToDocument(*m_grid, m_store->progressCallback()); }); });
}
