#include "store/RowScope.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "store/CSVDBS.h"

RowScope::RowScope(int field, std::vector<std::string> values)
    : m_field(values.empty() ? 0 : field), m_list(std::move(values)), m_values(m_list.begin(), m_list.end())
{
    if (m_field == 0)
        m_list.clear();
}

RowScope RowScope::of(const StepOperation& operation)
{
    std::string_view field, values;
    for (const auto& [key, value] : operation.parameters) {
        if (key == "onlyField")
            field = value;
        else if (key == "onlyValues")
            values = value;
    }
    if (field.empty())
        return {};
    int number = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
    if (error != std::errc() || end != field.data() + field.size() || number < 1)
        throw std::invalid_argument("the column that chose the rows is not a column number");
    std::vector<std::string> list = textsOfList(values);
    if (list.empty())
        throw std::invalid_argument("the rows were chosen by no value");
    return {number, std::move(list)};
}

void RowScope::describeIn(StepOperation& operation) const
{
    if (everyRow() || std::any_of(operation.parameters.begin(), operation.parameters.end(),
                                  [](const auto& p) { return p.first == "onlyField"; }))
        return;
    operation.parameters.emplace_back("onlyField", std::to_string(m_field));
    operation.parameters.emplace_back("onlyValues", textList(m_list));
}

RowScopeGuard::RowScopeGuard(CSVDBS& store, RowScope scope) : m_store(store), m_previous(store.rowScope())
{
    store.setRowScope(std::move(scope));
}

RowScopeGuard::~RowScopeGuard() { m_store.setRowScope(std::move(m_previous)); }
