#include "platform/CursorFile.h"

#include <cstdint>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPixmap>

namespace {

std::uint16_t word(const QByteArray& b, qsizetype at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t dword(const QByteArray& b, qsizetype at)
{
    return static_cast<std::uint32_t>(word(b, at)) | static_cast<std::uint32_t>(word(b, at + 2)) << 16;
}

} // namespace

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > (4 << 20))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    // Header: reserved 0, type 2 (cursor), image count; then 16-byte entries.
    constexpr qsizetype Header = 6;
    constexpr qsizetype Entry = 16;
    if (bytes.size() < Header + Entry || word(bytes, 0) != 0 || word(bytes, 2) != 2 || word(bytes, 4) < 1)
        return std::nullopt;
    const int hotX = word(bytes, Header + 4);
    const int hotY = word(bytes, Header + 6);
    const std::uint32_t size = dword(bytes, Header + 8);
    const std::uint32_t offset = dword(bytes, Header + 12);
    if (offset > static_cast<std::uint64_t>(bytes.size()) || size > bytes.size() - offset || size < 8)
        return std::nullopt;

    const QByteArray image = bytes.mid(offset, size);
    QImage picture;
    if (image.startsWith("\x89PNG"))
        picture.loadFromData(image, "PNG");
    else
        picture.load(path, "CUR");
    if (picture.isNull())
        return std::nullopt;
    if (hotX >= picture.width() || hotY >= picture.height())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(picture), hotX, hotY);
}
