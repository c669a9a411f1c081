#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/TextCase.h"

class CSVDBS;

// The work behind the column tools. Columns are given by position (1-based),
// so that two fields whose names match each other are still told apart.
// Every operation runs over all records and reports through the store's
// progress callback.
namespace ColumnEdits {

// The pieces of `value` cut at every `divider`: none for an empty value, the
// value itself when the divider is empty or absent.
std::vector<std::string_view> cutValue(std::string_view value, std::string_view divider);

// Deletes every record whose values in `fields` repeat those of an earlier
// record; the first of each group stays.
void removePartialDuplicates(CSVDBS& store, const std::vector<int>& fields);

void addPrefixSuffix(CSVDBS& store, const std::vector<int>& fields, std::string_view prefix,
                     std::string_view suffix);

void changeCase(CSVDBS& store, const std::vector<int>& fields, CaseStyle style);

// Cuts each field's values at `divider`; the first piece stays, the others go
// into new fields ("1COLUMN", "2COLUMN" ...) right after it.
void splitColumns(CSVDBS& store, const std::vector<int>& fields, std::string_view divider);

struct JoinOptions {
    std::string separator;
    // Set for a separator the user typed: it is cut from the end before the
    // spaces are trimmed.
    bool cutLastSeparator = false;
    // Into a new last field of this name (numbered when taken), or, when
    // false, into the first of `fields`, the others being deleted.
    bool newColumn = true;
    std::string newName = "Joined Column";
};

// The joined text of one record: each value followed by the separator, the
// last separator cut when asked, spaces trimmed at both ends.
std::string joinedText(const CSVDBS& store, int record, const std::vector<int>& fields, const JoinOptions& options);

void joinColumns(CSVDBS& store, const std::vector<int>& fields, const JoinOptions& options);

// Reorders the fields so that field i is the one that stood at order[i-1].
// `order` is a permutation of 1..FieldCount().
void rearrangeColumns(CSVDBS& store, const std::vector<int>& order);

} // namespace ColumnEdits
