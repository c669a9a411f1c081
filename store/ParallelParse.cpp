#include "store/ParallelParse.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace parallel {

std::size_t partsFor(std::size_t units, std::size_t minimum)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    // Two threads catch the figures on the machines we aim at; more would
    // fight the window thread and the disk for little.
    const std::size_t wanted = std::min<std::size_t>(cores, 2);
    return std::clamp<std::size_t>(units / std::max<std::size_t>(minimum, 1), 1, wanted);
}

std::vector<TextRange> cutAt(const char* begin, const char* end, std::size_t parts,
                             const std::function<const char*(const char*)>& nextStart)
{
    std::vector<TextRange> ranges;
    const char* start = begin;
    const auto size = static_cast<std::size_t>(end - begin);
    for (std::size_t i = 1; i < parts && start < end; ++i) {
        const char* cut = std::max(start, nextStart(begin + size / parts * i));
        if (cut >= end)
            break;
        ranges.push_back({start, cut});
        start = cut;
    }
    ranges.push_back({start, end});
    return ranges;
}

void run(std::size_t parts, const std::function<void(std::size_t)>& work)
{
    std::vector<std::exception_ptr> failures(parts);
    const auto guarded = [&](std::size_t i) {
        try {
            work(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(parts);
    try {
        for (std::size_t i = 1; i < parts; ++i)
            threads.emplace_back(guarded, i);
    } catch (...) {
        // No thread to be had: the parts left over run here.
        for (std::size_t i = threads.size() + 1; i < parts; ++i)
            guarded(i);
    }
    guarded(0);
    for (auto& t : threads)
        t.join();
    for (const auto& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

} // namespace parallel
