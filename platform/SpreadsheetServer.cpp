#include "platform/SpreadsheetServer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <QFile>

#include <xlsxwriter.h>

#include "platform/DesktopHandOff.h"
#include "platform/OfficeFiles.h"
#include "platform/XmlText.h"

namespace {

[[noreturn]] void fail(const std::string& what, lxw_error error)
{
    throw OfficeError(what + ": " + lxw_strerror(error));
}

} // namespace

struct SpreadsheetServer::Workbook {
    lxw_workbook* book = nullptr;
    lxw_worksheet* sheet = nullptr;
    std::string tmpdir;
    std::string path;

    ~Workbook()
    {
        // An export that failed midway leaves no half-made file behind.
        if (book) {
            workbook_close(book);
            std::remove(path.c_str());
        }
    }
};

SpreadsheetServer::SpreadsheetServer() = default;
SpreadsheetServer::~SpreadsheetServer() = default;

void SpreadsheetServer::newWorkbook()
{
    m_book.reset();
    m_fileName = newOfficeFile(QStringLiteral("Book"), QStringLiteral(".xlsx"));
    auto book = std::make_unique<Workbook>();
    book->tmpdir = QFile::encodeName(officeFolder()).toStdString();
    book->path = QFile::encodeName(m_fileName).toStdString();
    // Streamed row by row: a sheet of a million rows needs little memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = book->tmpdir.data();
    options.use_zip64 = LXW_TRUE;
    book->book = workbook_new_opt(book->path.c_str(), &options);
    if (!book->book) {
        std::remove(book->path.c_str());
        throw OfficeError("The spreadsheet could not be started.");
    }
    book->sheet = workbook_add_worksheet(book->book, nullptr);
    if (!book->sheet)
        throw OfficeError("The spreadsheet could not add a sheet.");
    m_book = std::move(book);
    m_widths.clear();
    m_lastRow = 0;
}

void SpreadsheetServer::setCell(int row, int column, std::string_view text)
{
    if (!m_book)
        throw OfficeError("There is no workbook to write to.");
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        throw OfficeError("A spreadsheet holds at most 1048576 rows and 16384 columns.");
    if (row < m_lastRow)
        throw OfficeError("The spreadsheet's rows are written from the top down.");
    m_lastRow = row;
    const std::string safe = xmlSafe(text);
    if (m_widths.size() < static_cast<std::size_t>(column))
        m_widths.resize(static_cast<std::size_t>(column), 0);
    int& width = m_widths[static_cast<std::size_t>(column - 1)];
    width = std::max(width, displayWidth(safe));
    const lxw_error error = worksheet_write_string(m_book->sheet, static_cast<lxw_row_t>(row - 1),
                                                   static_cast<lxw_col_t>(column - 1), safe.c_str(), nullptr);
    if (error != LXW_NO_ERROR)
        fail("Row " + std::to_string(row) + ", column " + std::to_string(column), error);
}

void SpreadsheetServer::autofitColumns()
{
    if (!m_book)
        throw OfficeError("There is no workbook to write to.");
    for (std::size_t c = 0; c < m_widths.size(); ++c) {
        if (m_widths[c] == 0)
            continue; // an empty column keeps the sheet's standard width
        // A character's width plus a little room, up to the widest column there is.
        const double width = std::min(255.0, m_widths[c] * 1.1 + 2);
        worksheet_set_column(m_book->sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width, nullptr);
    }
}

void SpreadsheetServer::finish()
{
    if (!m_book)
        throw OfficeError("There is no workbook to show.");
    lxw_workbook* book = m_book->book;
    m_book->book = nullptr;
    m_book.reset();
    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        fail("The workbook could not be written", error);
}

void SpreadsheetServer::makeVisible()
{
    finish();
    if (!desktopHandOff().openFile(m_fileName))
        throw OfficeError(("No application opened the workbook " + m_fileName).toStdString());
}
