#pragma once

#include <chrono>
#include <string>

// Prints `file` on this user's default printer under the job title `title`
// and waits, at most `limit`, until the printing system reports the job
// completed. Empty result on success, otherwise what went wrong.
std::string printOnDefault(const std::string& file, const std::string& title,
                           std::chrono::milliseconds limit);
