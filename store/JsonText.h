#pragma once

#include <string>
#include <string_view>

// Text for the JSON the command line prints.

// A JSON string. JSON holds only Unicode text, so a byte that is not part of
// valid UTF-8 is shown as U+FFFD and `exact` is cleared: the caller may give
// the value's bytes beside it.
std::string jsonString(std::string_view text, bool& exact);
std::string jsonString(std::string_view text);
// Bytes in hexadecimal, beside a value that JSON cannot hold.
std::string hexOf(std::string_view bytes);
