#pragma once

#include <cstddef>
#include <memory>
#include <new>

// Large buffers (a file's bytes, the cell columns, the record order) live on
// transparent huge pages where the system offers them: a million-record file
// otherwise costs tens of thousands of page faults and TLB misses, more than
// the parsing. Blocks are mapped 2 MiB-aligned and marked MADV_HUGEPAGE; where
// the kernel says no, they stay ordinary pages and nothing else changes.
namespace huge {

// Below this a block comes from the ordinary heap.
constexpr std::size_t Threshold = std::size_t{1} << 20;

// Fresh memory of at least `bytes`, zero-filled only in the sense that the
// kernel's pages are; throws std::bad_alloc.
void* allocate(std::size_t bytes);
void release(void* block, std::size_t bytes) noexcept;

struct Deleter {
    std::size_t bytes = 0;
    void operator()(char* block) const noexcept { release(block, bytes); }
};
using Bytes = std::unique_ptr<char[], Deleter>;

inline Bytes allocateBytes(std::size_t bytes)
{
    return Bytes(static_cast<char*>(allocate(bytes)), Deleter{bytes});
}

// An allocator for vectors of trivial types that may grow large. Growing by
// resize() leaves the new elements uninitialised, so that a buffer a parser
// fills is written once, not zeroed first.
template <typename T>
struct Allocator {
    using value_type = T;
    Allocator() = default;
    template <typename U>
    Allocator(const Allocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < Threshold)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(huge::allocate(bytes));
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < Threshold)
            ::operator delete(p);
        else
            huge::release(p, bytes);
    }
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <typename U>
    bool operator==(const Allocator<U>&) const noexcept { return true; }
};

} // namespace huge
