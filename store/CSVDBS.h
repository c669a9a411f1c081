#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/table/CellTable.h"
#include "store/save/FileIdentity.h"
#include "store/history/History.h"
#include "store/Progress.h"
#include "store/RowScope.h"
#include "store/StoreError.h"
#include "store/read/TextEncoding.h"

// The in-memory record store of one CSV file: field names, records, a record
// pointer and the settings that say how the file is read and written.
//
// Records and fields are numbered from 1 at this interface; -1 means "none"
// (no current record, no matching field) and, as a record number argument,
// "the current record". Values are byte strings: UTF-8 is expected, but any
// bytes survive a load and a save unchanged.
//
// Failures a caller can expect come back as false or -1. Misuse (a position
// out of range, a field operation before any field list exists) throws
// StoreError. The store never shows a message.
class CSVDBS {
public:
    using FieldPos = std::int16_t;
    using RecordNo = std::int32_t;
    static constexpr int MaxFields = MaxFieldCount;

    CSVDBS();

    // --- properties -------------------------------------------------------
    bool ChangesMade() const { return m_changesMade; }
    RecordNo CurrentRecord() const { return m_currentRecord; }
    RecordNo RecordCount() const { return m_recordCount; }
    // The number of records held: RecordCount, or 0 when none was ever loaded.
    RecordNo RecordsHeld() const { return m_recordCount > 0 ? m_recordCount : 0; }

    void Seperator(std::string value) { m_seperator = std::move(value); }
    const std::string& Seperator() const { return m_seperator; }
    void HeaderLine(bool value) { m_headerLine = value; }
    bool HeaderLine() const { return m_headerLine; }
    // Whether LoadFile accepts a file of column names only, as zero records.
    // Off by default: opening such a file has always failed.
    void HeadingsSuffice(bool value) { m_headingsSuffice = value; }
    bool HeadingsSuffice() const { return m_headingsSuffice; }
    // Standard CSV: quoted values may hold separators, quotes and line breaks.
    // Off by default. Like Seperator, it takes effect at the next LoadFile or
    // WriteFile.
    void StandardQuoting(bool value) { m_standardQuoting = value; }
    bool StandardQuoting() const { return m_standardQuoting; }
    // Under the simple rule, a lone LF ends a line in a file that holds CRs
    // too, as the lines a tool that writes LF alone added need. Off by
    // default; it takes effect at the next LoadFile. A successful WriteFile
    // turns it off: the file then ends every line in CR LF, and a lone LF in
    // it is a value's own.
    void LoneLineFeedsEndLines(bool value) { m_loneLineFeedsEndLines = value; }
    bool LoneLineFeedsEndLines() const { return m_loneLineFeedsEndLines; }
    // A line with fewer values than there are fields loads with the missing
    // values empty, rather than failing the load. Off by default; it takes
    // effect at the next LoadFile.
    void FillShortLines(bool value) { m_fillShortLines = value; }
    bool FillShortLines() const { return m_fillShortLines; }
    // The file's encoding; the store's text is UTF-8 whatever it is. LoadFile
    // reads a file with a UTF-16 byte-order mark as UTF-16, whatever is set,
    // otherwise as set here, and sets it to what it read; WriteFile writes it.
    void Encoding(FileEncoding value) { m_encoding = value; }
    FileEncoding Encoding() const { return m_encoding; }
    void FileName(std::string value) { m_fileName = std::move(value); }
    const std::string& FileName() const { return m_fileName; }
    void KeyField(std::string value) { m_keyField = std::move(value); }
    // Trimmed of spaces and upper-cased, whatever was written.
    std::string KeyField() const;
    void AutoGenerateKey(bool value) { m_autoGenerateKey = value; }
    bool AutoGenerateKey() const { return m_autoGenerateKey; }

    // --- files ------------------------------------------------------------
    // Asks for a file, a separator and the header choice through the prompt
    // seam; sets FileName, Seperator and HeaderLine. Does not load.
    bool AskForFile();
    // Not called by the windows, which test paths themselves; kept for other callers of the store.
    bool FileExists(const std::string& fileName = "") const;
    // Replaces the contents with the file named by FileName. On failure the
    // store holds exactly what it held before.
    bool LoadFile();
    // Replaces the file named by FileName, atomically: on failure the file on
    // disk is unchanged. Saves of one file wait for each other; a save over
    // the file last loaded or saved fails, with SaveFoundChange set, when
    // another file is found there (another program's or another save's),
    // unless SaveOverWhatIsOnDisk agreed to replace that one.
    bool WriteFile(bool saveWithDoubleQuotes = false);
    // The user agreed to replace the file now at FileName, changed or
    // deleted as it may be: the next WriteFile may replace it, and only it.
    void SaveOverWhatIsOnDisk();
    // The last WriteFile failed because the file had changed on disk.
    bool SaveFoundChange() const { return m_saveFoundChange; }
    // What the last successful WriteFile has to tell besides (another
    // program's file it kept aside); empty mostly.
    const std::string& SaveNotice() const { return m_saveNotice; }
    // Whether the file now at FileName is not the one last loaded or saved:
    // another file, changed, or deleted since. False before any load.
    bool FileChangedOnDisk() const { return ChangeOnDisk() != DiskChange::None; }
    // What happened to it, for a question that says so.
    DiskChange ChangeOnDisk() const;
    // The file as last loaded or saved, under the name it had then; nullopt
    // before any load.
    const std::optional<FileIdentity>& FileOnDisk() const { return m_identity; }
    const std::string& FileOnDiskName() const { return m_identityName; }
    // Why the last LoadFile or WriteFile failed, for a caller that wants to say.
    const std::string& LastFileError() const { return m_lastFileError; }
    // Whether the loaded file began with a UTF-8 byte-order mark (written back).
    bool HasByteOrderMark() const { return m_byteOrderMark; }
    // Whether the loaded file's lines ended in LF alone (written back so).
    bool LineFeedEnds() const { return m_lineEnd == "\n"; }
    // Lines of the loaded file whose values beyond the field count were left
    // out, and the first of them (0 when none). A save clears them: the file
    // then holds what the store holds.
    std::int64_t IgnoredLines() const { return m_ignoredLines; }
    std::int64_t FirstIgnoredLine() const { return m_firstIgnoredLine; }
    // Lines of the loaded file that had fewer values than fields and were
    // filled out with empty values, and the first of them (0 when none). A
    // save clears them: the file then has every value on those lines.
    std::int64_t FilledLines() const { return m_filledLines; }
    std::int64_t FirstFilledLine() const { return m_firstFilledLine; }

    // What the last LoadFile found, whether it succeeded or not.
    struct LoadFindings {
        bool tooFewValues = false; // failed on a record with fewer values than fields
        bool notUtf8 = false;      // read as UTF-8 but is not valid UTF-8 (and has no mark)
        std::int64_t ignoredLines = 0;
        // Lines with fewer values than fields, and the first: filled out, or
        // counted as far as the file could be read when the load failed on them.
        std::int64_t shortLines = 0;
        std::int64_t firstShortLine = 0;
        // Under the simple rule, lines that end in LF alone in a file whose
        // lines end in CR: read into values. The first three at most, as an
        // editor numbers the lines.
        std::int64_t loneLineFeeds = 0;
        std::vector<std::int64_t> firstLoneLineFeeds;
        bool looksUtf16 = false;   // has no mark, but its zero bytes look like UTF-16
    };
    const LoadFindings& LastLoad() const { return m_lastLoad; }

    // --- records ----------------------------------------------------------
    RecordNo Find(std::string_view fieldValue, const std::string& fieldName = "");
    bool NewRecord();
    bool GotoRecord(RecordNo recordNumber);
    bool DeleteRecord(RecordNo recordNumber = -1);
    bool BottomRecord();
    bool FirstRecord();
    bool LastRecord();
    bool NextRecord();
    // Stores a non-empty value (an empty one only as a generated key).
    bool SetField(const std::string& fieldName = "", std::string_view fieldValue = "",
                  RecordNo recordNumber = -1);
    // nullopt stands for the Boolean false: no such field, or record below 1.
    std::optional<std::string> GetField(const std::string& fieldName,
                                        RecordNo recordNumber = -1) const;

    // --- fields -----------------------------------------------------------
    bool DefineFields(const std::vector<std::string>& elements);
    bool SortData(std::int32_t direction = 1, const std::string& fieldName = "");
    // A copy of the names, position 1 at index 0.
    std::vector<std::string> GetFieldList() const;
    bool ChangeFieldName(const std::string& oldKey, const std::string& newKey);
    bool InsertField(const std::string& newKey, std::string_view defaultValue = "",
                     std::int32_t pIndex = 0);
    bool AddField(const std::string& newKey, std::string_view defaultValue = "");
    bool DeleteField(const std::string& fieldName);
    FieldPos FieldIndex(std::string_view fieldName) const;
    // The first number n from `from` (at least 1) for which "n" + base names
    // no field: the "1NAME" rule for a new field that would clash.
    int FreeNumberedName(const std::string& base, int from = 1) const;
    void SwapFields(std::int32_t a, std::int32_t b);
    bool FindAndReplace(std::string_view findValue, std::string_view replaceValue);

    // --- by position --------------------------------------------------------
    // The windows address columns by position, so that two fields whose names
    // match each other by the name rule are still told apart.
    int FieldCount() const { return m_table.fieldCount(); }
    bool HasFieldList() const { return m_hasFieldList; }
    // The value of field `field` (1-based) of record `record` (1-based). The
    // view stays valid until the store's contents are next replaced.
    std::string_view ValueAt(RecordNo record, int field) const;
    // Stores any value, empty included, and marks the store changed.
    void PutValue(RecordNo record, int field, std::string_view value);
    // Deletes, in one pass, every record whose values in `fields` (1-based)
    // repeat those of an earlier record; the first of each group stays.
    // Values compare exactly. Returns how many records went.
    std::int64_t RemoveDuplicates(const std::vector<int>& fields);
    // Sorts the records by field `field` (1-based), stably; direction 1 is
    // ascending, 2 descending. False for any other direction.
    bool SortDataAt(std::int32_t direction, int field);
    // Deletes field `field` (1-based) by position.
    void DeleteFieldAt(int field);
    // Inserts a new field after position `after` (0 = first) without the name
    // check of InsertField; the name is stored as given.
    void InsertFieldAt(int after, const std::string& name, std::string_view defaultValue = "");

    // Deletes the records `records` (1-based, in any order, repeats allowed)
    // in one pass, as one step. Returns how many went.
    std::int64_t DeleteRecords(const std::vector<RecordNo>& records);

    // Puts the records in the order `order` gives (1-based numbers, each at
    // most once); the records it leaves out are deleted. One pass.
    void ArrangeRecords(const std::vector<RecordNo>& order);

    // Moves the last `count` records, in their order, in front of all the
    // others; the others keep their order behind them.
    void MoveRecordsToTop(RecordNo count);

    // Inserts a new record, empty even of a generated key, so that it is
    // record `at` (1 to one past the last); the records from `at` on move
    // down by one. One step.
    void InsertRecordAt(RecordNo at);
    // Renames field `field` (1-based) to `name`, spaces at both ends removed
    // and the case kept; no name check.
    void RenameFieldAt(int field, const std::string& name);
    // Deletes the fields `fields` (1-based, any order, repeats allowed) as
    // one step; at least one field stays.
    void DeleteFieldsAt(std::vector<int> fields);

    // --- undo and redo --------------------------------------------------------
    // Every public operation that changes the data is a step (a StepScope
    // groups several into one). Undoing back to the state last loaded or
    // saved clears ChangesMade; redoing away from it sets it again.
    bool Undo();
    bool Redo();
    bool CanUndo() const { return m_history.canUndo(); }
    bool CanRedo() const { return m_history.canRedo(); }
    // The names of the steps Undo and Redo would take ("Split Columns").
    std::string UndoName() const { return m_history.undoName(); }
    std::string RedoName() const { return m_history.redoName(); }
    // Memory the history may hold; the oldest steps go first. Zero keeps none.
    void HistoryBudget(std::size_t bytes) { m_history.setBudget(bytes); }
    const History& StepHistory() const { return m_history; }
    // Follows the history's steps, undos and redos, loads and saves.
    void ObserveHistory(History::Observer observer) { m_history.setObserver(std::move(observer)); }
    // Runs before every change of the data: a step, an undo, a redo, a load.
    void BeforeChange(std::function<void()> call) { m_history.setBeforeChange(std::move(call)); }

    // The rows the value tools (prefix and suffix, case, find and replace,
    // the quick fixes, clustering) work on; every row unless set. A step
    // opened meanwhile keeps it in its operation data.
    void setRowScope(RowScope scope) { m_rowScope = std::move(scope); }
    const RowScope& rowScope() const { return m_rowScope; }
    // Whether `record` is one of those rows; a scope whose field has gone
    // holds none.
    bool inRowScope(RecordNo record) const
    {
        if (m_rowScope.everyRow())
            return true;
        return m_rowScope.field() <= FieldCount() && m_rowScope.holds(ValueAt(record, m_rowScope.field()));
    }

    // Long loops report through this; see ProgressTicker.
    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    const ProgressCallback& progressCallback() const { return m_progress; }

private:
    friend class StepScope;
    friend class ColumnRewrite;
    friend class KeySort;
    void afterHistoryMove();

    std::string resolveName(const std::string& fieldName) const;
    void requireFieldList() const;
    void requireField(int field) const;
    std::uint32_t slotOf(RecordNo record) const;
    RecordNo resolveRecord(RecordNo recordNumber) const;
    std::string GenerateKey();
    // Not called at present (the sort reorders slots in one pass); kept for operations that exchange two records.
    void SwapRecords(RecordNo a, RecordNo b);
    bool decodeForLoad(huge::Bytes& bytes, std::size_t& size, FileEncoding& encoding);
    bool allFitEncoding();

    CellTable m_table;
    History m_history{m_table};
    bool m_hasFieldList = false;
    bool m_byteOrderMark = false;
    // The file as last loaded or saved.
    std::optional<FileIdentity> m_identity;
    std::string m_identityName; // the name m_identity was taken under
    // What SaveOverWhatIsOnDisk agreed to replace, under which name.
    std::optional<std::optional<FileIdentity>> m_saveOver;
    std::string m_saveOverName;
    bool m_saveFoundChange = false;
    std::string m_saveNotice;
    bool m_standardQuoting = false;
    bool m_loneLineFeedsEndLines = false;
    FileEncoding m_encoding = FileEncoding::Utf8;
    std::string m_lineEnd = "\r\n";
    std::int64_t m_ignoredLines = 0;
    std::int64_t m_firstIgnoredLine = 0;
    std::int64_t m_filledLines = 0;
    std::int64_t m_firstFilledLine = 0;
    bool m_fillShortLines = false;
    LoadFindings m_lastLoad;

    bool m_changesMade = false;
    RecordNo m_currentRecord = -1;
    RecordNo m_recordCount = -1;
    std::string m_seperator = ",";
    bool m_headerLine = true;
    bool m_headingsSuffice = false;
    std::string m_fileName;
    std::string m_keyField;
    bool m_autoGenerateKey = false;
    std::string m_lastFileError;
    ProgressCallback m_progress;
    RowScope m_rowScope;
};

// Gives a store a progress callback for the life of the object, so that no
// failure can leave the store calling back into a window that has gone. The
// callback it replaced comes back after, so an inner scope leaves an outer
// one's reporting in place.
class ProgressScope {
public:
    ProgressScope(CSVDBS& store, ProgressCallback callback) : m_store(store), m_previous(store.progressCallback())
    {
        m_store.SetProgressCallback(std::move(callback));
    }
    ~ProgressScope() { m_store.SetProgressCallback(std::move(m_previous)); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    CSVDBS& m_store;
    ProgressCallback m_previous;
};
