#include "combine/CombineReplay.h"

#include "combine/CombineFiles.h"
#include "store/CSVDBS.h"
#include "store/Replay.h"

namespace CombineFiles {

namespace {

// The second file, read as it was read when the step was done.
void readSecond(CSVDBS& second, const replay::Parameters& p)
{
    if (!readSecondFile(second, p.text("file"), p.text("separator"), p.flag("header")))
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
}

} // namespace CombineFiles
