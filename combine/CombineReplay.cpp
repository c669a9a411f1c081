#include "combine/CombineReplay.h"

#include "combine/CombineFiles.h"
#include "combine/KeyMerge.h"
#include "store/history/StepOperation.h"
#include "store/CSVDBS.h"
#include "store/Replay.h"

namespace CombineFiles {

namespace {

// The second file, read as it was read when the step was done.
void readSecond(CSVDBS& second, const replay::Parameters& p)
{
    // A step that does not say it filled out short lines reads them strictly.
    const bool fillShort = p.has("fillShort") && p.flag("fillShort");
    if (!readSecondFile(second, p.text("file"), p.text("separator"), p.flag("header"), fillShort))
        throw replay::ReplayError("The file \"" + p.text("file") + "\" cannot be read: " + second.LastFileError());
}

} // namespace

void addCombineOperations()
{
    replay::add("AppendRecords", [](CSVDBS& open, const replay::Parameters& p) {
        CSVDBS second;
        readSecond(second, p);
        if (!sameFieldCount(open, second))
            throw replay::ReplayError("The file \"" + p.text("file") + "\" has " + std::to_string(second.FieldCount())
                                      + " columns, and this one " + std::to_string(open.FieldCount()) + ".");
        appendRecords(open, second, p.flag("above") ? AppendPlace::Above : AppendPlace::Below);
    });
    replay::add("MergeFields", [](CSVDBS& open, const replay::Parameters& p) {
        CSVDBS second;
        readSecond(second, p);
        mergeFields(open, second, p.flag("left") ? MergePlace::Left : MergePlace::Right);
    });
    replay::add("MergeByKey", [](CSVDBS& open, const replay::Parameters& p) {
        CSVDBS second;
        readSecond(second, p);
        KeyChoice choice;
        choice.where = p.flag("left") ? MergePlace::Left : MergePlace::Right;
        choice.openKey = p.field(open, "field");
        choice.secondKey = p.text("secondKey");
        try {
            choice.columns = textsOfList(p.text("columns"));
            choice.kind = joinKindNamed(p.text("join"));
            choice.looseKeys = p.text("keys") == "loose";
            choice.everyMatch = p.text("repeats") == "every";
            mergeByKey(open, second, choice);
        } catch (const KeyMergeError& bad) {
            throw replay::ReplayError(std::string("MergeByKey: ") + bad.what());
        } catch (const std::invalid_argument&) {
            throw replay::ReplayError("MergeByKey: \"columns\" is not a list of headings.");
        }
    });
}

} // namespace CombineFiles
