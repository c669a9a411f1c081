#include "store/CSVDBS.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include <QString>
#include <sys/stat.h>

#include "platform/AppFolder.h"
#include "platform/Prompter.h"
#include "store/save/AtomicFileWriter.h"
#include "store/save/CsvLineWriter.h"
#include "store/read/CsvReader.h"
#include "store/RecordLimit.h"
#include "store/save/RecordWriter.h"
#include "store/read/StandardCsvReader.h"
#include "store/StepScope.h"
#include "store/table/TextFold.h"

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
    m_lastLoad = {};
    if (m_fileName.empty()) {
        m_lastFileError = "No file name was given.";
        return false;
    }
    m_history.beforeChange();
    try {
        // Taken before reading: a change made while we read shows as a change.
        const std::optional<FileIdentity> identity = FileIdentity::at(m_fileName);
        huge::Bytes bytes;
        std::size_t size = 0;
        if (!readWholeFile(m_fileName, bytes, size, m_lastFileError))
            return false;
        const FileEncoding unmarkedUtf16 = utf16MarkOf(bytes.get(), size) == FileEncoding::Utf8
            ? unmarkedUtf16Of(bytes.get(), size) : FileEncoding::Utf8;
        m_lastLoad.looksUtf16 = unmarkedUtf16 != FileEncoding::Utf8;
        FileEncoding encoding = m_encoding;
        if (!decodeForLoad(bytes, size, encoding))
            return false;
        CellTable fresh;
        CsvReadOptions options{m_seperator, m_headerLine, m_headingsSuffice, MaxRecords};
        options.loneLineFeedEnds = m_loneLineFeedsEndLines;
        options.fillShortLines = m_fillShortLines;
        const CsvReadResult read = m_standardQuoting
            ? readStandardCsv(std::move(bytes), size, options, fresh, m_progress)
            : readCsv(std::move(bytes), size, options, fresh, m_progress);
        m_lastLoad.tooFewValues = read.tooFewValues;
        m_lastLoad.ignoredLines = read.ignoredLines;
        m_lastLoad.shortLines = read.shortLines;
        m_lastLoad.firstShortLine = read.firstShortLine;
        m_lastLoad.loneLineFeeds = read.loneLineFeeds;
        m_lastLoad.firstLoneLineFeeds = read.firstLoneLineFeeds;
        if (!read.ok) {
            m_lastFileError = read.error;
            // Read as bytes, such a file fails for a reason that says nothing of the real one.
            if (m_lastLoad.looksUtf16)
                m_lastFileError = "The file looks like " + encodingName(unmarkedUtf16)
                    + " without a byte-order mark (every other byte is zero), and UTF-16 is read only with its "
                      "mark. Read as bytes: " + read.error;
            return false;
        }
        m_table.swap(fresh);
        m_hasFieldList = true;
        m_byteOrderMark = read.byteOrderMark;
        m_encoding = encoding;
        m_lineEnd = read.lfLineEnds ? "\n" : "\r\n";
        m_ignoredLines = read.ignoredLines;
        m_firstIgnoredLine = read.firstIgnoredLine;
        m_filledLines = read.shortLines;
        m_firstFilledLine = read.firstShortLine;
        m_recordCount = checkedRecordNumber(m_table.recordCount());
        m_identity = identity;
        m_identityName = m_fileName;
        m_saveOver.reset();
        m_currentRecord = 1;
        m_changesMade = false;
        m_history.clear();
        return true;
    } catch (const WorkCancelled&) {
        throw; // the user stopped the read: the table stays as it was
    } catch (const std::bad_alloc&) {
        m_lastFileError = "There is not enough memory to load the file.";
    } catch (const std::exception& e) {
        m_lastFileError = e.what();
    }
    return false;
}

// Turns the file's bytes into the store's UTF-8. A UTF-16 mark decides by
// itself; otherwise the encoding asked for does. Bytes read as UTF-8 that are
// not valid UTF-8 are kept as they are, and the finding is noted so that the
// window can offer to read them as Western.
bool CSVDBS::decodeForLoad(huge::Bytes& bytes, std::size_t& size, FileEncoding& encoding)
{
    const FileEncoding marked = utf16MarkOf(bytes.get(), size);
    if (marked != FileEncoding::Utf8)
        encoding = marked;
    else if (encoding != FileEncoding::Windows1252)
        encoding = FileEncoding::Utf8;
    if (encoding == FileEncoding::Utf8) {
        const bool utf8Mark = size >= 3 && std::memcmp(bytes.get(), "\xEF\xBB\xBF", 3) == 0;
        m_lastLoad.notUtf8 = !utf8Mark && !isValidUtf8(bytes.get(), size);
        return true;
    }
    std::unique_ptr<char[]> decoded;
    std::size_t decodedSize = 0;
    if (!decodeToUtf8(encoding, bytes.get(), size, decoded, decodedSize, m_lastFileError))
        return false;
    // The decoded text moves to the kind of buffer the cells live in.
    bytes = huge::allocateBytes(decodedSize + 1);
    if (decodedSize > 0)
        std::memcpy(bytes.get(), decoded.get(), decodedSize);
    size = decodedSize;
    return true;
}

// A Windows-1252 file can only take what Windows-1252 holds; rather than
// write a "?" for the rest, the save is refused and the first value named.
bool CSVDBS::allFitEncoding()
{
    if (m_encoding != FileEncoding::Windows1252)
        return true;
    std::string bad;
    const auto refuse = [&](std::string_view value, const std::string& where) {
        m_lastFileError = "The value \"" + std::string(value) + "\" (" + where + ") holds \"" + bad
            + "\", which the file's encoding, " + encodingName(m_encoding)
            + ", cannot hold. Nothing was saved.";
        return false;
    };
    const int fields = m_table.fieldCount();
    if (m_headerLine)
        for (int f = 0; f < fields; ++f)
            if (!fitsWindows1252(m_table.names()[static_cast<std::size_t>(f)], bad))
                return refuse(m_table.names()[static_cast<std::size_t>(f)], "the name of field " + std::to_string(f + 1));
    for (std::size_t r = 0; r < m_table.recordCount(); ++r)
        for (int f = 0; f < fields; ++f)
            if (!fitsWindows1252(m_table.value(r, f), bad))
                return refuse(m_table.value(r, f), "record " + std::to_string(r + 1) + ", field "
                                                      + std::to_string(f + 1));
    return true;
}

void CSVDBS::SaveOverWhatIsOnDisk()
{
    m_saveOver = FileIdentity::at(m_fileName);
    m_saveOverName = m_fileName;
}

bool CSVDBS::WriteFile(bool saveWithDoubleQuotes)
{
    m_lastFileError.clear();
    m_saveFoundChange = false;
    m_saveNotice.clear();
    if (!m_hasFieldList) {
        m_lastFileError = m_fileName.empty() ? "No file name was given." : "There is nothing to save.";
        return false;
    }
    try {
        if (!allFitEncoding())
            return false;
        AtomicFileWriter file(m_fileName);
        if (m_identity)
            file.modeIfMissing(m_identity->mode); // deleted since: it comes back as it was
        // Under another name (Save As), the user has agreed to replace whatever is there.
        if (m_saveOver && m_saveOverName == m_fileName)
            file.expectOnDisk(*m_saveOver);
        else if (m_identity && m_identityName == m_fileName)
            file.expectOnDisk(m_identity);
        if (!file.open()) {
            m_lastFileError = file.error();
            return false;
        }
        const bool western = m_encoding == FileEncoding::Windows1252;
        const CsvLineWriter lines(m_seperator, m_standardQuoting, saveWithDoubleQuotes, m_lineEnd, western);
        std::string encoded;
        std::string unused;
        // Text comes in pieces that end at line ends, so a character is never cut in two.
        const auto put = [&](std::string_view text) {
            if (m_encoding == FileEncoding::Utf8)
                return file.write(text);
            encoded.clear();
            encodeFromUtf8(m_encoding, text, encoded, unused);
            return file.write(encoded);
        };
        // No mark comes before the text: its first bytes must not look like one.
        const bool bare = (m_encoding == FileEncoding::Utf8 && !m_byteOrderMark) || western;
        if (m_encoding == FileEncoding::Utf8 && m_byteOrderMark)
            file.write("\xEF\xBB\xBF");
        file.write(byteOrderMarkOf(m_encoding));
        if (m_headerLine) {
            std::string header;
            lines.append(header, std::vector<std::string_view>(m_table.names().begin(), m_table.names().end()), bare);
            put(header);
        }
        const bool firstIsFileStart = bare && !m_headerLine;
        const std::string* readSeparator = m_table.readLineSeparator();
        const bool written = writeRecords(
            m_table,
            [&lines, firstIsFileStart](std::string& out, const std::string_view* values, std::size_t width,
                                       std::size_t count, std::size_t first, const std::uint8_t* whole) {
                lines.appendLines(out, values, width, count, firstIsFileStart && first == 0, whole);
            },
            readSeparator && lines.joinsAsTheyStand(*readSeparator), put, m_progress);
        if (!written || !file.commit()) {
            m_lastFileError = file.error();
            m_saveFoundChange = file.changedOnDisk();
            return false;
        }
        m_changesMade = false;
        m_identity = file.written();
        m_identityName = m_fileName;
        m_saveOver.reset();
        m_saveNotice = file.notice();
        m_ignoredLines = 0;
        m_firstIgnoredLine = 0;
        m_filledLines = 0;
        m_firstFilledLine = 0;
        m_loneLineFeedsEndLines = false;
        m_history.markSaved();
        return true;
    } catch (const WorkCancelled&) {
        throw; // the file on disk stays as it was
    } catch (const std::bad_alloc&) {
        m_lastFileError = "There is not enough memory to save the file.";
    } catch (const std::exception& e) {
        m_lastFileError = e.what();
    }
    return false;
}

DiskChange CSVDBS::ChangeOnDisk() const
{
    return m_identity ? diskChangeSince(*m_identity, m_fileName) : DiskChange::None;
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
    const std::size_t records = m_table.recordCount();
    if (count < 0 || static_cast<std::size_t>(count) > records)
        throw StoreError();
    if (count == 0 || static_cast<std::size_t>(count) == records)
        return;
    // Records are slots in an order list, so this moves 4-byte numbers only.
    m_table.rotateToFront(static_cast<std::uint32_t>(count));
    m_changesMade = true;
}

void CSVDBS::PutValue(RecordNo record, int field, std::string_view value)
{
    const StepScope step(*this, "Edit Cell", [&] {
        return StepOperation{"PutValue", {{"record", std::to_string(record)}, {"field", std::to_string(field)},
                                          {"value", std::string(value)}}};
    });
    requireField(field);
    slotOf(record); // in range, or StoreError
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
