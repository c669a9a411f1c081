#pragma once

#include <string>
#include <string_view>

#include <QString>

// Finds a text inside values without regard to case. Letters that differ only
// in case match, in any script; the search text is used as given, spaces
// included. Values and search text are UTF-8.
class TextSearch {
public:
    explicit TextSearch(std::string_view needle);

    bool foundIn(std::string_view value) const;

private:
    bool asciiFoundIn(std::string_view value) const;

    std::string m_lowerAscii; // the needle lower-cased, when it is all ASCII
    bool m_asciiNeedle = true;
    QString m_needle;
};
