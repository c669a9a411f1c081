#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include <QString>

// What the spreadsheet export asks of a spreadsheet program: a new workbook
// with one sheet, text cells set one at a time, the columns fitted to their
// text, and the workbook shown. The workbook is a real .xlsx file that the
// desktop's spreadsheet application opens; every value is a text cell exactly
// as given, never guessed to be a number or a date.
class SpreadsheetServer {
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;

    SpreadsheetServer();
    ~SpreadsheetServer();
    SpreadsheetServer(const SpreadsheetServer&) = delete;
    SpreadsheetServer& operator=(const SpreadsheetServer&) = delete;

    // Starts a new workbook in a file of its own (Book1.xlsx, Book2.xlsx ...).
    void newWorkbook();
    // Row and column from 1. Rows are written from the top down, as the sheet
    // is streamed to its file; within a row, in any order.
    void setCell(int row, int column, std::string_view text);
    // Each column as wide as its longest text.
    void autofitColumns();
    // Finishes the file and opens it with the desktop's spreadsheet program.
    void makeVisible();

    // The workbook's file, once newWorkbook has run.
    const QString& fileName() const { return m_fileName; }

private:
    struct Workbook;
    void finish();

    std::unique_ptr<Workbook> m_book;
    QString m_fileName;
    std::vector<int> m_widths;
    int m_lastRow = 0;
};
