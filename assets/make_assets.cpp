// Draws the program's pointing-hand cursor (HAND-M.CUR) and its window icon
// (tabvane.png) into the program's folder, and the icon theme's sizes
// (48.png, 128.png, 256.png) into a second folder. Run by the build.
#include <cstdint>
#include <cstdio>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

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

// The icon at `size` pixels, from its drawing.
QImage icon(QSvgRenderer& drawing, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawing.render(&p);
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
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_assets <program folder> <icon.svg> <icon sizes folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[2]));
    if (!drawing.isValid()) {
        std::fprintf(stderr, "make_assets: cannot read the icon drawing %s\n", argv[2]);
        return 1;
    }
    const QString sizes = QString::fromLocal8Bit(argv[3]);
    bool written = write(folder + "/HAND-M.CUR", handCursor()) && write(folder + "/tabvane.png", png(icon(drawing, 256)));
    for (int size : {48, 128, 256})
        written = written && write(QStringLiteral("%1/%2.png").arg(sizes).arg(size), png(icon(drawing, size)));
    if (!written) {
        std::fprintf(stderr, "make_assets: cannot write into %s or %s\n", argv[1], argv[3]);
        return 1;
    }
    return 0;
}
