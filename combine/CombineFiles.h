#pragma once

#include <string>
#include <utility>
#include <vector>

#include "store/history/StepOperation.h"

class CSVDBS;

// Combining the open file with a second one, with no windows. Both work by
// position: column c of the second file goes to column c of the open file,
// record i of the second file to record i of the open file, whatever either
// file calls its columns.
namespace CombineFiles {

enum class AppendPlace { Above, Below };
enum class MergePlace { Left, Right };

// Reads `path` into `second` with the separator and header choice the user
// works with; false when the file cannot be read. `fillShort` opens lines
// with fewer values than there are fields with the rest empty; without it
// they fail the read.
bool readSecondFile(CSVDBS& second, const std::string& path, const std::string& separator, bool headerLine,
                    bool fillShort = false);

// The operation data of a step that adds `second`: how the file was read,
// then `rest`. Replaying it reads the file the same way.
StepOperation secondFileStep(std::string name, const CSVDBS& second,
                             std::vector<std::pair<std::string, std::string>> rest);

// Appending needs the same number of columns; a store with no file has none.
bool sameFieldCount(const CSVDBS& open, const CSVDBS& second);

// Adds the second file's records above or below the open file's, every value
// copied exactly, an empty one included. Both operations report through the
// open store's progress callback.
void appendRecords(CSVDBS& open, const CSVDBS& second, AppendPlace where);

// Adds the second file's columns in front of or after the open file's, record
// by record. A column whose name the open file already has comes in under the
// first free numbered name (1NAME, 2NAME, ...), so no existing column is
// overwritten. Records beyond the open file's count have nowhere to go; the
// open file's later records get empty cells.
void mergeFields(CSVDBS& open, const CSVDBS& second, MergePlace where);

// The name a second-file column comes in under: its own, or the first free
// numbered one (1NAME, 2NAME, ...) where the open file has it already.
std::string mergedName(const CSVDBS& open, const std::string& name);

} // namespace CombineFiles
