#pragma once

#include <map>
#include <string>
#include <vector>

#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

// Reads one part of a zipped office file; empty when it is not there.
inline std::string zipPart(const QString& file, const char* part)
{
    int error = 0;
    zip_t* zip = zip_open(file.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!zip)
        return {};
    std::string out;
    zip_stat_t st;
    if (zip_stat(zip, part, 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(zip, part, 0)) {
            out.resize(st.size);
            zip_fread(f, out.data(), st.size);
            zip_fclose(f);
        }
    }
    zip_close(zip);
    return out;
}

// A sheet as its cells by reference ("A1" -> text) and its column widths.
struct SheetCells {
    std::map<std::string, std::string> cells;
    std::map<std::string, std::string> types;
    std::map<int, double> widths;
};

inline SheetCells readSheet(const QString& workbook)
{
    SheetCells sheet;
    QXmlStreamReader xml(QByteArray::fromStdString(zipPart(workbook, "xl/worksheets/sheet1.xml")));
    std::string ref;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QStringLiteral("col")) {
            const int from = xml.attributes().value("min").toInt();
            sheet.widths[from] = xml.attributes().value("width").toDouble();
        } else if (xml.name() == QStringLiteral("c")) {
            ref = xml.attributes().value("r").toString().toStdString();
            sheet.types[ref] = xml.attributes().value("t").toString().toStdString();
        } else if (xml.name() == QStringLiteral("t")) {
            sheet.cells[ref] = xml.readElementText().toStdString();
        }
    }
    return sheet;
}
