#pragma once

#include <string>

// The folder that holds the running executable, without a trailing slash. The
// sample file, the hand cursor and the style sheet are installed beside it.
std::string applicationFolder();
