#include "combine/KeyMerge.h"

#include <algorithm>
#include <deque>
#include <functional>

#include "store/CSVDBS.h"
#include "store/ColumnRewrite.h"
#include "store/ParallelParse.h"
#include "store/StepScope.h"
#include "store/table/TextFold.h"

namespace CombineFiles {

namespace {

using RecordNo = CSVDBS::RecordNo;

std::string_view kindName(JoinKind kind)
{
    switch (kind) {
    case JoinKind::OnlyBoth: return "inner";
    case JoinKind::EveryRow: return "full";
    case JoinKind::KeepThisFile: break;
    }
    return "left";
}

// The one field of `store` headed `heading`.
int fieldNamed(const CSVDBS& store, const std::string& heading, const char* file)
{
    const std::vector<std::string> names = store.GetFieldList();
    const auto at = std::find(names.begin(), names.end(), heading);
    if (at == names.end())
        throw KeyMergeError(std::string(file) + " has no column \"" + heading + "\".");
    if (std::find(at + 1, names.end(), heading) != names.end())
        throw KeyMergeError(std::string(file) + " has more than one column \"" + heading + "\".");
    return static_cast<int>(at - names.begin()) + 1;
}

// Which row of the second file each row of the open file matches.
struct Lookup {
    std::vector<RecordNo> matchOf; // by open record - 1: the first match, or 0
    std::vector<RecordNo> next;    // by second record - 1: the next row with its key, or 0
    std::vector<RecordNo> rowsOf;  // by second record - 1, for the first row of a key: how many hold it
    std::vector<std::uint8_t> used; // by second record - 1: some open row matches its key
    KeyPlan plan;
};

// The second file's keys, each with the first and last row holding it: open
// addressing over one array, so that a million look-ups touch one slot
// each rather than chase nodes.
class KeyIndex {
public:
    struct Slot {
        std::uint64_t hash = 0;
        RecordNo first = 0, last = 0; // first 0: an empty slot
        std::string_view key;
    };

    explicit KeyIndex(std::size_t keys)
    {
        std::size_t size = 16;
        while (size < 2 * keys)
            size *= 2;
        m_slots.resize(size);
        m_mask = size - 1;
    }
    static std::uint64_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

    const Slot* find(std::string_view key) const
    {
        const std::uint64_t h = hashOf(key);
        for (std::size_t i = h & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.first == 0)
                return nullptr;
            if (slot.hash == h && slot.key == key)
                return &slot;
        }
    }
    // The slot of `key`, made for row `row` if new; and whether it was.
    std::pair<Slot*, bool> insert(std::string_view key, RecordNo row)
    {
        const std::uint64_t h = hashOf(key);
        for (std::size_t i = h & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.first == 0) {
                slot = Slot{h, row, row, key};
                return {&slot, true};
            }
            if (slot.hash == h && slot.key == key)
                return {&slot, false};
        }
    }

private:
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
};

class KeyText {
public:
    explicit KeyText(bool loose) : m_loose(loose) {}
    // The key as it compares; empty for a key that matches nothing.
    std::string_view of(std::string_view value, std::string& room) const
    {
        if (!m_loose)
            return value;
        room = matchKey(value);
        return room;
    }

private:
    bool m_loose;
};

Lookup lookUp(const CSVDBS& open, const CSVDBS& second, const KeyChoice& choice)
{
    if (choice.openKey < 1 || choice.openKey > open.FieldCount())
        throw KeyMergeError("This file has no key column " + std::to_string(choice.openKey) + ".");
    const int secondKey = fieldNamed(second, choice.secondKey, "The other file");
    for (const std::string& column : choice.columns)
        fieldNamed(second, column, "The other file");

    const KeyText key(choice.looseKeys);
    const auto n2 = static_cast<RecordNo>(second.RecordsHeld());
    const auto n = static_cast<RecordNo>(open.RecordsHeld());
    Lookup look;
    look.next.assign(static_cast<std::size_t>(n2), 0);
    look.rowsOf.assign(static_cast<std::size_t>(n2), 0);
    look.used.assign(static_cast<std::size_t>(n2), 0);
    look.matchOf.assign(static_cast<std::size_t>(n), 0);

    // Loose keys are made once and live here while the table points at them.
    std::deque<std::string> made;
    KeyIndex index(static_cast<std::size_t>(n2));
    std::string room;
    for (RecordNo s = 1; s <= n2; ++s) {
        std::string_view k = key.of(second.ValueAt(s, secondKey), room);
        if (k.empty())
            continue;
        if (choice.looseKeys)
            k = made.emplace_back(k);
        const auto [at, fresh] = index.insert(k, s);
        RecordNo& rows = look.rowsOf[static_cast<std::size_t>(at->first - 1)];
        ++rows;
        if (fresh)
            continue;
        look.next[static_cast<std::size_t>(at->last - 1)] = s;
        at->last = s;
        if (rows == 2 && look.plan.repeatedKeys++ == 0)
            look.plan.firstRepeat = std::string(second.ValueAt(at->first, secondKey));
    }
    if (look.plan.repeatedKeys > 0)
        look.plan.firstRepeatRows =
            look.rowsOf[static_cast<std::size_t>(index.find(key.of(look.plan.firstRepeat, room))->first - 1)];

    // Reading the open file's keys is most of the work: both cores share it.
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(n), 1 << 15);
    parallel::run(parts, [&](std::size_t part) {
        const RecordNo begin = static_cast<RecordNo>(static_cast<std::int64_t>(n) * static_cast<std::int64_t>(part) / static_cast<std::int64_t>(parts)) + 1;
        const RecordNo end = static_cast<RecordNo>(static_cast<std::int64_t>(n) * static_cast<std::int64_t>(part + 1) / static_cast<std::int64_t>(parts));
        std::string own;
        for (RecordNo r = begin; r <= end; ++r) {
            const std::string_view k = key.of(open.ValueAt(r, choice.openKey), own);
            if (k.empty())
                continue;
            if (const KeyIndex::Slot* at = index.find(k))
                look.matchOf[static_cast<std::size_t>(r - 1)] = at->first;
        }
    });

    KeyPlan& plan = look.plan;
    for (RecordNo r = 1; r <= n; ++r) {
        const RecordNo m = look.matchOf[static_cast<std::size_t>(r - 1)];
        if (m == 0) {
            ++plan.unmatchedOpen;
            plan.rows += choice.kind != JoinKind::OnlyBoth;
            continue;
        }
        ++plan.matched;
        plan.rows += choice.everyMatch ? look.rowsOf[static_cast<std::size_t>(m - 1)] : 1;
        if (!look.used[static_cast<std::size_t>(m - 1)])
            for (RecordNo s = m; s != 0; s = look.next[static_cast<std::size_t>(s - 1)])
                look.used[static_cast<std::size_t>(s - 1)] = 1;
    }
    plan.unmatchedSecond = std::count(look.used.begin(), look.used.end(), 0);
    if (choice.kind == JoinKind::EveryRow)
        plan.rows += plan.unmatchedSecond;
    return look;
}

} // namespace

KeyPlan planKeyMerge(const CSVDBS& open, const CSVDBS& second, const KeyChoice& choice)
{
    return lookUp(open, second, choice).plan;
}

KeyPlan mergeByKey(CSVDBS& open, const CSVDBS& second, const KeyChoice& choice)
{
    Lookup look = lookUp(open, second, choice);
    const StepScope step(open, "Merge File", [&] { return keyMergeOperation(second, choice); });
    const auto n = static_cast<RecordNo>(open.RecordsHeld());
    const int oldFields = open.FieldCount();

    // Where each row's new values come from (a row of the second file, or
    // 0), and, when rows come or go, the order the rows end in.
    std::vector<RecordNo> source(look.matchOf);
    std::vector<RecordNo> order;
    std::vector<RecordNo> copyOf; // by new record - n - 1: the open row it repeats, or 0
    const bool reshapes = look.plan.rows != n || choice.kind == JoinKind::OnlyBoth;
    if (reshapes) {
        order.reserve(static_cast<std::size_t>(look.plan.rows));
        const auto add = [&](RecordNo copied, RecordNo from) {
            copyOf.push_back(copied);
            source.push_back(from);
            order.push_back(n + static_cast<RecordNo>(copyOf.size()));
        };
        for (RecordNo r = 1; r <= n; ++r) {
            const RecordNo m = look.matchOf[static_cast<std::size_t>(r - 1)];
            if (m == 0 && choice.kind == JoinKind::OnlyBoth)
                continue;
            order.push_back(r);
            if (m != 0 && choice.everyMatch)
                for (RecordNo s = look.next[static_cast<std::size_t>(m - 1)]; s != 0; s = look.next[static_cast<std::size_t>(s - 1)])
                    add(r, s);
        }
        if (choice.kind == JoinKind::EveryRow)
            for (RecordNo s = 1; s <= static_cast<RecordNo>(look.used.size()); ++s)
                if (!look.used[static_cast<std::size_t>(s - 1)])
                    add(0, s);
        std::string value;
        for (const RecordNo copied : copyOf) {
            open.NewRecord();
            const auto added = static_cast<RecordNo>(open.RecordsHeld());
            for (int f = 1; copied != 0 && f <= oldFields; ++f) {
                value.assign(open.ValueAt(copied, f));
                open.PutValue(added, f, value);
            }
        }
    }

    for (std::size_t k = 0; k < choice.columns.size(); ++k) {
        const int from = fieldNamed(second, choice.columns[k], "The other file");
        const int at = choice.where == MergePlace::Left ? static_cast<int>(k) + 1 : oldFields + static_cast<int>(k) + 1;
        open.InsertField(mergedName(open, choice.columns[k]), "", at - 1);
        ColumnRewrite column(open, at);
        for (RecordNo r = 1; r <= static_cast<RecordNo>(source.size()); ++r)
            if (const RecordNo s = source[static_cast<std::size_t>(r - 1)]; s != 0)
                if (const std::string_view v = second.ValueAt(s, from); !v.empty())
                    column.put(r, v);
        column.finish();
    }
    if (reshapes)
        open.ArrangeRecords(order);
    return look.plan;
}

StepOperation keyMergeOperation(const CSVDBS& second, const KeyChoice& choice)
{
    return secondFileStep("MergeByKey", second,
                          {{"left", choice.where == MergePlace::Left ? "1" : "0"},
                           {"field", std::to_string(choice.openKey)},
                           {"secondKey", choice.secondKey},
                           {"columns", textList(choice.columns)},
                           {"join", std::string(kindName(choice.kind))},
                           {"keys", choice.looseKeys ? "loose" : "exact"},
                           {"repeats", choice.everyMatch ? "every" : "first"}});
}

JoinKind joinKindNamed(std::string_view name)
{
    for (const JoinKind kind : {JoinKind::KeepThisFile, JoinKind::OnlyBoth, JoinKind::EveryRow})
        if (kindName(kind) == name)
            return kind;
    throw KeyMergeError("\"" + std::string(name) + "\" is not a kind of join.");
}

std::string describe(const KeyPlan& plan)
{
    return "Matched " + std::to_string(plan.matched) + " rows. Rows of this file without a match: "
           + std::to_string(plan.unmatchedOpen) + ". Rows of the other file without a match: "
           + std::to_string(plan.unmatchedSecond) + ".";
}

} // namespace CombineFiles
