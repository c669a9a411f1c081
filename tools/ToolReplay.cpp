#include "tools/ToolReplay.h"

#include <algorithm>

#include "store/CSVDBS.h"
#include "store/Replay.h"
#include "tools/ColumnEdits.h"

namespace ColumnEdits {

namespace {

// The fields a step names, each one the file has.
std::vector<int> fieldsOf(const CSVDBS& store, const replay::Parameters& p, const char* name)
{
    std::vector<int> fields = p.fields(name);
    for (const int f : fields)
        if (f < 1 || f > store.FieldCount())
            throw replay::ReplayError("The file has no column " + std::to_string(f) + ".");
    return fields;
}

} // namespace

void addToolOperations()
{
    using P = const replay::Parameters&;
    replay::add("RemovePartialDuplicates",
                [](CSVDBS& s, P p) { removePartialDuplicates(s, fieldsOf(s, p, "fields")); });
    replay::add("AddPrefixSuffix", [](CSVDBS& s, P p) {
        addPrefixSuffix(s, fieldsOf(s, p, "fields"), p.text("prefix"), p.text("suffix"));
    });
    replay::add("ChangeCase", [](CSVDBS& s, P p) {
        const long long style = p.number("style");
        if (style < static_cast<int>(CaseStyle::Proper) || style > static_cast<int>(CaseStyle::Sentence))
            throw replay::ReplayError("ChangeCase has no style " + std::to_string(style) + ".");
        changeCase(s, fieldsOf(s, p, "fields"), static_cast<CaseStyle>(style));
    });
    replay::add("SplitColumns",
                [](CSVDBS& s, P p) { splitColumns(s, fieldsOf(s, p, "fields"), p.text("divider")); });
    replay::add("JoinColumns", [](CSVDBS& s, P p) {
        JoinOptions options;
        options.separator = p.text("separator");
        options.cutLastSeparator = p.flag("cutLastSeparator");
        options.newColumn = p.flag("newColumn");
        options.newName = p.text("newName");
        joinColumns(s, fieldsOf(s, p, "fields"), options);
    });
    replay::add("RearrangeColumns", [](CSVDBS& s, P p) {
        const std::vector<int> order = fieldsOf(s, p, "order");
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        if (static_cast<int>(order.size()) != s.FieldCount() || std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
            throw replay::ReplayError("The new column order does not name each of the file's " + std::to_string(s.FieldCount())
                                      + " columns once.");
        rearrangeColumns(s, order);
    });
}

} // namespace ColumnEdits
