#include "store/FreshColumn.h"

#include <cstdint>

#include <sys/mman.h>

namespace {

// Only a hint; nothing changes where it is refused.
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

} // namespace

CellTable::Column freshCopy(const CellTable::Column& cells)
{
    CellTable::Column copy;
    copy.reserve(cells.size());
    preferHugePages(copy.data(), cells.size() * sizeof(Cell));
    copy.assign(cells.begin(), cells.end());
    return copy;
}
