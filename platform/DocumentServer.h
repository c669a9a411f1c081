#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QString>

// What the document export asks of a word processor: a new document, its
// font, one table, the formatting of the heading row, a landscape page, text
// typed cell by cell with the insertion point moving right, and the document
// shown. The document is a real .docx file that the desktop's word processor
// opens.
class DocumentServer {
public:
    DocumentServer();

    // Starts a new document in a file of its own (Document1.docx ...).
    void newDocument();
    void setFontName(std::string name);
    // A table of `rows` x `columns` cells spanning the page's width; the
    // insertion point goes to its first cell.
    void addTable(int rows, int columns);
    // The first row at least this tall, in points.
    void setFirstRowHeight(double points);
    void setLandscape();
    // The cell at the insertion point: vertically centred, bold, centred.
    void formatCellAsHeading();
    // Types into the cell at the insertion point.
    void typeText(std::string_view text);
    // The insertion point to the next cell, row by row; past the last cell it stays.
    void moveRight();
    // Writes the file and opens it with the desktop's word processor.
    void makeVisible();

    const QString& fileName() const { return m_fileName; }

    // The page, in twentieths of a point: A4, or US Letter where the
    // locale measures in inches.
    struct Page {
        int width;
        int height;
    };
    static Page portraitPage();

private:
    std::string documentXml() const;
    std::vector<std::string> columnWidths(int tableWidth) const;
    void requireTable() const;

    QString m_fileName;
    std::string m_font;
    int m_rows = 0;
    int m_columns = 0;
    std::vector<std::string> m_cells;
    std::vector<bool> m_heading;
    std::size_t m_at = 0;
    int m_firstRowTwips = 0;
    bool m_landscape = false;
    bool m_started = false;
};
