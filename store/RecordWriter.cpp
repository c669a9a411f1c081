#include "store/RecordWriter.h"

#include <algorithm>

#include "store/ParallelParse.h"

namespace {

// Records are formatted in batches. A batch's cells are first gathered column
// by column into record order: after a sort, record order jumps about in the
// columns, and a tight gathering loop lets the processor fetch many cells at
// once, where the formatting loop would wait for each.
constexpr std::size_t Batch = 4096;

// Formats records [first, last) onto `out`, a batch at a time.
void formatRange(const CellTable& table, std::size_t first, std::size_t last, const FormatLine& formatLine,
                 std::string& out)
{
    const int fields = table.fieldCount();
    const auto width = static_cast<std::size_t>(fields);
    std::vector<std::string_view> batch(Batch * width);
    std::vector<std::string_view> line(width);
    const std::uint32_t* order = table.orderView().data();
    for (std::size_t start = first; start < last; start += Batch) {
        const std::size_t count = std::min(Batch, last - start);
        const std::uint32_t* slots = order + start;
        for (int f = 0; f < fields; ++f) {
            const Cell* column = table.column(f);
            std::string_view* to = batch.data() + static_cast<std::size_t>(f);
            for (std::size_t i = 0; i < count; ++i, to += width)
                *to = column[slots[i]].view();
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 8 < count)
                __builtin_prefetch(batch[(i + 8) * width].data());
            std::copy_n(batch.begin() + static_cast<std::ptrdiff_t>(i * width), width, line.begin());
            formatLine(out, line, start + i);
        }
    }
}

} // namespace

bool writeRecords(const CellTable& table, const FormatLine& formatLine,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress)
{
    const std::size_t records = table.recordCount();
    const std::size_t parts = parallel::partsFor(records, 1 << 16);
    ProgressTicker ticker(progress, static_cast<std::int64_t>(records));
    // Rounds of a few hundred kilobytes of text a core; each core's text
    // follows the one before it in order when the round ends.
    constexpr std::size_t PerPart = 2 * Batch;
    std::vector<std::string> text(parts);
    for (std::size_t round = 0; round < records; round += PerPart * parts) {
        parallel::run(parts, [&](std::size_t i) {
            const std::size_t first = std::min(records, round + PerPart * i);
            text[i].clear();
            formatRange(table, first, std::min(records, first + PerPart), formatLine, text[i]);
        });
        for (const std::string& piece : text)
            if (!piece.empty() && !put(piece))
                return false;
        ticker.coarseStep(static_cast<std::int64_t>(std::min(records, round + PerPart * parts)));
    }
    return true;
}
