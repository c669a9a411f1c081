#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Raised when an export file cannot be written; the text says why.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `text` and one CR LF to `path`, creating or replacing the file. The
// old file is replaced only once the new one is complete, so a full disk
// never leaves half a file under the user's name. Throws ExportError.
void SaveTextToFile(std::string_view text, const std::string& path);
