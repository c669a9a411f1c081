#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// Helpers for work that splits a text or a list into independent parts, one
// per core: a file's records after the header, the records of a dedupe, the
// halves of a sort.
namespace parallel {

struct TextRange {
    const char* begin;
    const char* end;
};

// How many threads work on `units` units of work of which each thread should
// get at least `minimum`; 1 on a single core or for small inputs.
std::size_t partsFor(std::size_t units, std::size_t minimum);

// Cuts [begin, end) into `parts` ranges (fewer when the text is short) that
// each start where `nextStart(p)` says the first record at or after p starts.
// The reader's quoting rule lives in `nextStart`.
std::vector<TextRange> cutAt(const char* begin, const char* end, std::size_t parts,
                             const std::function<const char*(const char*)>& nextStart);

// Runs work(i) for i in [0, parts): part 0 on the calling thread (so that it
// may report progress to the window), the others on threads of their own.
// The first exception thrown by any part is rethrown after all have ended.
void run(std::size_t parts, const std::function<void(std::size_t)>& work);

} // namespace parallel
