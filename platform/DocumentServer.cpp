#include "platform/DocumentServer.h"

#include <algorithm>

#include <QFile>
#include <QLocale>

#include <zip.h>

#include "platform/DesktopHandOff.h"
#include "platform/OfficeFiles.h"
#include "platform/XmlText.h"

namespace {

constexpr int Margin = 1440; // one inch, in twentieths of a point

const char* const ContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(</Types>)";

const char* const PackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

const char* const DocumentRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

const char* const Namespace = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";

std::string stylesXml(const std::string& font)
{
    const std::string f = xmlSafe(font);
    return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:styles )") + Namespace +
           R"(><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=")" + f + R"(" w:hAnsi=")" + f +
           R"(" w:eastAsia=")" + f + R"(" w:cs=")" + f +
           R"("/><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr></w:rPrDefault>)"
           R"(<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr></w:pPrDefault>)"
           R"(</w:docDefaults><w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>)"
           R"(<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/>)"
           R"(<w:uiPriority w:val="99"/><w:semiHidden/><w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar>)"
           R"(<w:top w:w="0" w:type="dxa"/><w:left w:w="108" w:type="dxa"/><w:bottom w:w="0" w:type="dxa"/>)"
           R"(<w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style></w:styles>)";
}

// One run of text; tabs and line breaks become the document's own.
void appendRun(std::string& out, std::string_view text, bool bold)
{
    out += bold ? "<w:r><w:rPr><w:b/></w:rPr>" : "<w:r>";
    std::size_t start = 0;
    const auto flush = [&](std::size_t end) {
        if (end > start) {
            out += R"(<w:t xml:space="preserve">)";
            appendEscaped(out, text.substr(start, end - start));
            out += "</w:t>";
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\t' && c != '\n' && c != '\r')
            continue;
        flush(i);
        if (c == '\t')
            out += "<w:tab/>";
        else if (!(c == '\n' && i > 0 && text[i - 1] == '\r'))
            out += "<w:br/>";
        start = i + 1;
    }
    flush(text.size());
    out += "</w:r>";
}

struct ZipArchive {
    zip_t* zip = nullptr;
    ~ZipArchive()
    {
        if (zip)
            zip_discard(zip);
    }
};

// `data` must stay in place until the archive is closed.
void addPart(zip_t* zip, const char* name, std::string_view data, bool fast)
{
    zip_source_t* source = zip_source_buffer(zip, data.data(), data.size(), 0);
    if (!source)
        throw OfficeError(std::string("The document could not take ") + name + ": " + zip_strerror(zip));
    const zip_int64_t index = zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw OfficeError(std::string("The document could not take ") + name + ": " + zip_strerror(zip));
    }
    // The table of a big grid is large and plain: quick compression serves.
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, fast ? 1 : 6);
}

} // namespace

DocumentServer::DocumentServer() = default;

DocumentServer::Page DocumentServer::portraitPage()
{
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem)
        return {12240, 15840};
    return {11906, 16838};
}

void DocumentServer::newDocument()
{
    *this = DocumentServer();
    m_fileName = newOfficeFile(QStringLiteral("Document"), QStringLiteral(".docx"));
    m_started = true;
}

void DocumentServer::setFontName(std::string name) { m_font = std::move(name); }

void DocumentServer::addTable(int rows, int columns)
{
    if (!m_started)
        throw OfficeError("There is no document to add a table to.");
    if (rows < 1 || columns < 1)
        throw OfficeError("A table needs at least one row and one column.");
    m_rows = rows;
    m_columns = columns;
    const std::size_t cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    m_cells.assign(cells, std::string());
    m_heading.assign(cells, false);
    m_at = 0;
}

void DocumentServer::requireTable() const
{
    if (m_cells.empty())
        throw OfficeError("The document has no table.");
}

void DocumentServer::setFirstRowHeight(double points)
{
    requireTable();
    m_firstRowTwips = static_cast<int>(points * 20);
}

void DocumentServer::setLandscape() { m_landscape = true; }

void DocumentServer::formatCellAsHeading()
{
    requireTable();
    m_heading[m_at] = true;
}

void DocumentServer::typeText(std::string_view text)
{
    requireTable();
    m_cells[m_at] += xmlSafe(text);
}

void DocumentServer::moveRight()
{
    requireTable();
    if (m_at + 1 < m_cells.size())
        ++m_at;
}

std::vector<std::string> DocumentServer::columnWidths(int tableWidth) const
{
    // The table spans the page; each column gets a share after its longest
    // text, within bounds, so short codes do not take the room long addresses need.
    std::vector<int> weight(static_cast<std::size_t>(m_columns), 6);
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        int& w = weight[i % static_cast<std::size_t>(m_columns)];
        if (w < 40)
            w = std::clamp(displayWidth(m_cells[i]), w, 40);
    }
    long total = 0;
    for (int& w : weight) {
        w += 3; // the cell's own margins
        total += w;
    }
    std::vector<std::string> widths;
    for (int w : weight)
        widths.push_back(std::to_string(static_cast<long>(tableWidth) * w / std::max(total, 1L)));
    return widths;
}

std::string DocumentServer::documentXml() const
{
    Page page = portraitPage();
    if (m_landscape)
        std::swap(page.width, page.height);
    const std::vector<std::string> widths = columnWidths(page.width - 2 * Margin);

    std::string out;
    std::size_t bytes = 0;
    for (const std::string& cell : m_cells)
        bytes += cell.size() + 120;
    out.reserve(bytes + 4096);
    out += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document )";
    out += Namespace;
    out += "><w:body>";
    if (!m_cells.empty()) {
        out += R"(<w:tbl><w:tblPr><w:tblStyle w:val="TableNormal"/><w:tblW w:w="5000" w:type="pct"/>)"
               R"(<w:tblLayout w:type="autofit"/><w:tblLook w:val="04E0" w:firstRow="1" w:lastRow="1")"
               R"( w:firstColumn="1" w:lastColumn="1" w:noHBand="0" w:noVBand="0"/></w:tblPr><w:tblGrid>)";
        for (int c = 0; c < m_columns; ++c)
            out += R"(<w:gridCol w:w=")" + widths[static_cast<std::size_t>(c)] + R"("/>)";
        out += "</w:tblGrid>";
        for (int r = 0; r < m_rows; ++r) {
            out += "<w:tr>";
            if (r == 0 && m_firstRowTwips > 0)
                out += R"(<w:trPr><w:trHeight w:val=")" + std::to_string(m_firstRowTwips) +
                       R"(" w:hRule="atLeast"/></w:trPr>)";
            for (int c = 0; c < m_columns; ++c) {
                const std::size_t i = static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) +
                                      static_cast<std::size_t>(c);
                const bool heading = m_heading[i];
                out += R"(<w:tc><w:tcPr><w:tcW w:w=")" + widths[static_cast<std::size_t>(c)] + R"(" w:type="dxa"/>)";
                if (heading)
                    out += R"(<w:vAlign w:val="center"/>)";
                out += "</w:tcPr><w:p>";
                if (heading)
                    out += R"(<w:pPr><w:jc w:val="center"/></w:pPr>)";
                if (!m_cells[i].empty())
                    appendRun(out, m_cells[i], heading);
                out += "</w:p></w:tc>";
            }
            out += "</w:tr>";
        }
        out += "</w:tbl>";
    }
    // A document ends with a paragraph, after the table too.
    out += "<w:p/><w:sectPr><w:pgSz w:w=\"" + std::to_string(page.width) + "\" w:h=\"" +
           std::to_string(page.height) + "\"" + (m_landscape ? " w:orient=\"landscape\"" : "") +
           "/><w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\""
           " w:footer=\"720\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
    return out;
}

void DocumentServer::makeVisible()
{
    if (!m_started)
        throw OfficeError("There is no document to show.");
    const std::string document = documentXml();
    const std::string styles = stylesXml(m_font.empty() ? std::string("Times New Roman") : m_font);

    ZipArchive archive;
    int error = 0;
    archive.zip = zip_open(QFile::encodeName(m_fileName).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive.zip) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        const std::string text = zip_error_strerror(&detail);
        zip_error_fini(&detail);
        throw OfficeError("The document could not be written: " + text);
    }
    addPart(archive.zip, "[Content_Types].xml", ContentTypes, false);
    addPart(archive.zip, "_rels/.rels", PackageRels, false);
    addPart(archive.zip, "word/_rels/document.xml.rels", DocumentRels, false);
    addPart(archive.zip, "word/styles.xml", styles, false);
    addPart(archive.zip, "word/document.xml", document, true);
    if (zip_close(archive.zip) != 0)
        throw OfficeError(std::string("The document could not be written: ") + zip_strerror(archive.zip));
    archive.zip = nullptr;
    if (!desktopHandOff().openFile(m_fileName))
        throw OfficeError(("No application opened the document " + m_fileName).toStdString());
}
