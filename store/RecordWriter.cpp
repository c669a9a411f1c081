#include "store/RecordWriter.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "store/ParallelParse.h"

namespace {

// Records are formatted in batches. A batch's cells are first gathered column
// by column into record order: after a sort, record order jumps about in the
// columns, and a tight gathering loop lets the processor fetch many cells at
// once, where the formatting loop would wait for each.
constexpr std::size_t Batch = 4096;

} // namespace

bool writeLine(LineBlock& out, const std::string_view* values, int count, std::string_view separator,
               bool quoted)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out.append(separator);
        if (quoted)
            out.append('"');
        out.append(values[i]);
        if (quoted)
            out.append('"');
    }
    return out.append(std::string_view("\r\n"));
}

namespace {

// Formats records [first, last) into `out`, a batch at a time.
bool formatRange(const CellTable& table, std::size_t first, std::size_t last, LineBlock& out,
                 std::string_view separator, bool quoted)
{
    const int fields = table.fieldCount();
    const auto width = static_cast<std::size_t>(fields);
    std::vector<std::string_view> batch(Batch * width);
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
            if (!writeLine(out, batch.data() + i * width, fields, separator, quoted))
                return false;
        }
    }
    return true;
}

} // namespace

bool writeRecords(const CellTable& table, LineBlock& out, std::string_view separator, bool quoted,
                  const ProgressCallback& progress)
{
    const std::size_t records = table.recordCount();
    const std::size_t parts = parallel::partsFor(records, 1 << 16);
    ProgressTicker ticker(progress, static_cast<std::int64_t>(records));
    // Rounds of a few hundred kilobytes of text: the first core formats its
    // share straight into `out`, the others into text of their own, which
    // follows in order when the round ends.
    constexpr std::size_t PerPart = 2 * Batch;
    std::vector<std::string> later(parts);
    std::vector<std::unique_ptr<LineBlock>> own(parts);
    for (std::size_t i = 1; i < parts; ++i)
        own[i] = std::make_unique<LineBlock>([&text = later[i]](std::string_view bytes) {
            text.append(bytes);
            return true;
        }, std::size_t{256} << 10);
    for (std::size_t round = 0; round < records; round += PerPart * parts) {
        std::vector<std::uint8_t> ok(parts, 1);
        parallel::run(parts, [&](std::size_t i) {
            const std::size_t first = std::min(records, round + PerPart * i);
            const std::size_t last = std::min(records, first + PerPart);
            if (i == 0) {
                ok[i] = formatRange(table, first, last, out, separator, quoted);
                return;
            }
            later[i].clear();
            ok[i] = formatRange(table, first, last, *own[i], separator, quoted) && own[i]->finish();
        });
        for (std::size_t i = 0; i < parts; ++i)
            if (!ok[i] || (i > 0 && !out.append(std::string_view(later[i]))))
                return false;
        ticker.coarseStep(static_cast<std::int64_t>(std::min(records, round + PerPart * parts)));
    }
    return true;
}
