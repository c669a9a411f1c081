#include "tools/ToolReplay.h"

#include <algorithm>

#include "store/CSVDBS.h"
#include "store/Replay.h"
#include "tools/ColumnEdits.h"

namespace ColumnEdits {

void addToolOperations()
{
    using P = const replay::Parameters&;
    replay::add("RemovePartialDuplicates",
                [](CSVDBS& s, P p) { removePartialDuplicates(s, p.fields(s, "fields")); });
    replay::add("AddPrefixSuffix", [](CSVDBS& s, P p) {
        addPrefixSuffix(s, p.fields(s, "fields"), p.text("prefix"), p.text("suffix"));
    });
    replay::add("ChangeCase", [](CSVDBS& s, P p) {
        const long long style = p.number("style");
        if (style < static_cast<int>(CaseStyle::Proper) || style > static_cast<int>(CaseStyle::Sentence))
            throw replay::ReplayError("ChangeCase has no style " + std::to_string(style) + ".");
        changeCase(s, p.fields(s, "fields"), static_cast<CaseStyle>(style));
    });
    replay::add("SplitColumns",
                [](CSVDBS& s, P p) { splitColumns(s, p.fields(s, "fields"), p.text("divider")); });
    replay::add("JoinColumns", [](CSVDBS& s, P p) {
        JoinOptions options;
        options.separator = p.text("separator");
        options.cutLastSeparator = p.flag("cutLastSeparator");
        options.newColumn = p.flag("newColumn");
        options.newName = p.text("newName");
        joinColumns(s, p.fields(s, "fields"), options);
    });
    replay::add("RearrangeColumns", [](CSVDBS& s, P p) {
        const std::vector<int> order = p.fields(s, "order");
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        if (static_cast<int>(order.size()) != s.FieldCount() || std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
            throw replay::ReplayError("The new column order does not name each of the file's " + std::to_string(s.FieldCount())
                                      + " columns once.");
        rearrangeColumns(s, order);
    });
}

} // namespace ColumnEdits
