// Record operations of the store: create, delete, read and write one value,
// move the record pointer, find a record by key.
#include "store/CSVDBS.h"

#include <chrono>
#include <random>

#include "store/RecordLimit.h"
#include "store/StepScope.h"
#include "store/table/TextFold.h"

std::string CSVDBS::resolveName(const std::string& fieldName) const
{
    const std::string_view trimmed = trimSpaces(fieldName);
    return trimmed.empty() ? KeyField() : std::string(trimmed);
}

CSVDBS::RecordNo CSVDBS::resolveRecord(RecordNo recordNumber) const
{
    return recordNumber == -1 ? m_currentRecord : recordNumber;
}

bool CSVDBS::NewRecord()
{
    requireFieldList();
    const int keyPos = m_autoGenerateKey && !m_keyField.empty() ? FieldIndex(m_keyField) : -1;
    // The key is drawn before the step opens, so that the step's data holds
    // it: a replay must give the record the same key, not a new one.
    const std::string key = keyPos >= 1 && m_table.recordCount() < MaxRecords ? GenerateKey() : std::string();
    const StepScope step(*this, "New Record", [&] {
        if (key.empty())
            return StepOperation{"NewRecord", {}};
        return StepOperation{"NewRecord", {{"keyField", m_keyField}, {"key", key}}};
    });
    if (m_table.recordCount() >= MaxRecords)
        return false; // one more would have no record number
    m_changesMade = true;
    const RecordNo number = m_recordCount < 1 ? 1 : m_recordCount + 1;
    // A key asked for but with no field to hold it: no record either.
    if (m_autoGenerateKey && keyPos < 1) {
        m_currentRecord = number - 1;
        return false;
    }
    m_table.appendEmptyRecord();
    m_currentRecord = number;
    if (keyPos >= 1)
        m_table.set(m_table.recordCount() - 1, keyPos - 1, key);
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    return true;
}

std::string CSVDBS::GenerateKey()
{
    static std::mt19937_64 random(static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()) ^ std::random_device{}());
    const int keyPos = FieldIndex(m_keyField);
    if (keyPos < 1)
        return {};
    std::uniform_int_distribution<int> coin(0, 1), digit(0, 9), letter(0, 25);
    while (true) {
        std::string candidate(12, ' ');
        for (char& c : candidate)
            c = coin(random) ? static_cast<char>('0' + digit(random))
                             : static_cast<char>('A' + letter(random));
        bool taken = false;
        for (std::size_t r = 0; r < m_table.recordCount() && !taken; ++r)
            taken = m_table.value(r, keyPos - 1) == candidate;
        if (!taken)
            return candidate;
    }
}

bool CSVDBS::DeleteRecord(RecordNo recordNumber)
{
    if (m_recordCount < 1)
        return false;
    const RecordNo record = resolveRecord(recordNumber);
    if (record < 1 || record > m_recordCount)
        return false;
    const StepScope step(*this, "Delete Record", [&] { return StepOperation{"DeleteRecord", {{"record", std::to_string(record)}}}; });
    m_table.eraseRecord(static_cast<std::size_t>(record - 1));
    m_table.compactIfWasteful();
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    m_changesMade = true;
    return true;
}

std::optional<std::string> CSVDBS::GetField(const std::string& fieldName,
                                            RecordNo recordNumber) const
{
    const int field = FieldIndex(resolveName(fieldName));
    const RecordNo record = resolveRecord(recordNumber);
    if (field < 1 || record < 1)
        return std::nullopt;
    return std::string(m_table.cellAtSlot(slotOf(record), field - 1).view());
}

bool CSVDBS::SetField(const std::string& fieldName, std::string_view fieldValue,
                      RecordNo recordNumber)
{
    const int field = FieldIndex(resolveName(fieldName));
    const RecordNo record = resolveRecord(recordNumber);
    if (field < 1 || record < 1)
        return false;
    slotOf(record); // in range, or StoreError
    const auto index = static_cast<std::size_t>(record - 1);
    // An empty value asks for a generated key, drawn before the step opens
    // so that the step's data holds the value written.
    if (fieldValue.empty() && !m_autoGenerateKey)
        return false;
    const std::string key = fieldValue.empty() ? GenerateKey() : std::string();
    const std::string_view value = fieldValue.empty() ? std::string_view(key) : fieldValue;
    const StepScope step(*this, "Set Field", [&] {
        return StepOperation{"SetField", {{"field", fieldName}, {"value", std::string(value)}, {"record", std::to_string(record)}}};
    });
    m_table.set(index, field - 1, value);
    m_changesMade = true;
    return true;
}

bool CSVDBS::GotoRecord(RecordNo recordNumber)
{
    if (recordNumber < 1 || recordNumber > m_recordCount)
        return false;
    m_currentRecord = recordNumber;
    return true;
}

bool CSVDBS::FirstRecord()
{
    m_currentRecord = 1;
    return m_recordCount >= 1;
}

bool CSVDBS::BottomRecord()
{
    m_currentRecord = m_recordCount;
    return m_recordCount >= 1;
}

bool CSVDBS::LastRecord()
{
    if (m_currentRecord > 1)
        --m_currentRecord;
    return m_recordCount >= 1;
}

bool CSVDBS::NextRecord()
{
    if (m_currentRecord < m_recordCount)
        ++m_currentRecord;
    return m_recordCount >= 1;
}

CSVDBS::RecordNo CSVDBS::Find(std::string_view fieldValue, const std::string& fieldName)
{
    std::string name;
    if (fieldName.size() > 1)
        name = fieldName;
    else if (!KeyField().empty())
        name = KeyField();
    else
        return -1;
    const int field = FieldIndex(name);
    if (field < 1)
        return -1;
    const std::string key = matchKey(fieldValue);
    for (std::size_t r = 0; r < m_table.recordCount(); ++r) {
        if (matchesKey(m_table.value(r, field - 1), key)) {
            m_currentRecord = checkedRecordNumber(r + 1);
            return m_currentRecord;
        }
    }
    return -1;
}
