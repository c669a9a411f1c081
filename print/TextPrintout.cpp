#include "print/TextPrintout.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTextLayout>

namespace {

constexpr double LargestPoints = 10.0;
constexpr double SmallestPoints = 7.0;

struct Page {
    QPageLayout::Orientation orientation;
    double points;
};

QFont printFont(const QString& family, double points)
{
    QFont font(family);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    return font;
}

// Whether a printer driver that turns the PDF into PostScript keeps the
// character in the font's 8-bit Windows Latin 1 part. Such a driver (the
// PDF printer's) splits one font into that part and the rest under a single
// name, which the PostScript-to-PDF step then cannot tell apart: the rest
// loses its text. So those characters come from one face and every other
// character from a second one, and no face is split.
bool inLatinPart(char32_t c)
{
    static const std::u32string extras = U"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039"
                                         U"\u0152\u017D\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122"
                                         U"\u0161\u203A\u0153\u017E\u0178";
    return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFF && c != 0xAD) ||
           extras.find(c) != std::u32string::npos;
}

struct Faces {
    QFont latin;
    QFont other;
};

Faces printFaces(double points)
{
    return {printFont(QStringLiteral("Liberation Mono"), points),
            printFont(QStringLiteral("DejaVu Sans Mono"), points)};
}

std::vector<QStringList> splitLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    // The file's own last line end makes no empty line on paper.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(lines.size()));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        rows.push_back(line.split(QLatin1Char('\t')));
    }
    return rows;
}

double textWidth(const QString& text, const Faces& faces, QPaintDevice* device);

// The width of each tab column: its widest text and a gap of two characters.
// The text after a line's last tab has no column of its own.
std::vector<double> naturalWidths(const std::vector<QStringList>& rows, const Faces& faces,
                                  const QFontMetricsF& metrics, QPaintDevice* device)
{
    std::vector<double> widths;
    const double gap = 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    for (const QStringList& fields : rows) {
        const auto tabbed = static_cast<std::size_t>(fields.size() - 1);
        if (widths.size() < tabbed)
            widths.resize(tabbed, 0.0);
        for (std::size_t c = 0; c < tabbed; ++c)
            widths[c] = std::max(widths[c], textWidth(fields[static_cast<int>(c)], faces, device) + gap);
    }
    return widths;
}

// Narrows the widest columns, each to the same width, until all fit in `room`.
void fitWidths(std::vector<double>& widths, double room)
{
    double total = 0;
    for (double w : widths)
        total += w;
    if (total <= room || widths.empty())
        return;
    std::vector<double> sorted = widths;
    std::sort(sorted.begin(), sorted.end());
    double narrow = 0; // the width of the columns that keep theirs
    std::size_t kept = 0;
    double cap = room / static_cast<double>(widths.size());
    while (kept < sorted.size() && sorted[kept] <= (room - narrow) / static_cast<double>(sorted.size() - kept)) {
        narrow += sorted[kept];
        ++kept;
    }
    if (kept < sorted.size())
        cap = (room - narrow) / static_cast<double>(sorted.size() - kept);
    for (double& w : widths)
        w = std::min(w, cap);
}

// A field's text with each character in its face, not yet laid out.
std::unique_ptr<QTextLayout> fieldText(const QString& text, const Faces& faces, QPaintDevice* device)
{
    auto layout = std::make_unique<QTextLayout>(text, faces.latin, device);
    QList<QTextLayout::FormatRange> others;
    for (int i = 0; i < text.size();) {
        const int start = i;
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        ++i;
        if (inLatinPart(c))
            continue;
        if (!others.isEmpty() && others.last().start + others.last().length == start) {
            others.last().length = i - others.last().start;
        } else {
            QTextLayout::FormatRange range;
            range.start = start;
            range.length = i - start;
            range.format.setFont(faces.other);
            others.push_back(range);
        }
    }
    layout->setFormats(others);
    return layout;
}

// The width of a field's text on one line.
double textWidth(const QString& text, const Faces& faces, QPaintDevice* device)
{
    const auto layout = fieldText(text, faces, device);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(1e9);
    const double width = line.naturalTextWidth();
    layout->endLayout();
    return width;
}

// One field laid out in its column, wrapped at its width.
std::unique_ptr<QTextLayout> layField(const QString& text, const Faces& faces, QPaintDevice* device,
                                      double width, double lineHeight, double ascent, int& lines)
{
    auto layout = fieldText(text, faces, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    lines = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        // One baseline for the whole printed line, whichever face a field uses.
        line.setPosition(QPointF(0, lines * lineHeight + ascent - line.ascent()));
        ++lines;
    }
    layout->endLayout();
    lines = std::max(lines, 1);
    return layout;
}

} // namespace

QString printTextToPdf(const QString& text, const QString& pdfPath, const QString& title)
{
    const std::vector<QStringList> rows = splitLines(text);

    QPdfWriter writer(pdfPath);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tabvane Software"));
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);

    // The largest type that shows each line whole, upright if it can be;
    // wider texts wrap within their columns at the smallest type.
    const std::vector<Page> choices = {{QPageLayout::Portrait, LargestPoints},
                                       {QPageLayout::Landscape, LargestPoints},
                                       {QPageLayout::Landscape, 9.0},
                                       {QPageLayout::Landscape, 8.0},
                                       {QPageLayout::Landscape, SmallestPoints}};
    Faces faces;
    std::vector<double> widths;
    double room = 0;
    for (const Page& choice : choices) {
        writer.setPageOrientation(choice.orientation);
        faces = printFaces(choice.points);
        const QFontMetricsF metrics(faces.latin, &writer);
        widths = naturalWidths(rows, faces, metrics, &writer);
        room = writer.pageLayout().paintRectPixels(writer.resolution()).width();
        double total = 0;
        for (double w : widths)
            total += w;
        if (total + metrics.averageCharWidth() <= room)
            break;
    }
    // The text after a line's last tab has what is left of the page, at
    // least a quarter of it when there is any such text.
    const bool trailingText = std::any_of(rows.begin(), rows.end(), [](const QStringList& fields) {
        return fields.size() > 1 && !fields.last().isEmpty();
    });
    fitWidths(widths, trailingText ? room * 0.75 : room);

    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("Cannot write the PDF file.");
    painter.setFont(faces.latin);
    const QFontMetricsF metrics(faces.latin, &writer);
    const double lineHeight = metrics.lineSpacing();
    const double pageHeight = writer.pageLayout().paintRectPixels(writer.resolution()).height();
    double y = 0;
    for (const QStringList& fields : rows) {
        std::vector<std::unique_ptr<QTextLayout>> laid;
        std::vector<double> xs;
        int rowLines = 1;
        double x = 0;
        for (int c = 0; c < fields.size(); ++c) {
            const bool last = c == fields.size() - 1;
            const double width = last ? std::max(room - x, room * 0.25) : widths[static_cast<std::size_t>(c)];
            int lines = 1;
            laid.push_back(layField(fields[c], faces, &writer, last ? width : width - metrics.averageCharWidth(),
                                    lineHeight, metrics.ascent(), lines));
            xs.push_back(x);
            rowLines = std::max(rowLines, lines);
            x += width;
        }
        const double rowHeight = rowLines * lineHeight;
        if (y > 0 && y + rowHeight > pageHeight) {
            writer.newPage();
            y = 0;
        }
        for (std::size_t i = 0; i < laid.size(); ++i)
            laid[i]->draw(&painter, QPointF(xs[i], y));
        y += rowHeight;
    }
    if (!painter.end())
        return QStringLiteral("Cannot finish the PDF file.");
    return {};
}
