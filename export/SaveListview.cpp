#include "export/SaveListview.h"

#include <string_view>
#include <vector>

#include "export/GridText.h"
#include "export/SaveTextToFile.h"
#include "export/XmlName.h"
#include "platform/XmlText.h"
#include "store/table/TextFold.h"

namespace {

constexpr std::string_view CRLF = "\r\n";

// A rough size, so the text grows without copying itself over and over.
std::size_t estimatedSize(const GridText& grid, std::size_t perCell)
{
    std::size_t sample = 0;
    const int rows = std::min(grid.shownRows(), 100);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < grid.headingCount(); ++c)
            sample += grid.cellBytes(r, c).size() + perCell;
    return rows == 0 ? 0 : sample / static_cast<std::size_t>(rows) * static_cast<std::size_t>(grid.shownRows() + 1);
}

// Every heading, then every row, each value followed by `separator`; with
// `lastToo` false the separator after the last value of a line is left out.
std::string separatedText(const GridText& grid, char separator, bool lastToo)
{
    const int columns = grid.headingCount();
    std::string out;
    out.reserve(estimatedSize(grid, 1) + 2);
    const auto endOfValue = [&](int c) {
        if (lastToo || c + 1 < columns)
            out += separator;
    };
    for (int c = 0; c < columns; ++c) {
        out += grid.headingText(c);
        endOfValue(c);
    }
    out += CRLF;
    for (int r = 0; r < grid.shownRows(); ++r) {
        for (int c = 0; c < columns; ++c) {
            out += grid.cellBytes(r, c);
            endOfValue(c);
        }
        out += CRLF;
    }
    return out;
}

} // namespace

std::string htmlText(const GridText& grid)
{
    const int columns = grid.headingCount();
    std::string out;
    out.reserve(estimatedSize(grid, 12) + 256);
    // Without a declared character set browsers show UTF-8 in a legacy code page.
    out += "<html><head><meta charset=\"utf-8\"><title>CSV Results</title></head><body><table border=1 width='100%'>";
    out += CRLF;
    out += "<tr>";
    out += CRLF;
    for (int c = 0; c < columns; ++c) {
        out += "<th>";
        appendEscaped(out, trimSpaces(grid.headingText(c)));
        out += "</th>";
        out += CRLF;
    }
    out += "</tr>";
    out += CRLF;
    for (int r = 0; r < grid.shownRows(); ++r) {
        out += "<tr>";
        out += CRLF;
        for (int c = 0; c < columns; ++c) {
            out += "<td>";
            appendEscaped(out, trimSpaces(grid.cellBytes(r, c)));
            out += "</td>";
            out += CRLF;
        }
        out += "</tr>";
        out += CRLF;
    }
    out += "</table></body></html>";
    return out;
}

std::string csvText(const GridText& grid) { return separatedText(grid, ',', false); }

std::string tabText(const GridText& grid) { return separatedText(grid, '\t', true); }

std::string xmlText(const GridText& grid)
{
    const int columns = grid.headingCount();
    // A heading such as "First Name" or "2024" is no element name: as it
    // stands it would make a file no XML reader accepts.
    std::vector<std::string> names;
    std::size_t tagBytes = 0;
    for (int c = 0; c < columns; ++c) {
        names.push_back(xmlElementName(grid.headingText(c)));
        tagBytes += 2 * names.back().size() + 7;
    }
    std::string out;
    out.reserve(estimatedSize(grid, 0) + tagBytes * static_cast<std::size_t>(grid.shownRows()) + 32);
    out += "<xml>";
    out += CRLF;
    for (int r = 0; r < grid.shownRows(); ++r) {
        out += "<row>";
        out += CRLF;
        for (int c = 0; c < columns; ++c) {
            const std::string& heading = names[static_cast<std::size_t>(c)];
            out += '<';
            out += heading;
            out += '>';
            appendEscaped(out, trimSpaces(grid.cellBytes(r, c)));
            out += "</";
            out += heading;
            out += '>';
            out += CRLF;
        }
        out += "</row>";
        out += CRLF;
    }
    out += "</xml>";
    return out;
}

void SaveListviewToHTML(const GridText& grid, const std::string& path) { SaveTextToFile(htmlText(grid), path); }
void SaveListviewToCSV(const GridText& grid, const std::string& path) { SaveTextToFile(csvText(grid), path); }
void SaveListviewToTXT(const GridText& grid, const std::string& path) { SaveTextToFile(tabText(grid), path); }
void SaveListviewToXML(const GridText& grid, const std::string& path) { SaveTextToFile(xmlText(grid), path); }
