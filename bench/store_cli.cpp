// A command-line driver of the record store's public operations, so that the
// store can be timed as a whole process beside text tools doing the same work
// (bench/peers.sh). Not part of the program.
//
//   store_cli --generate ROWS FILE
//   store_cli --generate-versions ROWS OLD NEW
//   store_cli [--phases] [--undo] [--journal DIR] [--standard] IN OUT [dedupe] [sort FIELD]
//             [replace FIND REPLACE] [edit COUNT]
//
// Loads IN, applies the operations in the order given, and writes the result
// to OUT (OUT "-" only loads and applies). --phases prints each step's time to
// standard error; --standard reads and writes under the standard quoting
// rule. Like the text tools it is timed beside, a batch run keeps no undo
// history unless --undo asks for the window's. --journal keeps the window's
// crash journal in DIR as well (with --undo, as the journal follows the
// history); with --phases it then says how many bytes the journal holds
// before the write. `edit COUNT` edits that many cells, one step each.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <string>
#include <vector>

#include "bench/DataGenerator.h"
#include "store/CSVDBS.h"
#include "store/journal/StoreJournal.h"
#include "store/modCSV.h"

namespace {

using Clock = std::chrono::steady_clock;

class PhaseClock {
public:
    explicit PhaseClock(bool report) : m_report(report), m_last(Clock::now()) {}
    void done(const char* what)
    {
        const auto now = Clock::now();
        if (m_report)
            std::fprintf(stderr, "%-8s %8.3f s\n", what, std::chrono::duration<double>(now - m_last).count());
        m_last = now;
    }

private:
    bool m_report;
    Clock::time_point m_last;
};

// How much of the process sits on transparent huge pages, for --phases.
void reportHugePages()
{
    std::ifstream rollup("/proc/self/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line))
        if (line.rfind("AnonHugePages:", 0) == 0 || line.rfind("Rss:", 0) == 0)
            std::fprintf(stderr, "%s\n", line.c_str());
}

int usage()
{
    std::fprintf(stderr, "usage: store_cli --generate ROWS FILE\n"
                         "       store_cli --generate-versions ROWS OLD NEW\n"
                         "       store_cli --generate-orders ROWS FILE\n"
                         "       store_cli --generate-lookup ROWS FILE\n"
                         "       store_cli [--phases] [--undo] [--standard] IN OUT [dedupe] [sort FIELD] [replace FIND REPLACE]\n");
    return 2;
}

int generateVersions(const char* rows, const char* olderPath, const char* newerPath)
{
    const auto [older, newer] = makeVersionsCsv(std::atoi(rows));
    std::ofstream a(olderPath, std::ios::binary), b(newerPath, std::ios::binary);
    a.write(older.data(), static_cast<std::streamsize>(older.size()));
    b.write(newer.data(), static_cast<std::streamsize>(newer.size()));
    return a && b ? 0 : 1;
}

int generate(const std::string& kind, const char* rows, const char* path)
{
    const int n = std::atoi(rows);
    const std::string text = kind == "--generate-orders"   ? makeOrdersCsv(n)
                             : kind == "--generate-lookup" ? makeLookupCsv(n)
                                                           : makePeopleCsv(n);
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out ? 0 : 1;
}

bool fail(const char* what, const std::string& why)
{
    std::fprintf(stderr, "store_cli: %s failed%s%s\n", what, why.empty() ? "" : ": ", why.c_str());
    return false;
}

bool apply(CSVDBS& store, const std::vector<std::string>& ops, PhaseClock& clock)
{
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const std::string& op = ops[i];
        if (op == "dedupe") {
            RemoveDuplicateRows(store);
            clock.done("dedupe");
        } else if (op == "sort" && i + 1 < ops.size()) {
            if (!store.SortData(1, ops[++i]))
                return fail("sort", "no field " + ops[i]);
            clock.done("sort");
        } else if (op == "replace" && i + 2 < ops.size()) {
            store.FindAndReplace(ops[i + 1], ops[i + 2]);
            i += 2;
            clock.done("replace");
        } else if (op == "edit" && i + 1 < ops.size()) {
            const int count = std::atoi(ops[++i].c_str());
            for (int n = 0; n < count; ++n)
                store.PutValue(1 + n % store.RecordCount(), 1 + n % store.FieldCount(), "edited " + std::to_string(n));
            clock.done("edit");
        } else {
            return fail("reading the operations", "unknown or incomplete " + op);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "--generate-versions")
        return generateVersions(args[1].c_str(), args[2].c_str(), args[3].c_str());
    if (args.size() == 3 && args[0].starts_with("--generate"))
        return generate(args[0], args[1].c_str(), args[2].c_str());
    const auto flag = [&args](const char* name) {
        const bool given = !args.empty() && args[0] == name;
        if (given)
            args.erase(args.begin());
        return given;
    };
    const bool phases = flag("--phases");
    const bool undo = flag("--undo");
    std::string journalFolder;
    if (flag("--journal") && !args.empty()) {
        journalFolder = args[0];
        args.erase(args.begin());
    }
    const bool standard = flag("--standard");
    if (args.size() < 2)
        return usage();

    PhaseClock clock(phases);
    CSVDBS store;
    if (!undo)
        store.HistoryBudget(0);
    store.StandardQuoting(standard);
    store.FileName(args[0]);
    if (!store.LoadFile())
        return fail("load", store.LastFileError()) ? 0 : 1;
    clock.done("load");
    std::unique_ptr<StoreJournal> journal;
    if (!journalFolder.empty())
        journal = std::make_unique<StoreJournal>(store, journalFolder, "cli");
    if (!apply(store, {args.begin() + 2, args.end()}, clock))
        return 1;
    // The window never waits for its journal; only a report of its size does.
    if (journal && phases) {
        journal->sync();
        clock.done("journal");
        if (!journal->path().empty())
            std::fprintf(stderr, "journal  %lld bytes\n", static_cast<long long>(std::filesystem::file_size(journal->path())));
    }
    if (args[1] != "-") {
        store.FileName(args[1]);
        if (!store.WriteFile())
            return fail("write", store.LastFileError()) ? 0 : 1;
        clock.done("write");
    }
    if (phases)
        reportHugePages();
    return 0;
}
