#include "store/table/HugeBuffer.h"

#include <cstdint>

#include <sys/mman.h>

namespace huge {

namespace {

constexpr std::size_t PageSize = std::size_t{2} << 20;

std::size_t roundUp(std::size_t bytes) { return (bytes + PageSize - 1) & ~(PageSize - 1); }

} // namespace

void* allocate(std::size_t bytes)
{
    if (bytes < Threshold) {
        // A small block on a huge page would cost a whole 2 MiB once touched.
        void* block = ::mmap(nullptr, bytes == 0 ? 1 : bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        return block;
    }
    const std::size_t size = roundUp(bytes);
    // Map one huge page more than needed and cut off the ends, so that the
    // block starts on a 2 MiB boundary.
    const std::size_t mapped = size + PageSize;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + PageSize - 1) & ~(std::uintptr_t{PageSize} - 1);
    const std::size_t head = aligned - start;
    const std::size_t tail = mapped - head - size;
    if (head)
        ::munmap(raw, head);
    if (tail)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
    // Advice only: refused where huge pages are off, and then ordinary pages
    // serve. The last part-filled 2 MiB stays on small pages: a huge page
    // there would be counted whole once its first byte is touched.
    const std::size_t whole = bytes & ~(PageSize - 1);
    if (whole)
        ::madvise(block, whole, MADV_HUGEPAGE);
    // The small pages of that last part are faulted in by one call, not one
    // trap each: on a virtual machine a trap costs several microseconds.
    // Kernels before 5.14 refuse, and the pages then come as they are touched.
    constexpr std::size_t SmallPage = 4096;
    const std::size_t smallPart = (bytes - whole + SmallPage - 1) & ~(SmallPage - 1);
    if (smallPart)
        ::madvise(static_cast<char*>(block) + whole, smallPart, MADV_POPULATE_WRITE);
    return block;
}

void release(void* block, std::size_t bytes) noexcept
{
    if (block)
        ::munmap(block, bytes < Threshold ? (bytes == 0 ? 1 : bytes) : roundUp(bytes));
}

} // namespace huge
