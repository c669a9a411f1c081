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
// The 1-based positions whose flag is zero, as runs: "3-7,12".
std::string unflaggedRuns(const std::vector<std::uint8_t>& flags);

// Short texts used over and over (step names, operation names, parameter
// names), each kept once for the whole program and referred to by a small
// number. Only the program's own fixed texts go here, never a user's values.
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
