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
#include "store/LineBlock.h"
#include "store/RecordWriter.h"
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
        huge::Bytes bytes;
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
        return true;
    } catch (const std::bad_alloc&) {
        m_lastFileError = "There is not enough memory to load the file.";
    } catch (const std::exception& e) {
        m_lastFileError = e.what();
    }
    return false;
}

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
        LineBlock block([&file](std::string_view bytes) { return file.write(bytes); }, std::size_t{2} << 20);
        if (m_byteOrderMark)
            block.append(std::string_view("\xEF\xBB\xBF"));
        const int fields = m_table.fieldCount();
        std::vector<std::string_view> values(static_cast<std::size_t>(fields));
        if (m_headerLine) {
            for (int f = 0; f < fields; ++f)
                values[static_cast<std::size_t>(f)] = m_table.names()[static_cast<std::size_t>(f)];
            writeLine(block, values.data(), fields, m_seperator, saveWithDoubleQuotes);
        }
        writeRecords(m_table, block, m_seperator, saveWithDoubleQuotes, m_progress);
        if (!block.finish() || !file.commit()) {
            m_lastFileError = file.error();
            return false;
        }
        m_changesMade = false;
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
    CellTable::Order& order = m_table.order();
    if (count < 0 || static_cast<std::size_t>(count) > order.size())
        throw StoreError();
    if (count == 0 || static_cast<std::size_t>(count) == order.size())
        return;
    // Records are slots in an order list, so this moves 4-byte numbers only.
    std::rotate(order.begin(), order.end() - count, order.end());
    m_changesMade = true;
}

void CSVDBS::PutValue(RecordNo record, int field, std::string_view value)
{
    requireField(field);
    slotOf(record);
    m_table.set(static_cast<std::size_t>(record - 1), field - 1, value);
    m_changesMade = true;
}
