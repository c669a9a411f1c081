#include "store/Replay.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/CellBlocks.h"
#include "store/ColumnFixes.h"
#include "store/StepScope.h"
#include "store/StoreError.h"
#include "store/cluster/ClusterMerge.h"
#include "store/modCSV.h"
#include "store/replace/TextReplace.h"
#include "store/sort/KeySort.h"

namespace replay {

namespace {

long long parseNumber(std::string_view text, std::string_view what)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw ReplayError("\"" + std::string(what) + "\" is not a number: \"" + std::string(text) + "\".");
    return value;
}

// Splits "a,b,c"; an empty text has no piece.
std::vector<std::string_view> pieces(std::string_view text)
{
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        out.push_back(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return out;
}

int fieldNumber(const CSVDBS& store, long long field)
{
    if (field < 1 || field > store.FieldCount())
        throw ReplayError("The file has no column " + std::to_string(field) + ".");
    return static_cast<int>(field);
}

CSVDBS::RecordNo recordNumber(const CSVDBS& store, long long record)
{
    if (record < 1 || record > store.RecordCount())
        throw ReplayError("The file has no row " + std::to_string(record) + ".");
    return record;
}

void requireColumn(const CSVDBS& store, const std::string& name)
{
    if (store.FieldIndex(name) < 1)
        throw ReplayError("The file has no column \"" + name + "\".");
}

std::unordered_map<std::string, Run> storeOperations()
{
    using P = const Parameters&;
    return {
        {"PutValue", [](CSVDBS& s, P p) {
             s.PutValue(recordNumber(s, p.number("record")), p.field(s, "field"), p.text("value"));
         }},
        {"SetField", [](CSVDBS& s, P p) {
             requireColumn(s, p.text("field"));
             s.PutValue(recordNumber(s, p.number("record")), s.FieldIndex(p.text("field")), p.text("value"));
         }},
        {"AddField", [](CSVDBS& s, P p) { s.AddField(p.text("name"), p.text("default")); }},
        {"InsertField", [](CSVDBS& s, P p) {
             s.InsertField(p.text("name"), p.text("default"), static_cast<std::int32_t>(p.number("index")));
         }},
        {"InsertFieldAt", [](CSVDBS& s, P p) {
             const long long after = p.number("after");
             if (after != 0)
                 fieldNumber(s, after);
             s.InsertFieldAt(static_cast<int>(after), p.text("name"), p.text("default"));
         }},
        {"DeleteField", [](CSVDBS& s, P p) {
             requireColumn(s, p.text("name"));
             s.DeleteField(p.text("name"));
         }},
        {"DeleteFieldAt", [](CSVDBS& s, P p) { s.DeleteFieldAt(p.field(s, "field")); }},
        {"ChangeFieldName", [](CSVDBS& s, P p) {
             requireColumn(s, p.text("old"));
             s.ChangeFieldName(p.text("old"), p.text("new"));
         }},
        {"RenameFieldAt", [](CSVDBS& s, P p) { s.RenameFieldAt(p.field(s, "field"), p.text("name")); }},
        {"DeleteFieldsAt", [](CSVDBS& s, P p) { s.DeleteFieldsAt(p.fields(s, "fields")); }},
        {"SwapFields", [](CSVDBS& s, P p) {
             s.SwapFields(p.field(s, "a"), p.field(s, "b"));
         }},
        {"NewRecord", [](CSVDBS& s, P p) {
             s.NewRecord();
             for (const auto& [key, value] : p.all())
                 if (key == "key") {
                     requireColumn(s, p.text("keyField"));
                     s.PutValue(s.RecordCount(), s.FieldIndex(p.text("keyField")), value);
                 }
         }},
        {"InsertRow", [](CSVDBS& s, P p) {
             std::vector<std::string> values;
             try {
                 values = textsOfList(p.text("values"));
             } catch (const std::invalid_argument&) {
                 throw ReplayError("InsertRow: \"values\" is not a list of values.");
             }
             if (static_cast<std::int64_t>(values.size()) > s.FieldCount())
                 throw ReplayError("InsertRow has " + std::to_string(values.size()) + " values for "
                                   + std::to_string(s.FieldCount()) + " columns.");
             InsertRowOf(s, values);
         }},
        {"InsertRecordAt", [](CSVDBS& s, P p) {
             const long long at = p.number("record");
             if (at < 1 || at > std::max<long long>(s.RecordCount(), 0) + 1)
                 throw ReplayError("The file has no row " + std::to_string(at) + ".");
             s.InsertRecordAt(at);
         }},
        {"DeleteRecord", [](CSVDBS& s, P p) { s.DeleteRecord(recordNumber(s, p.number("record"))); }},
        {"DeleteRecords", [](CSVDBS& s, P p) {
             std::vector<CSVDBS::RecordNo> records;
             for (const long long r : p.runs("records"))
                 records.push_back(recordNumber(s, r));
             s.DeleteRecords(records);
         }},
        {"MoveRecordsToTop", [](CSVDBS& s, P p) {
             const long long count = p.number("count");
             if (count < 0 || count > s.RecordCount())
                 throw ReplayError("The file has fewer than " + std::to_string(count) + " rows.");
             s.MoveRecordsToTop(count);
         }},
        {"SortDataAt", [](CSVDBS& s, P p) {
             s.SortDataAt(static_cast<std::int32_t>(p.number("direction")), p.field(s, "field"));
         }},
        {"SortByKeys", [](CSVDBS& s, P p) { KeySort::sortByKeys(s, KeySort::keysOf(s, p)); }},
        {"FindAndReplace", [](CSVDBS& s, P p) { s.FindAndReplace(p.text("find"), p.text("replace")); }},
        {"ReplaceText", [](CSVDBS& s, P p) {
             textreplace::Choice choice;
             try {
                 choice.mode = textreplace::modeNamed(p.text("mode"));
             } catch (const std::invalid_argument& bad) {
                 throw ReplayError(std::string("ReplaceText: ") + bad.what() + ".");
             }
             choice.find = p.text("find");
             choice.replace = p.text("replace");
             choice.matchCase = p.flag("matchCase");
             if (p.has("fields"))
                 choice.fields = p.fields(s, "fields");
             if (p.has("records"))
                 for (const long long r : p.runs("records"))
                     choice.records.push_back(recordNumber(s, r));
             try {
                 textreplace::replaceAll(s, choice);
             } catch (const textreplace::ChoiceError& bad) {
                 throw ReplayError(std::string("ReplaceText: ") + bad.what());
             }
         }},
        {"RemoveDuplicates", [](CSVDBS& s, P p) {
             s.RemoveDuplicates(p.fields(s, "fields"));
         }},
        {"RemoveDuplicateRows", [](CSVDBS& s, P) { RemoveDuplicateRows(s); }},
        {"Paste", [](CSVDBS& s, P p) {
             if (!p.has("rows")) {
                 cellblocks::paste(s, recordNumber(s, p.number("row")), p.field(s, "column"), p.text("text"));
                 return;
             }
             std::vector<CSVDBS::RecordNo> records;
             for (const long long r : p.runs("rows"))
                 records.push_back(recordNumber(s, r));
             cellblocks::paste(s, records, p.field(s, "column"), p.text("text"));
         }},
        {"ClearCells", [](CSVDBS& s, P p) { cellblocks::clear(s, p.text("cells"), "Clear Cells"); }},
        {"TrimSpaces", [](CSVDBS& s, P p) { columnfixes::trimSpaces(s, p.field(s, "field")); }},
        {"CollapseSpaces", [](CSVDBS& s, P p) { columnfixes::collapseSpaces(s, p.field(s, "field")); }},
        {"RemoveUnprintable", [](CSVDBS& s, P p) { columnfixes::removeUnprintable(s, p.field(s, "field")); }},
        {"ConsistentCase", [](CSVDBS& s, P p) { columnfixes::consistentCase(s, p.field(s, "field")); }},
        {"ClusterEdit", [](CSVDBS& s, P p) {
             const int field = p.field(s, "field");
             try {
                 cluster::mergeValues(s, field, cluster::decodeEdits(p.text("edits")));
             } catch (const std::invalid_argument& bad) {
                 throw ReplayError(std::string("ClusterEdit: ") + bad.what() + ".");
             }
         }},
    };
}

struct Table {
    std::mutex mutex;
    std::unordered_map<std::string, Run> runs = storeOperations();
};

Table& table()
{
    static Table known;
    return known;
}

// The operation with its field positions found again from the headings it
// names, in the store as it is now.
StepOperation placedByHeading(const CSVDBS& store, const StepOperation& operation)
{
    StepOperation placed = operation;
    const std::vector<std::string> headings = store.GetFieldList();
    for (const auto& pair : fieldParameters(operation.name)) {
        const std::string& position = pair.first;
        const std::string& named = pair.second;
        const auto names = std::find_if(operation.parameters.begin(), operation.parameters.end(),
                                        [&](const auto& p) { return p.first == named; });
        if (names == operation.parameters.end())
            continue;
        std::string positions;
        std::string_view list = names->second;
        while (true) {
            const std::size_t cut = list.find('\n');
            const std::string_view name = list.substr(0, cut);
            const auto at = std::find(headings.begin(), headings.end(), name);
            if (at == headings.end())
                throw ReplayError("The file has no column \"" + std::string(name) + "\".");
            if (std::find(at + 1, headings.end(), name) != headings.end())
                throw ReplayError("The file has more than one column \"" + std::string(name) + "\".");
            if (!positions.empty())
                positions += ',';
            positions += std::to_string(at - headings.begin() + 1);
            if (cut == std::string_view::npos)
                break;
            list.remove_prefix(cut + 1);
        }
        for (auto& [key, value] : placed.parameters)
            if (key == position)
                value = positions;
    }
    return placed;
}

} // namespace

const std::string& Parameters::text(std::string_view name) const
{
    for (const auto& [key, value] : m_operation.parameters)
        if (key == name)
            return value;
    throw ReplayError(m_operation.name + " has no \"" + std::string(name) + "\".");
}

bool Parameters::has(std::string_view name) const
{
    return std::any_of(m_operation.parameters.begin(), m_operation.parameters.end(),
                       [&](const auto& parameter) { return parameter.first == name; });
}

long long Parameters::number(std::string_view name) const { return parseNumber(text(name), name); }

int Parameters::field(const CSVDBS& store, std::string_view name) const { return fieldNumber(store, number(name)); }

std::vector<std::string_view> Parameters::list(std::string_view name) const { return pieces(text(name)); }

std::vector<int> Parameters::fields(const CSVDBS& store, std::string_view name) const
{
    std::vector<int> out;
    for (const std::string_view piece : pieces(text(name)))
        out.push_back(fieldNumber(store, parseNumber(piece, name)));
    return out;
}

std::vector<long long> Parameters::runs(std::string_view name) const
{
    std::vector<long long> out;
    for (const std::string_view piece : pieces(text(name))) {
        const std::size_t dash = piece.find('-');
        const long long first = parseNumber(piece.substr(0, dash), name);
        const long long last = dash == std::string_view::npos ? first : parseNumber(piece.substr(dash + 1), name);
        if (last < first || last - first > 100'000'000)
            throw ReplayError("\"" + std::string(name) + "\" has a run that is not one: \"" + std::string(piece) + "\".");
        for (long long n = first; n <= last; ++n)
            out.push_back(n);
    }
    return out;
}

void add(const std::string& name, Run run)
{
    Table& known = table();
    const std::lock_guard lock(known.mutex);
    known.runs[name] = std::move(run);
}

bool knows(const std::string& name)
{
    Table& known = table();
    const std::lock_guard lock(known.mutex);
    return known.runs.count(name) > 0;
}

void run(CSVDBS& store, const StepOperation& given, Columns columns)
{
    Run found;
    {
        Table& known = table();
        const std::lock_guard lock(known.mutex);
        const auto it = known.runs.find(given.name);
        if (it == known.runs.end())
            throw ReplayError("\"" + given.name + "\" is not an operation this program knows.");
        found = it->second;
    }
    const StepOperation operation = columns == Columns::ByHeading ? placedByHeading(store, given) : given;
    const Parameters parameters(operation);
    RowScope rows;
    try {
        rows = RowScope::of(operation);
    } catch (const std::invalid_argument& e) {
        throw ReplayError(operation.name + ": " + e.what() + ".");
    }
    if (!rows.everyRow())
        fieldNumber(store, rows.field());
    try {
        const RowScopeGuard scoped(store, std::move(rows));
        const StepScope step(store, operation.name, operation);
        found(store, parameters);
    } catch (const StoreError&) {
        throw ReplayError(operation.name + " does not fit this file.");
    }
}

} // namespace replay
