#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "store/CellTable.h"
#include "store/StepRecorder.h"

// Operations that change the table in one tight loop are recorded from the
// outside: what they may replace is kept before they run, and what they did
// replace is worked out after, so the loops themselves stay as they are.

// The record order as it was when an operation began, for the recorders
// below to compare with the order it leaves.
class OrderSnapshot {
public:
    OrderSnapshot(const OrderSnapshot&) = delete;
    OrderSnapshot& operator=(const OrderSnapshot&) = delete;

protected:
    OrderSnapshot(StepRecorder* step, CellTable& table) : m_step(step), m_table(table)
    {
        if (m_step)
            m_before = m_table.order();
    }
    ~OrderSnapshot() = default;

    StepRecorder* m_step;
    CellTable& m_table;
    CellTable::Order m_before;
};

// The record order, for an operation that reorders records (a sort).
class OrderRecorder : private OrderSnapshot {
public:
    OrderRecorder(StepRecorder* step, CellTable& table) : OrderSnapshot(step, table) {}
    ~OrderRecorder()
    {
        if (m_step && m_before != m_table.order())
            m_step->orderChanged(std::move(m_before));
    }
};

// The records an operation deletes (duplicate removal): kept as their
// positions and slots, the order itself let go once the operation is done.
class RemovalRecorder : private OrderSnapshot {
public:
    RemovalRecorder(StepRecorder* step, CellTable& table) : OrderSnapshot(step, table) {}
    ~RemovalRecorder();
};
