// Draws the program's pointing-hand cursor (HAND-M.CUR) and its icon
// (tabvane.png) into the given folder. Run by the build.
#include <cstdint>
#include <cstdio>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

// '#' outline, '.' fill, ' ' transparent; the hot spot is the fingertip.
const char* const Hand[32] = {
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ### #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..#...........#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #............#              ",
    "    #...........#               ",
    "     #..........#               ",
    "     #.........#                ",
    "      #........#                ",
    "      #........#                ",
    "      ##########                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};
constexpr int HotX = 6;
constexpr int HotY = 0;

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void put16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

QByteArray handCursor()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (Hand[y][x] == '#')
                image.setPixelColor(x, y, Qt::black);
            else if (Hand[y][x] == '.')
                image.setPixelColor(x, y, Qt::white);
        }
    const QByteArray picture = png(image);
    QByteArray file;
    put16(file, 0); // reserved
    put16(file, 2); // a cursor
    put16(file, 1); // one image
    file.append(char(32)).append(char(32)).append(char(0)).append(char(0));
    put16(file, HotX);
    put16(file, HotY);
    put32(file, static_cast<std::uint32_t>(picture.size()));
    put32(file, 6 + 16);
    return file + picture;
}

QImage icon()
{
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A teal tile holding a small sheet of rows and columns.
    QLinearGradient tile(0, 0, 0, 256);
    tile.setColorAt(0, QColor(0x2f, 0x8f, 0x9d));
    tile.setColorAt(1, QColor(0x1f, 0x5f, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(12, 12, 232, 232), 44, 44);

    const QRectF sheet(52, 56, 152, 144);
    p.setBrush(QColor(0xf7, 0xfa, 0xfc));
    p.drawRoundedRect(sheet, 12, 12);
    p.setBrush(QColor(0xd4, 0xe6, 0xf1));
    QPainterPath headerRow;
    headerRow.addRoundedRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 34), 12, 12);
    headerRow.addRect(QRectF(sheet.left(), sheet.top() + 20, sheet.width(), 14));
    p.drawPath(headerRow.simplified());
    p.setPen(QPen(QColor(0x9f, 0xb8, 0xc8), 4));
    for (double y : {sheet.top() + 34, sheet.top() + 71, sheet.top() + 108})
        p.drawLine(QPointF(sheet.left(), y), QPointF(sheet.right(), y));
    for (double x : {sheet.left() + 51, sheet.left() + 101})
        p.drawLine(QPointF(x, sheet.top()), QPointF(x, sheet.bottom()));

    // A check mark over the corner: the file is clean.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xa5, 0x3a));
    p.drawEllipse(QPointF(192, 190), 40, 40);
    p.setPen(QPen(Qt::white, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(174, 190), QPointF(187, 204), QPointF(210, 177)}));
    return image;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!write(folder + "/HAND-M.CUR", handCursor()) || !write(folder + "/tabvane.png", png(icon()))) {
        std::fprintf(stderr, "make_assets: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
