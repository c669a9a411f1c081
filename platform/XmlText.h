#pragma once

#include <string>
#include <string_view>

// Office files are XML, which takes only valid UTF-8 and no control
// characters other than tab, line feed and carriage return. A value that
// breaks either rule would make the whole file unreadable, so such bytes are
// shown as U+FFFD instead; every other value passes as it is.
bool isXmlSafe(std::string_view text);
std::string xmlSafe(std::string_view text);

// Appends `text` with &, < and > written as entities. Markup characters in a
// value would break the page or the document, and a value holding a script
// would run in the reader's browser.
void appendEscaped(std::string& out, std::string_view text);

// The number of characters of `text` as a column of a spreadsheet counts
// them: East Asian wide characters count two.
int displayWidth(std::string_view text);
