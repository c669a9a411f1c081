#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a step did, as data: the operation's name and its parameters, enough
// to run the same operation again on another file.
struct StepOperation {
    std::string name;
    std::vector<std::pair<std::string, std::string>> parameters;
};

// A list of field numbers as a parameter's value: "2,5,7".
std::string fieldList(const std::vector<int>& fields);

// Any values, of any bytes, as one parameter's value: each as its length, a
// colon and its bytes. textsOfList throws std::invalid_argument for a text
// textList did not write.
std::string textList(const std::vector<std::string>& texts);
std::vector<std::string> textsOfList(std::string_view list);

// The parameters of `operation` that give fields by position ("field",
// "fields", "a", ...), each with the name of the parameter beside it that
// gives the same fields by heading ("fieldName", "fieldsNames", ...).
const std::vector<std::pair<std::string, std::string>>& fieldParameters(const std::string& operation);
// Adds those names, from the headings the fields have now, so that the step
// can run again on a file whose columns stand elsewhere. A list's names are
// a line each; a heading that holds a line break leaves its list unnamed.
void nameFieldsOf(StepOperation& operation, const std::vector<std::string>& headings);
// The 1-based positions whose flag is zero, as runs: "3-7,12".
std::string unflaggedRuns(const std::vector<std::uint8_t>& flags);

// Short texts used over and over (step names, operation names, parameter
// names), each kept once for the whole program and referred to by a small
// number. Only the program's own fixed texts go here, and the names of the
// recipes a user runs (a handful), never a user's values.
namespace TextCodes {
using Code = std::uint16_t;
Code code(std::string_view text);
const std::string& text(Code code);
} // namespace TextCodes

// An operation's parameters packed into one block: per parameter its name's
// code and its value's length and bytes. No block when there is no parameter.
class PackedParameters {
public:
    PackedParameters() = default;
    explicit PackedParameters(const std::vector<std::pair<std::string, std::string>>& parameters);

    std::vector<std::pair<std::string, std::string>> unpack() const;
    // Heap bytes held.
    std::size_t bytes() const;

private:
    std::unique_ptr<std::uint8_t[]> m_block;
};
