#include "combine/CombineFiles.h"

#include <algorithm>

#include "store/CSVDBS.h"
#include "store/StepScope.h"

namespace CombineFiles {

namespace {

void copyRecord(CSVDBS& open, CSVDBS::RecordNo to, const CSVDBS& second, CSVDBS::RecordNo from, int fields)
{
    for (int f = 1; f <= fields; ++f)
        open.PutValue(to, f, second.ValueAt(from, f));
}

} // namespace

std::string mergedName(const CSVDBS& open, const std::string& name)
{
    if (open.FieldIndex(name) < 1)
        return name;
    return std::to_string(open.FreeNumberedName(name)) + name;
}

bool readSecondFile(CSVDBS& second, const std::string& path, const std::string& separator, bool headerLine,
                    bool fillShort)
{
    second.FileName(path);
    second.Seperator(separator);
    second.HeaderLine(headerLine);
    second.FillShortLines(fillShort);
    // Column names alone are a file of zero records: nothing to append, or
    // empty columns to merge.
    second.HeadingsSuffice(true);
    return second.LoadFile();
}

StepOperation secondFileStep(std::string name, const CSVDBS& second,
                             std::vector<std::pair<std::string, std::string>> rest)
{
    StepOperation operation{std::move(name),
                            {{"file", second.FileName()},
                             {"separator", second.Seperator()},
                             {"header", second.HeaderLine() ? "1" : "0"}}};
    // Only a file whose short lines were filled says so: the steps of every
    // other file read as they always have.
    if (second.FillShortLines())
        operation.parameters.emplace_back("fillShort", "1");
    operation.parameters.insert(operation.parameters.end(), std::make_move_iterator(rest.begin()),
                                std::make_move_iterator(rest.end()));
    return operation;
}

bool sameFieldCount(const CSVDBS& open, const CSVDBS& second) { return open.FieldCount() == second.FieldCount(); }

void appendRecords(CSVDBS& open, const CSVDBS& second, AppendPlace where)
{
    const StepScope step(open, "Append File",
                         secondFileStep("AppendRecords", second, {{"above", where == AppendPlace::Above ? "1" : "0"}}));
    const std::int64_t added = second.RecordsHeld();
    const int fields = second.FieldCount();
    ProgressTicker ticker(open.progressCallback(), 2 * added);
    const auto before = static_cast<CSVDBS::RecordNo>(open.RecordsHeld());
    for (std::int64_t i = 1; i <= added; ++i) {
        ticker.step(i);
        open.NewRecord();
    }
    // The new records are empty and already in place below; moving them to
    // the top leaves every old record holding exactly what it held.
    if (where == AppendPlace::Above)
        open.MoveRecordsToTop(static_cast<CSVDBS::RecordNo>(added));
    const CSVDBS::RecordNo first = where == AppendPlace::Above ? 1 : before + 1;
    for (std::int64_t i = 1; i <= added; ++i) {
        ticker.step(added + i);
        copyRecord(open, static_cast<CSVDBS::RecordNo>(first + i - 1), second, static_cast<CSVDBS::RecordNo>(i), fields);
    }
}

void mergeFields(CSVDBS& open, const CSVDBS& second, MergePlace where)
{
    const StepScope step(open, "Merge File",
                         secondFileStep("MergeFields", second, {{"left", where == MergePlace::Left ? "1" : "0"}}));
    const int added = second.FieldCount();
    const std::vector<std::string> names = second.GetFieldList();
    const auto paired = static_cast<CSVDBS::RecordNo>(std::min(open.RecordsHeld(), second.RecordsHeld()));
    ProgressTicker ticker(open.progressCallback(), static_cast<std::int64_t>(added) * paired);
    const int before = open.FieldCount();
    for (int k = 1; k <= added; ++k) {
        const std::string name = mergedName(open, names[static_cast<std::size_t>(k - 1)]);
        const int at = where == MergePlace::Left ? k : before + k;
        open.InsertField(name, "", at - 1);
        const std::int64_t done = static_cast<std::int64_t>(k - 1) * paired;
        for (CSVDBS::RecordNo i = 1; i <= paired; ++i) {
            ticker.step(done + i);
            open.PutValue(i, at, second.ValueAt(i, k));
        }
    }
}

} // namespace CombineFiles
