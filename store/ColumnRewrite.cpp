#include "store/ColumnRewrite.h"

ColumnRewrite::ColumnRewrite(CSVDBS& store, int field)
    : m_store(&store),
      m_scope(std::make_unique<StepScope>(store, "Edit Column", [&] {
          return StepOperation{"RewriteColumn", {{"field", std::to_string(field)}}};
      })),
      m_field(field - 1)
{
    store.requireField(field);
    m_fresh = store.m_table.stepKeepsValuesOf(m_field);
    if (m_fresh) {
        // Written fresh, so that the old column can go to the step as it is.
        m_cells = CellTable::Column(store.m_table.columnCells(m_field));
    }
}

void ColumnRewrite::put(CSVDBS::RecordNo record, std::string_view value)
{
    CellTable& table = m_store->m_table;
    const std::uint32_t slot = m_store->slotOf(record);
    if (m_fresh)
        m_cells[slot] = table.intern(value);
    else
        table.putUnkept(slot, m_field, table.intern(value));
    ++m_put;
}

std::int64_t ColumnRewrite::finish()
{
    if (m_finished)
        return m_put;
    m_finished = true;
    if (m_put == 0)
        return 0;
    if (m_fresh)
        m_store->m_table.replaceColumn(m_field, std::move(m_cells), m_put);
    else
        m_store->m_table.valuesPut(m_put); // written in place; the step keeps no old values of it
    m_store->m_changesMade = true;
    return m_put;
}
