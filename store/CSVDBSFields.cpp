// Field operations of the store: list, find by name, add, insert, delete,
// rename and exchange fields, keeping every record in step with the names.
#include "store/CSVDBS.h"

#include <algorithm>

#include "store/StepScope.h"
#include "store/table/TextFold.h"

std::vector<std::string> CSVDBS::GetFieldList() const { return m_table.names(); }

CSVDBS::FieldPos CSVDBS::FieldIndex(std::string_view fieldName) const
{
    requireFieldList();
    const std::string key = matchKey(fieldName);
    const auto& names = m_table.names();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (matchesKey(names[i], key))
            return static_cast<FieldPos>(i + 1);
    return -1;
}

bool CSVDBS::DefineFields(const std::vector<std::string>& elements)
{
    // The elements are numbered from 1, so an empty list has no upper bound
    // of 1 or above.
    if (elements.empty())
        return false;
    if (elements.size() > static_cast<std::size_t>(MaxFields))
        throw StoreError("Overflow");
    std::vector<std::string> names;
    names.reserve(elements.size());
    for (const std::string& e : elements)
        names.push_back(matchKey(e));
    m_table.resizeFields(std::move(names));
    m_hasFieldList = true;
    // A new field list is a new table: nothing before it can be undone.
    m_history.clear();
    return true;
}

bool CSVDBS::AddField(const std::string& newKey, std::string_view defaultValue)
{
    const StepScope step(*this, "Insert Column", [&] {
        return StepOperation{"AddField", {{"name", newKey}, {"default", std::string(defaultValue)}}};
    });
    return InsertField(newKey, defaultValue, std::max(FieldCount(), 0));
}

bool CSVDBS::InsertField(const std::string& newKey, std::string_view defaultValue,
                         std::int32_t pIndex)
{
    if (pIndex < 0)
        throw StoreError("Invalid procedure call or argument");
    const StepScope step(*this, "Insert Column", [&] {
        return StepOperation{"InsertField", {{"name", newKey}, {"default", std::string(defaultValue)}, {"index", std::to_string(pIndex)}}};
    });
    if (FieldIndex(newKey) >= 1)
        return false;
    InsertFieldAt(std::min(pIndex, FieldCount()), matchKey(newKey), defaultValue);
    return true;
}

void CSVDBS::InsertFieldAt(int after, const std::string& name, std::string_view defaultValue)
{
    requireFieldList();
    if (after < 0 || after > FieldCount())
        throw StoreError();
    if (FieldCount() >= MaxFields)
        throw StoreError("Overflow");
    const StepScope step(*this, "Insert Column", [&] {
        return StepOperation{"InsertFieldAt", {{"after", std::to_string(after)}, {"name", name}, {"default", std::string(defaultValue)}}};
    });
    m_table.insertField(after, name, m_table.intern(defaultValue));
    m_changesMade = true;
}

bool CSVDBS::DeleteField(const std::string& fieldName)
{
    const StepScope step(*this, "Delete Column", [&] { return StepOperation{"DeleteField", {{"name", fieldName}}}; });
    const int field = FieldIndex(fieldName);
    if (field < 1)
        return false;
    DeleteFieldAt(field);
    return true;
}

void CSVDBS::DeleteFieldAt(int field)
{
    requireField(field);
    // A store always has at least one field; the last one stays.
    if (FieldCount() == 1)
        throw StoreError("The only field of the file cannot be deleted.");
    const StepScope step(*this, "Delete Column", [&] { return StepOperation{"DeleteFieldAt", {{"field", std::to_string(field)}}}; });
    m_table.eraseField(field - 1);
    m_changesMade = true;
}

bool CSVDBS::ChangeFieldName(const std::string& oldKey, const std::string& newKey)
{
    const int field = FieldIndex(oldKey);
    if (field < 1)
        return false;
    const std::string name(trimSpaces(newKey));
    if (m_table.names()[static_cast<std::size_t>(field - 1)] != name) {
        const StepScope step(*this, "Rename Column", [&] { return StepOperation{"ChangeFieldName", {{"old", oldKey}, {"new", newKey}}}; });
        m_table.renameField(field - 1, name);
        m_changesMade = true;
    }
    return true;
}

void CSVDBS::RenameFieldAt(int field, const std::string& name)
{
    requireField(field);
    const std::string trimmed(trimSpaces(name));
    if (m_table.names()[static_cast<std::size_t>(field - 1)] == trimmed)
        return;
    const StepScope step(*this, "Rename Column", [&] {
        return StepOperation{"RenameFieldAt", {{"field", std::to_string(field)}, {"name", name}}};
    });
    m_table.renameField(field - 1, trimmed);
    m_changesMade = true;
}

void CSVDBS::DeleteFieldsAt(std::vector<int> fields)
{
    for (const int field : fields)
        requireField(field);
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    if (fields.empty())
        return;
    if (static_cast<int>(fields.size()) >= FieldCount())
        throw StoreError("The only field of the file cannot be deleted.");
    const StepScope step(*this, "Delete Columns", [&] { return StepOperation{"DeleteFieldsAt", {{"fields", fieldList(fields)}}}; });
    // From the last, so the positions still to go stay where they were.
    for (auto it = fields.rbegin(); it != fields.rend(); ++it)
        DeleteFieldAt(*it);
}

void CSVDBS::SwapFields(std::int32_t a, std::int32_t b)
{
    requireField(a);
    requireField(b);
    if (a == b)
        return;
    const StepScope step(*this, "Swap Columns", [&] {
        return StepOperation{"SwapFields", {{"a", std::to_string(a)}, {"b", std::to_string(b)}}};
    });
    m_table.swapFields(a - 1, b - 1);
    m_changesMade = true;
}

int CSVDBS::FreeNumberedName(const std::string& base, int from) const
{
    int n = std::max(from, 1);
    while (FieldIndex(std::to_string(n) + base) >= 1)
        ++n;
    return n;
}
