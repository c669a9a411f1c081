#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/CSVDBS.h"

namespace re2 {
class RE2;
}

// Find and replace beyond the whole-value match: a substring anywhere, or a
// regular expression with groups, with or without case, in some fields or
// some cells. Patterns run in RE2, whose time is linear in the text, so no
// pattern a user types can hang on a million rows.
namespace textreplace {

enum class Mode { WholeValue, Contains, Pattern };

struct Choice {
    Mode mode = Mode::WholeValue;
    std::string find;
    std::string replace;
    bool matchCase = false;
    std::vector<int> fields;               // 1-based; none: every field
    std::vector<CSVDBS::RecordNo> records; // none: every record
};

// A choice that cannot run, with the reason to show under the field it
// concerns (RE2's own message for a pattern).
struct ChoiceError : std::runtime_error {
    enum class Field { Find, Replace };
    ChoiceError(Field f, const std::string& why) : std::runtime_error(why), field(f) {}
    Field field;
};

// The find text made ready once; matches and rewrites values.
class Matcher {
public:
    // Throws ChoiceError.
    explicit Matcher(const Choice& choice);
    ~Matcher();
    Matcher(const Matcher&) = delete;
    Matcher& operator=(const Matcher&) = delete;

    bool matches(std::string_view value) const;
    // Whether the value changes; if so `out` is its new text.
    bool rewrite(std::string_view value, std::string& out) const;

private:
    const re2::RE2& patternFor(std::string_view value) const;

    Choice m_choice;
    std::string m_key;                  // the whole value's key, or the text to find
    std::unique_ptr<re2::RE2> m_utf8;   // for values that are UTF-8
    std::unique_ptr<re2::RE2> m_latin1; // the same, byte by byte, for those that are not
    std::string m_rewrite;              // the replacement in RE2's rewrite syntax
};

// How many values Replace All would change; throws ChoiceError.
std::int64_t countChanges(const CSVDBS& store, const Choice& choice);
// Replaces as one step named "Find and Replace"; the plain whole-value
// choice over every field is the store's own FindAndReplace. Returns how
// many values changed (the plain choice: how many matched). Throws
// ChoiceError, before anything changes.
std::int64_t replaceAll(CSVDBS& store, const Choice& choice);

// The choice as a step's data ("ReplaceText"); the mode by the name that
// data gives it ("whole", "contains", "pattern"), or std::invalid_argument.
StepOperation operationOf(const Choice& choice);
Mode modeNamed(std::string_view name);

} // namespace textreplace
