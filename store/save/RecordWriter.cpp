#include "store/save/RecordWriter.h"

#include <algorithm>
#include <cassert>
#include <atomic>
#include <vector>

#include "store/ParallelParse.h"

namespace {

// Records are formatted a piece at a time. A piece's cells are first gathered
// column by column into record order: after a sort, record order jumps about
// in the columns, and a tight gathering loop lets the processor fetch many
// cells at once, where the formatting would wait for each. The piece's values
// are small enough to stay in the processor's cache until they are copied.
constexpr std::size_t PieceRecords = 1024;
// Pieces a round: the cores share them out as they come free.
constexpr std::size_t RoundPieces = 32;

class PieceFormatter {
public:
    PieceFormatter(const CellTable& table, const FormatLines& formatLines, bool wholeLines)
        : m_table(table), m_formatLines(formatLines), m_wholeLines(wholeLines),
          m_values(PieceRecords * static_cast<std::size_t>(std::max(table.fieldCount(), 1))),
          m_whole(wholeLines ? PieceRecords : 0)
    {
    }

    // Replaces `out` with the lines of records [first, first + count).
    void format(std::size_t first, std::size_t count, std::string& out)
    {
        const int fields = m_table.fieldCount();
        const auto width = static_cast<std::size_t>(fields);
        const std::uint32_t* slots = m_table.orderView().data() + first;
        // The very first record keeps its values: it may begin the file,
        // where its first value is looked at alone.
        for (std::size_t i = 0; i < count && m_wholeLines; ++i)
            m_whole[i] = first + i != 0 && m_table.isReadLine(slots[i]);
        for (int f = 0; f < fields; ++f) {
            const Cell* column = m_table.column(f);
            std::string_view* to = m_values.data() + f;
            // The first and last values mark the ends of a loaded record's
            // text: fetching them now has it at hand when it is copied. A
            // line kept as read needs no other value.
            const bool ends = f == 0 || f == fields - 1;
            for (std::size_t i = 0; i < count; ++i, to += width) {
                if (!ends && m_wholeLines && m_whole[i])
                    continue;
                *to = column[slots[i]].view();
                if (ends)
                    __builtin_prefetch(to->data());
            }
        }
        for (std::size_t i = 0; i < count && m_wholeLines; ++i) {
            if (!m_whole[i])
                continue;
            std::string_view* line = m_values.data() + i * width;
            const std::string_view last = line[width - 1];
            // A line kept as read holds its record's values in order, in the
            // one buffer the file was read into: the first begins the line's
            // text and the last ends it.
            assert(last.data() >= line[0].data() && (width > 1 || last.data() == line[0].data()));
            line[0] = {line[0].data(), static_cast<std::size_t>(last.data() + last.size() - line[0].data())};
        }
        out.clear();
        m_formatLines(out, m_values.data(), width, count, first, m_wholeLines ? m_whole.data() : nullptr);
    }

private:
    const CellTable& m_table;
    const FormatLines& m_formatLines;
    const bool m_wholeLines;
    std::vector<std::string_view> m_values;
    std::vector<std::uint8_t> m_whole;
};

// Two sets of pieces: while the cores format one round into one set, the
// calling thread first writes out the round before from the other, and then
// joins in.
class RoundWriter {
public:
    RoundWriter(const CellTable& table, const FormatLines& formatLines, bool wholeLines, std::size_t parts)
        : m_records(table.recordCount())
    {
        for (std::size_t i = 0; i < parts; ++i)
            m_formatters.emplace_back(table, formatLines, wholeLines);
        for (auto& set : m_pieces)
            set.resize(RoundPieces);
    }

    std::size_t rounds() const { return (m_records + RoundRecords - 1) / RoundRecords; }
    std::size_t recordsBefore(std::size_t round) const { return std::min(m_records, round * RoundRecords); }

    // Formats round `round` (none when it is rounds()) on `parts` threads; the
    // calling thread first puts the round before.
    bool step(std::size_t round, const std::function<bool(std::string_view)>& put)
    {
        std::atomic<std::size_t> next{0};
        std::atomic<bool> putFailed{false};
        const std::size_t first = recordsBefore(round);
        const std::size_t pieces = (recordsBefore(round + 1) - first + PieceRecords - 1) / PieceRecords;
        std::vector<std::string>& into = m_pieces[round % 2];
        parallel::run(m_formatters.size(), [&](std::size_t part) {
            if (part == 0 && round > 0 && !putAll(m_pieces[(round - 1) % 2], put))
                putFailed = true;
            for (std::size_t p = next++; p < pieces && !putFailed; p = next++) {
                const std::size_t from = first + p * PieceRecords;
                m_formatters[part].format(from, std::min(PieceRecords, m_records - from), into[p]);
            }
            if (part == 0)
                for (std::size_t p = pieces; p < RoundPieces; ++p)
                    into[p].clear();
        });
        return !putFailed;
    }

private:
    static constexpr std::size_t RoundRecords = PieceRecords * RoundPieces;

    static bool putAll(const std::vector<std::string>& pieces, const std::function<bool(std::string_view)>& put)
    {
        for (const std::string& piece : pieces)
            if (!piece.empty() && !put(piece))
                return false;
        return true;
    }

    std::size_t m_records;
    std::vector<PieceFormatter> m_formatters;
    std::vector<std::string> m_pieces[2];
};

} // namespace

bool writeRecords(const CellTable& table, const FormatLines& formatLines, bool wholeLines,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress)
{
    const std::size_t records = table.recordCount();
    RoundWriter writer(table, formatLines, wholeLines, parallel::partsFor(records, 1 << 16));
    ProgressTicker ticker(progress, static_cast<std::int64_t>(records));
    const std::size_t rounds = writer.rounds();
    for (std::size_t round = 0; round <= rounds; ++round) {
        if (!writer.step(round, put))
            return false;
        ticker.coarseStep(static_cast<std::int64_t>(writer.recordsBefore(round)));
    }
    return true;
}
