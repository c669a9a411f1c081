#include "store/CSVDBS.h"

#include <algorithm>
#include <new>
#include <string>

#include <QString>
#include <sys/stat.h>

#include "platform/AppFolder.h"
#include "platform/Prompter.h"
#include "store/AtomicFileWriter.h"
#include "store/CsvReader.h"
#include "store/StepScope.h"
#include "store/TextFold.h"

CSVDBS::CSVDBS() = default;

std::string CSVDBS::KeyField() const { return matchKey(m_keyField); }

bool CSVDBS::AskForFile()
{
    Prompter& ask = prompter();
    const QString chosen = ask.openFileName(QStringLiteral("Select the source file"),
                                            QStringLiteral("CSV Files|*.CSV|All Files|*.*"),
                                            QString::fromStdString(applicationFolder()));
    const std::string path = std::string(trimSpaces(chosen.toStdString()));
    if (path.size() < 2)
        return false;
    m_fileName = path;

    while (true) {
        const QString answer = ask.inputBox(QStringLiteral("What is used to seperate the values?"),
                                            QStringLiteral("Field seperator"),
                                            QString::fromStdString(m_seperator));
        const std::string separator(trimSpaces(answer.toStdString()));
        if (!separator.empty()) {
            m_seperator = separator;
            break;
        }
        if (ask.askYesNo(QStringLiteral("Do you want to cancel?"),
                         QStringLiteral("No seperator value given"), Prompter::Icon::Question)) {
            m_fileName.clear();
            return false;
        }
    }
    m_headerLine = ask.askYesNo(
        QStringLiteral("Does the first line of the file contain header information/field names?"),
        QStringLiteral("Header line?"), Prompter::Icon::Question);
    return true;
}

bool CSVDBS::FileExists(const std::string& fileName) const
{
    const std::string& path = trimSpaces(fileName).empty() ? m_fileName : fileName;
    if (path.empty())
        return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool CSVDBS::LoadFile()
{
    m_lastFileError.clear();
    if (m_fileName.empty()) {
        m_lastFileError = "No file name was given.";
        return false;
    }
    try {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0;
        if (!readWholeFile(m_fileName, bytes, size, m_lastFileError))
            return false;
        CellTable fresh;
        const CsvReadResult read = readCsv(std::move(bytes), size,
                                           CsvReadOptions{m_seperator, m_headerLine, m_headingsSuffice}, fresh,
                                           m_progress);
        if (!read.ok) {
            m_lastFileError = read.error;
            return false;
        }
        m_table.swap(fresh);
        m_hasFieldList = true;
        m_byteOrderMark = read.byteOrderMark;
        m_recordCount = static_cast<RecordNo>(m_table.recordCount());
        m_currentRecord = 1;
        m_changesMade = false;
        m_history.clear();
        return true;
    } catch (const std::bad_alloc&) {
        m_lastFileError = "There is not enough memory to load the file.";
    } catch (const std::exception& e) {
        m_lastFileError = e.what();
    }
    return false;
}

namespace {

void appendLine(std::string& out, const std::vector<std::string_view>& values,
                const std::string& separator, bool quoted)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += separator;
        if (quoted)
            out += '"';
        out += values[i];
        if (quoted)
            out += '"';
    }
    out += "\r\n";
}

} // namespace

bool CSVDBS::WriteFile(bool saveWithDoubleQuotes)
{
    m_lastFileError.clear();
    if (!m_hasFieldList) {
        m_lastFileError = m_fileName.empty() ? "No file name was given." : "There is nothing to save.";
        return false;
    }
    try {
        AtomicFileWriter file(m_fileName);
        if (!file.open()) {
            m_lastFileError = file.error();
            return false;
        }
        std::string chunk;
        chunk.reserve(1 << 20);
        if (m_byteOrderMark)
            chunk += "\xEF\xBB\xBF";
        const int fields = m_table.fieldCount();
        std::vector<std::string_view> values(static_cast<std::size_t>(fields));
        if (m_headerLine) {
            for (int f = 0; f < fields; ++f)
                values[static_cast<std::size_t>(f)] = m_table.names()[static_cast<std::size_t>(f)];
            appendLine(chunk, values, m_seperator, saveWithDoubleQuotes);
        }
        const std::size_t records = m_table.recordCount();
        ProgressTicker ticker(m_progress, static_cast<std::int64_t>(records));
        for (std::size_t r = 0; r < records; ++r) {
            const std::uint32_t slot = m_table.slot(r);
            for (int f = 0; f < fields; ++f)
                values[static_cast<std::size_t>(f)] = m_table.cellAtSlot(slot, f).view();
            appendLine(chunk, values, m_seperator, saveWithDoubleQuotes);
            if (chunk.size() >= (1 << 20)) {
                if (!file.write(chunk))
                    break;
                chunk.clear();
            }
            ticker.step(static_cast<std::int64_t>(r + 1));
        }
        if (!file.write(chunk) || !file.commit()) {
            m_lastFileError = file.error();
            return false;
        }
        m_changesMade = false;
        m_history.markSaved();
        return true;
    } catch (const std::bad_alloc&) {
        m_lastFileError = "There is not enough memory to save the file.";
    } catch (const std::exception& e) {
        m_lastFileError = e.what();
    }
    return false;
}

void CSVDBS::requireFieldList() const
{
    if (!m_hasFieldList)
        throw StoreError();
}

void CSVDBS::requireField(int field) const
{
    requireFieldList();
    if (field < 1 || field > m_table.fieldCount())
        throw StoreError();
}

std::uint32_t CSVDBS::slotOf(RecordNo record) const
{
    if (record < 1 || static_cast<std::size_t>(record) > m_table.recordCount())
        throw StoreError();
    return m_table.slot(static_cast<std::size_t>(record - 1));
}

std::string_view CSVDBS::ValueAt(RecordNo record, int field) const
{
    requireField(field);
    return m_table.cellAtSlot(slotOf(record), field - 1).view();
}

void CSVDBS::MoveRecordsToTop(RecordNo count)
{
    const StepScope step(*this, "Move Records", [&] { return StepOperation{"MoveRecordsToTop", {{"count", std::to_string(count)}}}; });
    std::vector<std::uint32_t>& order = m_table.order();
    if (count < 0 || static_cast<std::size_t>(count) > order.size())
        throw StoreError();
    if (count == 0 || static_cast<std::size_t>(count) == order.size())
        return;
    // Records are slots in an order list, so this moves 4-byte numbers only.
    std::rotate(order.begin(), order.end() - count, order.end());
    if (Step* s = recording())
        s->recordsRotated(static_cast<std::uint32_t>(count));
    m_changesMade = true;
}

void CSVDBS::PutValue(RecordNo record, int field, std::string_view value)
{
    const StepScope step(*this, "Edit Cell", [&] {
        return StepOperation{"PutValue", {{"record", std::to_string(record)}, {"field", std::to_string(field)},
                                          {"value", std::string(value)}}};
    });
    requireField(field);
    if (Step* s = recording())
        s->cellChanging(m_table, slotOf(record), field - 1);
    m_table.set(static_cast<std::size_t>(record - 1), field - 1, value);
    m_changesMade = true;
}

bool CSVDBS::Undo()
{
    if (!m_history.undo())
        return false;
    afterHistoryMove();
    return true;
}

bool CSVDBS::Redo()
{
    if (!m_history.redo())
        return false;
    afterHistoryMove();
    return true;
}

void CSVDBS::afterHistoryMove()
{
    m_recordCount = static_cast<RecordNo>(m_table.recordCount());
    m_currentRecord = std::clamp<RecordNo>(m_currentRecord, m_recordCount > 0 ? 1 : -1, m_recordCount > 0 ? m_recordCount : -1);
    m_changesMade = !m_history.atSaved();
}
