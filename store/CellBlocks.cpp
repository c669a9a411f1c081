#include "store/CellBlocks.h"

#include <algorithm>
#include <charconv>

#include "store/StepScope.h"
#include "store/StoreError.h"

namespace cellblocks {

namespace {

// The pieces of `text` between `divider`s.
template <typename Each>
void eachPiece(std::string_view text, char divider, Each&& each)
{
    while (true) {
        const std::size_t at = text.find(divider);
        if (!each(text.substr(0, at)) || at == std::string_view::npos)
            return;
        text.remove_prefix(at + 1);
    }
}

long long numberIn(std::string_view text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw StoreError();
    return value;
}

// "a-b" as the pair a, b.
std::pair<long long, long long> span(std::string_view text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        throw StoreError();
    return {numberIn(text.substr(0, dash)), numberIn(text.substr(dash + 1))};
}

} // namespace

namespace {

// Line `line` of the text goes to record recordOf(line); 0 means past the end.
template <typename RecordOf>
Pasted pasteLines(CSVDBS& store, int field, std::string_view text, RecordOf recordOf)
{
    Pasted result;
    std::string_view lines = text;
    if (lines.back() == '\n')
        lines.remove_suffix(1);
    int line = 0;
    eachPiece(lines, '\n', [&](std::string_view values) {
        if (!values.empty() && values.back() == '\r')
            values.remove_suffix(1);
        const CSVDBS::RecordNo r = recordOf(line);
        if (r < 1 || r > store.RecordCount()) {
            result.clipped = true;
            return false;
        }
        int k = 0;
        eachPiece(values, '\t', [&](std::string_view value) {
            if (field + k > store.FieldCount()) {
                result.clipped = true;
                return false;
            }
            store.PutValue(r, field + k, value);
            ++result.cells;
            result.columns = std::max(result.columns, ++k);
            return true;
        });
        result.rows = ++line;
        return true;
    });
    return result;
}

// "3-7,12": the runs of rising record numbers.
std::string runsOf(const std::vector<CSVDBS::RecordNo>& records)
{
    std::string out;
    for (std::size_t i = 0; i < records.size();) {
        std::size_t j = i;
        while (j + 1 < records.size() && records[j + 1] == records[j] + 1)
            ++j;
        if (!out.empty())
            out += ',';
        out += std::to_string(records[i]);
        if (j > i)
            out += '-' + std::to_string(records[j]);
        i = j + 1;
    }
    return out;
}

} // namespace

Pasted paste(CSVDBS& store, CSVDBS::RecordNo record, int field, std::string_view text)
{
    if (text.empty() || record < 1 || field < 1)
        return {};
    const StepScope step(store, "Paste", {"Paste", {{"row", std::to_string(record)}, {"column", std::to_string(field)},
                                                   {"text", std::string(text)}}});
    return pasteLines(store, field, text, [record](int line) { return record + line; });
}

Pasted paste(CSVDBS& store, const std::vector<CSVDBS::RecordNo>& records, int field, std::string_view text)
{
    if (text.empty() || records.empty() || field < 1)
        return {};
    const StepScope step(store, "Paste", {"Paste", {{"rows", runsOf(records)}, {"column", std::to_string(field)},
                                                   {"text", std::string(text)}}});
    return pasteLines(store, field, text, [&records](int line) {
        return static_cast<std::size_t>(line) < records.size() ? records[static_cast<std::size_t>(line)] : 0;
    });
}

std::string rectangle(CSVDBS::RecordNo top, CSVDBS::RecordNo bottom, int left, int right)
{
    return std::to_string(top) + '-' + std::to_string(bottom) + ':' + std::to_string(left) + '-' + std::to_string(right);
}

std::int64_t clear(CSVDBS& store, std::string_view rectangles, const char* stepName)
{
    const StepScope step(store, stepName, StepOperation{"ClearCells", {{"cells", std::string(rectangles)}}});
    std::int64_t cleared = 0;
    eachPiece(rectangles, ';', [&](std::string_view block) {
        const std::size_t colon = block.find(':');
        if (colon == std::string_view::npos)
            throw StoreError();
        const auto [top, bottom] = span(block.substr(0, colon));
        const auto [left, right] = span(block.substr(colon + 1));
        if (top < 1 || bottom < top || bottom > store.RecordCount() || left < 1 || right < left
            || right > store.FieldCount())
            throw StoreError();
        for (CSVDBS::RecordNo r = top; r <= bottom; ++r)
            for (int f = static_cast<int>(left); f <= right; ++f)
                if (!store.ValueAt(r, f).empty()) {
                    store.PutValue(r, f, "");
                    ++cleared;
                }
        return true;
    });
    return cleared;
}

} // namespace cellblocks
