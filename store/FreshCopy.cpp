#include "store/FreshCopy.h"

#include <cstdint>

#include <sys/mman.h>

void preferHugePages(const void* data, std::size_t bytes)
{
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    // Only whole huge pages inside the block: its ends share pages with
    // other memory.
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + HugePage - 1) & ~(HugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(HugePage - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}
