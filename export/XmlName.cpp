#include "export/XmlName.h"

#include <QList>
#include <QString>

namespace {

bool isNameStart(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6)
        || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D)
        || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F)
        || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
        || (c >= 0xFDF0 && c <= 0xFFFC) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c)
{
    return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7
        || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

} // namespace

std::string xmlElementName(std::string_view heading)
{
    // Bytes that are not UTF-8 arrive as U+FFFD, which is left out of the
    // name characters above, so they too become "_".
    const QList<uint> chars = QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size())).toUcs4();
    QString name;
    for (uint c : chars)
        name += isNameChar(c) ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1) : QStringLiteral("_");
    // Judged after the mending: a leading space has become "_" already.
    if (chars.isEmpty() || (isNameChar(chars.front()) && !isNameStart(chars.front())))
        name.prepend(QLatin1Char('_'));
    return name.toStdString();
}
