#pragma once

#include <stdexcept>
#include <string>

// Raised for a misuse a caller must not make: a record or field position out of
// range, or a field operation on a store that was never given a field list. The
// windows catch it in their error report; the store itself never shows anything.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& what = "Subscript out of range")
        : std::runtime_error(what) {}
};
