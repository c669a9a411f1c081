#pragma once

#include <string>
#include <string_view>

// What a cleanup fixes in one value, and the fixes: spaces at either end,
// runs of spaces inside, and characters that do not print (control
// characters, the no-break space, zero-width characters and the byte-order
// mark inside text). Bytes that are not valid UTF-8 are left as they are.
struct Blemishes {
    bool edgeSpaces = false;
    bool doubledSpaces = false;
    bool unprintable = false;
};

Blemishes blemishesOf(std::string_view value);

// The value without spaces at either end.
std::string_view withoutEdgeSpaces(std::string_view value);
// Each run of spaces inside as one space.
std::string withSingleSpaces(std::string_view value);
// Without the characters that do not print.
std::string withoutUnprintable(std::string_view value);
