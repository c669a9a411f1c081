#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/history/StepOperation.h"

class CSVDBS;

// Runs a step's operation again, from its data alone, on a store: what a
// recipe or a crash journal rests on. The store's own operations are known
// here; the layers above add theirs (a tool's, a combine's) by name.
namespace replay {

// An operation whose data cannot run: unknown, a parameter missing or of the
// wrong kind, or a column or record it names is not there.
struct ReplayError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An operation's parameters, read by name.
class Parameters {
public:
    explicit Parameters(const StepOperation& operation) : m_operation(operation) {}
    // Whether the step's data gives `name`, for a parameter it may leave out.
    bool has(std::string_view name) const;
    const std::string& text(std::string_view name) const;
    long long number(std::string_view name) const;
    bool flag(std::string_view name) const { return number(name) != 0; }
    // A field by position, or a list of them ("2,5,7"), each one `store`
    // has.
    int field(const CSVDBS& store, std::string_view name) const;
    std::vector<int> fields(const CSVDBS& store, std::string_view name) const;
    // "a,b,c" as its pieces; an empty text has none.
    std::vector<std::string_view> list(std::string_view name) const;
    // "3-7,12": the numbers of every run.
    std::vector<long long> runs(std::string_view name) const;
    const std::vector<std::pair<std::string, std::string>>& all() const { return m_operation.parameters; }

private:
    const StepOperation& m_operation;
};

using Run = std::function<void(CSVDBS& store, const Parameters& parameters)>;

// Makes `name` known; a later call for the same name replaces the run.
void add(const std::string& name, Run run);
bool knows(const std::string& name);
// How a step finds its columns: by the headings they had when it was done
// (where its data names them), so that it runs on a file whose columns stand
// elsewhere; or by position, as on the very file it was done on.
enum class Columns { ByHeading, ByPosition };

// Runs `operation` on `store` as one step; throws ReplayError.
void run(CSVDBS& store, const StepOperation& operation, Columns columns = Columns::ByHeading);

} // namespace replay
