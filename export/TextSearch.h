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

    QString m_needle;
    // The needle case-folded, and whether that is all ASCII: only then can a
    // value of ASCII letters hold it ("K", the Kelvin sign, folds to "k").
    std::string m_foldedAscii;
    bool m_foldsToAscii = true;
};
