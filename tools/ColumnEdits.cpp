#include "tools/ColumnEdits.h"

#include <algorithm>
#include <stdexcept>

#include "store/CSVDBS.h"
#include "store/ColumnRewrite.h"
#include "store/history/StepOperation.h"
#include "store/StepScope.h"
#include "store/table/TextFold.h"

namespace ColumnEdits {

namespace {

// Calls `each(record)` for every record, ticking the store's progress.
template <typename Each>
void forEachRecord(const CSVDBS& store, Each each)
{
    const std::int64_t count = store.RecordsHeld();
    ProgressTicker ticker(store.progressCallback(), count);
    for (std::int64_t r = 1; r <= count; ++r) {
        ticker.step(r);
        each(static_cast<CSVDBS::RecordNo>(r));
    }
}

// Gives each of `fields` in turn new values: `rewrite(value, out)` returns
// whether the value becomes `out`. One field after the other, so that a field
// named twice is rewritten twice.
template <typename Rewrite>
void rewriteFields(CSVDBS& store, const std::vector<int>& fields, Rewrite rewrite)
{
    const std::int64_t count = store.RecordsHeld();
    if (count == 0)
        return;
    ProgressTicker ticker(store.progressCallback(), count * static_cast<std::int64_t>(fields.size()));
    // The rows are chosen before any field changes, since one of the fields
    // may be the one that chooses them.
    std::vector<bool> chosen;
    if (!store.rowScope().everyRow())
        for (std::int64_t r = 1; r <= count; ++r)
            chosen.push_back(store.inRowScope(static_cast<CSVDBS::RecordNo>(r)));
    std::int64_t done = 0;
    std::string text;
    for (int f : fields) {
        ColumnRewrite column(store, f);
        for (std::int64_t r = 1; r <= count; ++r) {
            ticker.step(++done);
            const auto record = static_cast<CSVDBS::RecordNo>(r);
            if (!chosen.empty() && !chosen[static_cast<std::size_t>(r - 1)])
                continue;
            if (rewrite(store.ValueAt(record, f), text))
                column.put(record, text);
        }
        column.finish();
    }
}

std::size_t pieceCount(std::string_view value, std::string_view divider)
{
    if (value.empty())
        return 0;
    if (divider.empty())
        return 1;
    std::size_t count = 1;
    for (std::size_t at = value.find(divider); at != std::string_view::npos;
         at = value.find(divider, at + divider.size()))
        ++count;
    return count;
}

} // namespace

std::vector<std::string_view> cutValue(std::string_view value, std::string_view divider)
{
    std::vector<std::string_view> pieces;
    if (value.empty())
        return pieces;
    if (divider.empty()) {
        pieces.push_back(value);
        return pieces;
    }
    std::size_t start = 0;
    for (std::size_t at = value.find(divider); at != std::string_view::npos; at = value.find(divider, start)) {
        pieces.push_back(value.substr(start, at - start));
        start = at + divider.size();
    }
    pieces.push_back(value.substr(start));
    return pieces;
}

void removePartialDuplicates(CSVDBS& store, const std::vector<int>& fields)
{
    const StepScope step(store, "Remove Partial Duplicates", {"RemovePartialDuplicates", {{"fields", fieldList(fields)}}});
    store.RemoveDuplicates(fields);
}

void addPrefixSuffix(CSVDBS& store, const std::vector<int>& fields, std::string_view prefix,
                     std::string_view suffix)
{
    const StepScope step(store, "Add Prefix-Suffix",
                         {"AddPrefixSuffix", {{"fields", fieldList(fields)}, {"prefix", std::string(prefix)}, {"suffix", std::string(suffix)}}});
    rewriteFields(store, fields, [&](std::string_view value, std::string& text) {
        text.assign(prefix);
        text.append(value);
        text.append(suffix);
        return true;
    });
}

void changeCase(CSVDBS& store, const std::vector<int>& fields, CaseStyle style)
{
    const StepScope step(store, "Change Case Of Text",
                         {"ChangeCase", {{"fields", fieldList(fields)}, {"style", std::to_string(static_cast<int>(style))}}});
    rewriteFields(store, fields, [&](std::string_view value, std::string& text) {
        text = convertCase(value, style);
        return text != value;
    });
}

void splitColumns(CSVDBS& store, const std::vector<int>& fields, std::string_view divider)
{
    const StepScope step(store, "Split Columns", {"SplitColumns", {{"fields", fieldList(fields)}, {"divider", std::string(divider)}}});
    // New fields go in after each split field, so every later field has moved
    // on by the number of fields made so far.
    int inserted = 0;
    for (int original : fields) {
        const int field = original + inserted;
        std::size_t most = 0;
        forEachRecord(store, [&](CSVDBS::RecordNo r) {
            most = std::max(most, pieceCount(store.ValueAt(r, field), divider));
        });
        if (most <= 1)
            continue;
        const int made = static_cast<int>(most - 1);
        int number = 0;
        for (int k = 1; k <= made; ++k) {
            number = store.FreeNumberedName("Column", number + 1);
            store.InsertField(std::to_string(number) + "Column", "", field + k - 1);
        }
        // The split field and each new one; the new ones are written in place.
        std::vector<ColumnRewrite> columns;
        columns.reserve(static_cast<std::size_t>(made) + 1);
        for (int k = 0; k <= made; ++k)
            columns.emplace_back(store, field + k);
        forEachRecord(store, [&](CSVDBS::RecordNo r) {
            const std::string_view value = store.ValueAt(r, field);
            const std::vector<std::string_view> pieces = cutValue(value, divider);
            if (pieces.size() <= 1)
                return; // the value stays whole, its new cells empty
            // Copies first: storing a piece may not disturb the value it is cut from.
            const std::vector<std::string> owned(pieces.begin(), pieces.end());
            columns[0].put(r, owned[0]);
            for (std::size_t k = 1; k < owned.size(); ++k)
                if (!owned[k].empty())
                    columns[k].put(r, owned[k]);
        });
        for (ColumnRewrite& column : columns)
            column.finish();
        inserted += made;
    }
}

std::string joinedText(const CSVDBS& store, int record, const std::vector<int>& fields, const JoinOptions& options)
{
    std::string text;
    for (int f : fields) {
        text.append(store.ValueAt(record, f));
        text.append(options.separator);
    }
    if (options.cutLastSeparator)
        text.resize(text.size() - options.separator.size());
    return std::string(trimSpaces(text));
}

void joinColumns(CSVDBS& store, const std::vector<int>& fields, const JoinOptions& options)
{
    if (fields.empty())
        throw std::invalid_argument("no column to join");
    const StepScope step(store, "Join Columns",
                         {"JoinColumns",
                          {{"fields", fieldList(fields)}, {"separator", options.separator},
                           {"cutLastSeparator", options.cutLastSeparator ? "1" : "0"},
                           {"newColumn", options.newColumn ? "1" : "0"}, {"newName", options.newName}}});
    int target = fields.front();
    if (options.newColumn) {
        std::string name = options.newName;
        if (store.FieldIndex(name) >= 1)
            name = std::to_string(store.FreeNumberedName(options.newName)) + options.newName;
        store.AddField(name, "");
        target = store.FieldCount();
    }
    {
        ColumnRewrite column(store, target);
        forEachRecord(store, [&](CSVDBS::RecordNo r) {
            const std::string text = joinedText(store, r, fields, options);
            if (!options.newColumn || !text.empty())
                column.put(r, text);
        });
        column.finish();
    }
    if (!options.newColumn) {
        // From the last, so that the positions still to delete stay put.
        std::vector<int> others(fields.begin() + 1, fields.end());
        std::sort(others.rbegin(), others.rend());
        for (int f : others)
            if (f != target)
                store.DeleteFieldAt(f);
    }
}

void rearrangeColumns(CSVDBS& store, const std::vector<int>& order)
{
    const int n = store.FieldCount();
    if (static_cast<int>(order.size()) != n)
        throw std::invalid_argument("the new order must name every field once");
    const StepScope step(store, "Rearrange Column Order", {"RearrangeColumns", {{"order", fieldList(order)}}});
    // where[o] is the present position of the field that stood at o; at[p]
    // the original position of the field now at p.
    std::vector<int> where(static_cast<std::size_t>(n) + 1), at(static_cast<std::size_t>(n) + 1);
    for (int p = 1; p <= n; ++p)
        where[static_cast<std::size_t>(p)] = at[static_cast<std::size_t>(p)] = p;
    for (int i = 1; i <= n; ++i) {
        const int wanted = order[static_cast<std::size_t>(i - 1)];
        if (wanted < 1 || wanted > n)
            throw std::invalid_argument("the new order must name every field once");
        const int k = where[static_cast<std::size_t>(wanted)];
        if (k < i)
            throw std::invalid_argument("the new order must name every field once");
        store.SwapFields(i, k);
        const int displaced = at[static_cast<std::size_t>(i)];
        std::swap(at[static_cast<std::size_t>(i)], at[static_cast<std::size_t>(k)]);
        where[static_cast<std::size_t>(wanted)] = i;
        where[static_cast<std::size_t>(displaced)] = k;
    }
}

} // namespace ColumnEdits
