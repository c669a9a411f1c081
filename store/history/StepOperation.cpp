#include "store/history/StepOperation.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace TextCodes {

namespace {

struct Table {
    std::mutex lock;
    // A deque, so that the strings the index refers to never move.
    std::deque<std::string> texts;
    std::unordered_map<std::string_view, Code> index;
};

Table& table()
{
    static Table t;
    return t;
}

} // namespace

Code code(std::string_view text)
{
    Table& t = table();
    const std::lock_guard guard(t.lock);
    if (const auto it = t.index.find(text); it != t.index.end())
        return it->second;
    if (t.texts.size() > std::numeric_limits<Code>::max())
        throw std::length_error("too many distinct step texts");
    const auto c = static_cast<Code>(t.texts.size());
    t.texts.emplace_back(text);
    t.index.emplace(t.texts.back(), c);
    return c;
}

const std::string& text(Code code)
{
    Table& t = table();
    const std::lock_guard guard(t.lock);
    return t.texts.at(code);
}

} // namespace TextCodes

namespace {

// Seven bits a byte, lowest first; the top bit says another byte follows.
void putNumber(std::vector<std::uint8_t>& out, std::size_t n)
{
    while (n >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(n | 0x80));
        n >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(n));
}

std::size_t getNumber(const std::uint8_t*& in)
{
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t b = *in++;
        n |= std::size_t(b & 0x7f) << shift;
        if (!(b & 0x80))
            return n;
    }
}

// Walks the block: `each(code, value)` for every parameter; returns the
// block's length.
template <typename Each>
std::size_t walk(const std::uint8_t* block, Each each)
{
    const std::uint8_t* in = block;
    for (std::size_t count = getNumber(in); count > 0; --count) {
        const auto code = static_cast<TextCodes::Code>(getNumber(in));
        const std::size_t length = getNumber(in);
        each(code, std::string_view(reinterpret_cast<const char*>(in), length));
        in += length;
    }
    return static_cast<std::size_t>(in - block);
}

} // namespace

PackedParameters::PackedParameters(const std::vector<std::pair<std::string, std::string>>& parameters)
{
    if (parameters.empty())
        return;
    std::vector<std::uint8_t> out;
    putNumber(out, parameters.size());
    for (const auto& [name, value] : parameters) {
        putNumber(out, TextCodes::code(name));
        putNumber(out, value.size());
        out.insert(out.end(), value.begin(), value.end());
    }
    m_block = std::make_unique_for_overwrite<std::uint8_t[]>(out.size());
    std::memcpy(m_block.get(), out.data(), out.size());
}

std::vector<std::pair<std::string, std::string>> PackedParameters::unpack() const
{
    std::vector<std::pair<std::string, std::string>> parameters;
    if (m_block)
        walk(m_block.get(), [&](TextCodes::Code code, std::string_view value) {
            parameters.emplace_back(TextCodes::text(code), std::string(value));
        });
    return parameters;
}

std::size_t PackedParameters::bytes() const
{
    return m_block ? walk(m_block.get(), [](TextCodes::Code, std::string_view) {}) : 0;
}

std::string fieldList(const std::vector<int>& fields)
{
    std::string out;
    for (int f : fields) {
        if (!out.empty())
            out += ',';
        out += std::to_string(f);
    }
    return out;
}

std::string textList(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& text : texts) {
        out += std::to_string(text.size());
        out += ':';
        out += text;
    }
    return out;
}

std::vector<std::string> textsOfList(std::string_view list)
{
    std::vector<std::string> texts;
    while (!list.empty()) {
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(list.data(), list.data() + list.size(), length);
        const std::size_t digits = static_cast<std::size_t>(end - list.data());
        if (error != std::errc() || digits == 0 || digits >= list.size() || *end != ':'
            || length > list.size() - digits - 1)
            throw std::invalid_argument("the list of values is not one this program wrote");
        texts.emplace_back(list.substr(digits + 1, length));
        list.remove_prefix(digits + 1 + length);
    }
    return texts;
}

const std::vector<std::pair<std::string, std::string>>& fieldParameters(const std::string& operation)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    static const std::pair<std::string, std::string> shownRows = {"onlyField", "onlyFieldName"};
    static const std::unordered_map<std::string, Pairs> byOperation = [] {
        const Pairs field = {{"field", "fieldName"}}, fields = {{"fields", "fieldNames"}};
        auto table = std::unordered_map<std::string, Pairs>{
            {"PutValue", field},
            {"DeleteFieldAt", field},
            {"DeleteFieldsAt", fields},
            {"RenameFieldAt", field},
            {"SortDataAt", field},
            {"ClusterEdit", field},
            {"TrimSpaces", field},
            {"CollapseSpaces", field},
            {"RemoveUnprintable", field},
            {"ConsistentCase", field},
            {"InsertFieldAt", {{"after", "afterName"}}},
            {"SwapFields", {{"a", "aName"}, {"b", "bName"}}},
            {"RearrangeColumns", {{"order", "orderNames"}}},
            {"RemoveDuplicates", fields},
            {"RemovePartialDuplicates", fields},
            {"AddPrefixSuffix", fields},
            {"ChangeCase", fields},
            {"SplitColumns", fields},
            {"JoinColumns", fields},
            {"ReplaceText", fields},
            {"SortByKeys", fields},
            {"MergeByKey", field},
        };
        // Any step done while only some rows were shown names the column
        // that chose them.
        for (auto& [name, pairs] : table)
            pairs.push_back(shownRows);
        return table;
    }();
    static const Pairs none = {shownRows};
    const auto it = byOperation.find(operation);
    return it == byOperation.end() ? none : it->second;
}

void nameFieldsOf(StepOperation& operation, const std::vector<std::string>& headings)
{
    const auto& pairs = fieldParameters(operation.name);
    if (pairs.empty())
        return;
    // Names the data brings (a step run again) are named afresh.
    std::erase_if(operation.parameters, [&](const auto& p) {
        return std::any_of(pairs.begin(), pairs.end(), [&](const auto& pair) { return pair.second == p.first; });
    });
    for (const auto& pair : pairs) {
        const std::string& position = pair.first;
        const std::string& named = pair.second;
        const auto given = std::find_if(operation.parameters.begin(), operation.parameters.end(),
                                        [&](const auto& p) { return p.first == position; });
        if (given == operation.parameters.end() || given->second.empty())
            continue;
        std::string names;
        bool first = true, nameable = true;
        std::string_view list = given->second;
        while (nameable && !list.empty()) {
            const std::size_t comma = list.find(',');
            const std::string_view piece = list.substr(0, comma);
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            int field = 0;
            const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), field);
            // "after" 0 names no field: such a step stays by position.
            nameable = error == std::errc() && end == piece.data() + piece.size() && field >= 1
                && static_cast<std::size_t>(field) <= headings.size()
                && headings[static_cast<std::size_t>(field - 1)].find('\n') == std::string::npos
                // A heading that two columns share finds neither again.
                && std::count(headings.begin(), headings.end(), headings[static_cast<std::size_t>(field - 1)]) == 1;
            if (nameable) {
                if (!first)
                    names += '\n';
                names += headings[static_cast<std::size_t>(field - 1)];
                first = false;
            }
        }
        if (nameable)
            operation.parameters.emplace_back(named, std::move(names));
    }
}

std::string unflaggedRuns(const std::vector<std::uint8_t>& flags)
{
    std::string out;
    for (std::size_t i = 0; i < flags.size();) {
        if (flags[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end + 1 < flags.size() && !flags[end + 1])
            ++end;
        if (!out.empty())
            out += ',';
        out += std::to_string(i + 1);
        if (end > i)
            out += '-' + std::to_string(end + 1);
        i = end + 1;
    }
    return out;
}
