#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/history/StepOperation.h"

class CSVDBS;

// The rows a value tool works on while the window shows only some: those
// whose value in one field is one of a few. A step done meanwhile keeps the
// choice in its operation data, so that it replays on the same rows.
class RowScope {
public:
    RowScope() = default;
    // `field` is 1-based; no values means every row.
    RowScope(int field, std::vector<std::string> values);
    // From a step's data: every row when it names none; throws
    // std::invalid_argument for data this program did not write.
    static RowScope of(const StepOperation& operation);

    bool everyRow() const { return m_field == 0; }
    int field() const { return m_field; }
    bool holds(std::string_view value) const { return everyRow() || m_values.find(value) != m_values.end(); }
    // Adds the choice to `operation`, unless it is for every row or the data
    // already has it (a step run again).
    void describeIn(StepOperation& operation) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
    };
    int m_field = 0;
    std::vector<std::string> m_list; // in the order chosen, for the data
    std::unordered_set<std::string, Hash, std::equal_to<>> m_values;
};

// Gives a store a row scope for the life of the object; the one it replaced
// comes back after.
class RowScopeGuard {
public:
    RowScopeGuard(CSVDBS& store, RowScope scope);
    ~RowScopeGuard();
    RowScopeGuard(const RowScopeGuard&) = delete;
    RowScopeGuard& operator=(const RowScopeGuard&) = delete;

private:
    CSVDBS& m_store;
    RowScope m_previous;
};
