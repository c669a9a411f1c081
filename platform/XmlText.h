#pragma once

#include <string>
#include <string_view>

// Office files are XML, which takes only valid UTF-8 and no control
// characters other than tab, line feed and carriage return. A value that
// breaks either rule would make the whole file unreadable, so such bytes are
// shown as U+FFFD instead; every other value passes as it is.
bool isXmlSafe(std::string_view text);
std::string xmlSafe(std::string_view text);

// The number of characters of `text` as a column of a spreadsheet counts
// them: East Asian wide characters count two.
int displayWidth(std::string_view text);
