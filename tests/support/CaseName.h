#pragma once

#include <cctype>
#include <string>

// A test name from a case's label: letters and digits kept, words joined in
// CamelCase, so that each row of a table reports under its own name.
inline std::string caseName(const std::string& label)
{
    std::string name;
    bool upper = true;
    for (unsigned char c : label) {
        if (std::isalnum(c)) {
            name += upper ? static_cast<char>(std::toupper(c)) : static_cast<char>(c);
            upper = false;
        } else {
            upper = true;
        }
    }
    return name.empty() ? std::string("Case") : name;
}

// For INSTANTIATE_TEST_SUITE_P: names each row after its `label`.
struct ByLabel {
    template <typename Info>
    std::string operator()(const Info& info) const { return caseName(info.param.label); }
};
