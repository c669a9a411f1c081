#include "export/GridText.h"

#include <algorithm>

QString displayedCell(std::string_view value)
{
    constexpr qsizetype DisplayLimit = 2000;
    const qsizetype size = std::min<qsizetype>(static_cast<qsizetype>(value.size()), DisplayLimit);
    QString text = QString::fromUtf8(value.data(), size);
    if (size < static_cast<qsizetype>(value.size()))
        text += QChar(0x2026);
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}
