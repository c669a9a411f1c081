#include "store/replace/TextReplace.h"

#include <algorithm>

#include <re2/re2.h>

#include "store/ColumnRewrite.h"
#include "store/StepScope.h"
#include "store/read/TextEncoding.h"
#include "store/table/TextFold.h"

namespace textreplace {

namespace {

bool isAscii(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The replacement as RE2 reads a rewrite, where a backslash is special: for a
// plain text, each backslash stands for itself.
std::string literalRewrite(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::unique_ptr<re2::RE2> compiled(const Choice& choice, bool latin1)
{
    re2::RE2::Options options;
    options.set_log_errors(false);
    options.set_case_sensitive(choice.matchCase);
    options.set_literal(choice.mode == Mode::Contains);
    options.set_encoding(latin1 ? re2::RE2::Options::EncodingLatin1 : re2::RE2::Options::EncodingUTF8);
    return std::make_unique<re2::RE2>(re2::StringPiece(choice.find.data(), choice.find.size()), options);
}

const char* modeName(Mode mode)
{
    switch (mode) {
    case Mode::Contains: return "contains";
    case Mode::Pattern: return "pattern";
    case Mode::WholeValue: break;
    }
    return "whole";
}

bool plain(const Choice& choice)
{
    return choice.mode == Mode::WholeValue && !choice.matchCase && choice.fields.empty() && choice.records.empty();
}

// Calls `each(record)` for every record the choice covers that the store's
// row scope holds, all chosen before any value changes (a field rewritten
// may be the one that chooses the rows).
template <typename Each>
void forEachChosen(const CSVDBS& store, const Choice& choice, std::vector<CSVDBS::RecordNo>& chosen, Each each)
{
    if (chosen.empty()) {
        if (choice.records.empty())
            for (CSVDBS::RecordNo r = 1; r <= store.RecordsHeld(); ++r) {
                if (store.inRowScope(r))
                    chosen.push_back(r);
            }
        else
            for (CSVDBS::RecordNo r : choice.records)
                if (r >= 1 && r <= store.RecordsHeld() && store.inRowScope(r))
                    chosen.push_back(r);
    }
    for (CSVDBS::RecordNo r : chosen)
        each(r);
}

std::vector<int> fieldsOf(const CSVDBS& store, const Choice& choice)
{
    std::vector<int> fields = choice.fields;
    if (fields.empty())
        for (int f = 1; f <= store.FieldCount(); ++f)
            fields.push_back(f);
    for (int f : fields)
        if (f < 1 || f > store.FieldCount())
            throw StoreError("field " + std::to_string(f) + " out of range");
    return fields;
}

} // namespace

Matcher::Matcher(const Choice& choice) : m_choice(choice)
{
    switch (choice.mode) {
    case Mode::WholeValue:
        m_key = choice.matchCase ? std::string(trimSpaces(choice.find)) : matchKey(choice.find);
        return;
    case Mode::Contains:
        if (choice.find.empty())
            throw ChoiceError(ChoiceError::Field::Find, "Enter the text to find.");
        m_key = choice.find;
        if (choice.matchCase)
            return; // a plain search of the bytes
        m_rewrite = literalRewrite(choice.replace);
        break;
    case Mode::Pattern:
        m_rewrite = choice.replace;
        break;
    }
    m_utf8 = compiled(choice, false);
    if (!m_utf8->ok())
        throw ChoiceError(ChoiceError::Field::Find, m_utf8->error());
    std::string why;
    if (!m_utf8->CheckRewriteString(m_rewrite, &why))
        throw ChoiceError(ChoiceError::Field::Replace, why);
    // A value that is not UTF-8 is matched by its bytes. Should the pattern not
    // read as Latin-1, such values simply never match.
    m_latin1 = compiled(choice, true);
}

Matcher::~Matcher() = default;

const re2::RE2& Matcher::patternFor(std::string_view value) const
{
    if (isAscii(value) || isValidUtf8(value.data(), value.size()) || !m_latin1->ok())
        return *m_utf8;
    return *m_latin1;
}

bool Matcher::matches(std::string_view value) const
{
    switch (m_choice.mode) {
    case Mode::WholeValue:
        return m_choice.matchCase ? trimSpaces(value) == m_key : matchesKey(value, m_key);
    case Mode::Contains:
        if (m_choice.matchCase)
            return value.find(m_key) != std::string_view::npos;
        break;
    case Mode::Pattern:
        break;
    }
    const re2::RE2& re = patternFor(value);
    return re.ok() && re2::RE2::PartialMatch(re2::StringPiece(value.data(), value.size()), re);
}

bool Matcher::rewrite(std::string_view value, std::string& out) const
{
    if (m_choice.mode == Mode::WholeValue) {
        if (!matches(value))
            return false;
        out = m_choice.replace;
        return out != value;
    }
    if (m_choice.mode == Mode::Contains && m_choice.matchCase) {
        std::size_t at = value.find(m_key);
        if (at == std::string_view::npos)
            return false;
        out.clear();
        std::size_t from = 0;
        for (; at != std::string_view::npos; at = value.find(m_key, from)) {
            out.append(value.substr(from, at - from));
            out += m_choice.replace;
            from = at + m_key.size();
        }
        out.append(value.substr(from));
        return out != value;
    }
    const re2::RE2& re = patternFor(value);
    if (!re.ok())
        return false;
    out.assign(value);
    return re2::RE2::GlobalReplace(&out, re, m_rewrite) > 0 && out != value;
}

std::int64_t countChanges(const CSVDBS& store, const Choice& choice)
{
    const Matcher matcher(choice);
    if (store.RecordsHeld() < 1)
        return 0;
    std::int64_t changes = 0;
    std::string out;
    std::vector<CSVDBS::RecordNo> chosen;
    for (int f : fieldsOf(store, choice))
        forEachChosen(store, choice, chosen, [&](CSVDBS::RecordNo r) { changes += matcher.rewrite(store.ValueAt(r, f), out); });
    return changes;
}

std::int64_t replaceAll(CSVDBS& store, const Choice& choice)
{
    const Matcher matcher(choice);
    if (store.RecordsHeld() < 1)
        return 0;
    const std::vector<int> fields = fieldsOf(store, choice);
    if (plain(choice)) {
        // The whole-value match as it always was, with the data it always had.
        std::int64_t matched = 0;
        std::vector<CSVDBS::RecordNo> chosen;
        for (int f : fields)
            forEachChosen(store, choice, chosen, [&](CSVDBS::RecordNo r) { matched += matcher.matches(store.ValueAt(r, f)); });
        return store.FindAndReplace(choice.find, choice.replace) ? matched : 0;
    }
    const StepScope step(store, "Find and Replace", [&] { return operationOf(choice); });
    ProgressTicker ticker(store.progressCallback(), store.RecordsHeld() * static_cast<std::int64_t>(fields.size()));
    std::int64_t done = 0, changed = 0;
    std::string out;
    std::vector<CSVDBS::RecordNo> chosen;
    for (int f : fields) {
        ColumnRewrite column(store, f);
        forEachChosen(store, choice, chosen, [&](CSVDBS::RecordNo r) {
            ticker.step(++done);
            if (matcher.rewrite(store.ValueAt(r, f), out)) {
                column.put(r, out);
                ++changed;
            }
        });
        column.finish();
    }
    return changed;
}

StepOperation operationOf(const Choice& choice)
{
    StepOperation operation{"ReplaceText",
                            {{"mode", modeName(choice.mode)},
                             {"find", choice.find},
                             {"replace", choice.replace},
                             {"matchCase", choice.matchCase ? "1" : "0"}}};
    if (!choice.fields.empty())
        operation.parameters.emplace_back("fields", fieldList(choice.fields));
    if (!choice.records.empty()) {
        CSVDBS::RecordNo last = *std::max_element(choice.records.begin(), choice.records.end());
        std::vector<std::uint8_t> flags(static_cast<std::size_t>(std::max(last, 0)), 1);
        for (CSVDBS::RecordNo r : choice.records)
            if (r >= 1)
                flags[static_cast<std::size_t>(r - 1)] = 0;
        operation.parameters.emplace_back("records", unflaggedRuns(flags));
    }
    return operation;
}

Mode modeNamed(std::string_view name)
{
    for (const Mode mode : {Mode::WholeValue, Mode::Contains, Mode::Pattern})
        if (name == modeName(mode))
            return mode;
    throw std::invalid_argument("\"" + std::string(name) + "\" is not a way of finding text");
}

} // namespace textreplace
