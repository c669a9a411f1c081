#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "store/CSVDBS.h"
#include "store/StepScope.h"

// Gives one field new values, for a tool that may rewrite most of a column.
// While a step is recorded, the new cells go into a fresh column that the
// table takes at finish(), and the step keeps the old column itself, moved
// rather than copied; otherwise they are written in place. Either way the
// field ends with the same values.
//
// Read a record's value before putting its new one: until finish() the store
// may show either. No field or record may be added, deleted or moved before
// finish(). If finish() is never reached (an exception), a recorded
// field keeps its old values.
class ColumnRewrite {
public:
    // `field` is 1-based. Outside any step this is a step of its own.
    ColumnRewrite(CSVDBS& store, int field);
    ColumnRewrite(ColumnRewrite&&) noexcept = default;
    ColumnRewrite& operator=(ColumnRewrite&&) = delete;
    ~ColumnRewrite() = default;

    // `record` is 1-based.
    void put(CSVDBS::RecordNo record, std::string_view value);
    // The field takes its new values; returns how many were put.
    std::int64_t finish();

private:
    CSVDBS* m_store;
    std::unique_ptr<StepScope> m_scope;
    int m_field;
    bool m_fresh = false;
    bool m_finished = false;
    CellTable::Column m_cells;
    std::int64_t m_put = 0;
};
