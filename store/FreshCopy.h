#pragma once

#include <cstddef>

// Asks the kernel to back a large block about to be written with huge pages,
// where it allows them: first writes to fresh memory fault page by page, and
// thousands of small faults cost more than copying the data. Only a hint.
void preferHugePages(const void* data, std::size_t bytes);

// A copy of a column of cells or a record order in freshly allocated memory,
// on huge pages where allowed, for a step to keep.
template <typename Vector>
Vector freshCopy(const Vector& from)
{
    Vector copy;
    copy.reserve(from.size());
    preferHugePages(copy.data(), from.size() * sizeof(typename Vector::value_type));
    copy.assign(from.begin(), from.end());
    return copy;
}
