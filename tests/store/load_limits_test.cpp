// What the loader may cost and what it refuses, with the true reason.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/read/ReadFrame.h"
#include "store/read/CsvReader.h"
#include "store/read/StandardCsvReader.h"
#include "store/RecordLimit.h"
#include "tests/support/CaseName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/Unprivileged.h"

namespace {

long statusKB(const char* key)
{
    std::ifstream status(key[0] == 'M' ? "/proc/meminfo" : "/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return 0;
}

std::string repeated(const std::string& piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string commas() { return std::string(30'000'000, ','); }

// The texts are made when a case runs: together they are over 100 MB.
struct PeakCase {
    const char* label;
    std::string (*text)();
    bool header;
    bool standard;
    bool tooManyFields; // else loads one record
};

class PeakMemory : public testing::TestWithParam<PeakCase> {};

const PeakCase peakCases[] = {
    {"a 32767-column header, one row, ten million bare CRs", [] {
         const std::string wide = "a" + repeated(",a", 32766) + "\r\n";
         return wide + wide + std::string(10'000'000, '\r');
     }, true, false, false},
    {"many blank lines", [] { return "A,B\r\n1,2\r\n" + repeated("  \r\n", 5'000'000); }, true, false, false},
    {"one enormous line", [] { return std::string(30'000'000, 'x'); }, false, false, false},
    // Refused for its field count as soon as the line is read, under either rule.
    {"a line of commas, simple rule", commas, true, false, true},
    {"a line of commas, standard rule", commas, true, true, true},
    {"a record of commas under one heading, standard rule", [] { return "h\r\n" + commas(); }, true, true, false},
};

} // namespace

TEST_P(PeakMemory, StaysUnderTwoAndAHalfTimesTheFile)
{
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer does not run under an address-space limit";
    const PeakCase& c = GetParam();
    const std::string error = c.tooManyFields ? readframe::tooManyFields() : "";
    TempDir dir;
    const std::string text = c.text();
    const std::string path = dir.file("big.csv", text);
    const std::size_t size = text.size();
    runUnprivileged([&] {
        rlimit limit {};
        CHILD_CHECK(::getrlimit(RLIMIT_AS, &limit) == 0);
        limit.rlim_cur = static_cast<rlim_t>(statusKB("VmSize:")) * 1024 + size * 5 / 2;
        CHILD_CHECK(::setrlimit(RLIMIT_AS, &limit) == 0);
        CSVDBS s;
        s.FileName(path);
        s.HeaderLine(c.header);
        s.StandardQuoting(c.standard);
        if (!s.LoadFile() && error.empty())
            std::fprintf(stderr, "load failed: %s\n", s.LastFileError().c_str());
        CHILD_CHECK(s.LastFileError() == error);
        CHILD_CHECK(s.RecordCount() == (error.empty() ? 1 : -1));
    });
}

INSTANTIATE_TEST_SUITE_P(LoadLimits, PeakMemory, testing::ValuesIn(peakCases), ByLabel());

TEST(LoadLimits, ValueOverFourGiBLoadsWhole)
{
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "a 4 GiB value is beyond the sanitizer build's memory";
    // Minutes of reading and 4 GiB of memory: run on request only.
    if (!std::getenv("TABVANE_BIG_TESTS"))
        GTEST_SKIP() << "reads a 4 GiB value; set TABVANE_BIG_TESTS=1 to run it";
    if (statusKB("MemAvailable:") < 12L * 1024 * 1024)
        GTEST_SKIP() << "needs 12 GiB of free memory to read a 4 GiB value";
    TempDir dir;
    const std::string path = dir.path() + "/huge.csv";
    { // sparse: costs no disk, reads back as one line of zero bytes
        std::ofstream out(path, std::ios::binary);
    }
    ASSERT_EQ(::truncate(path.c_str(), (4LL << 30) + 16), 0);
    CSVDBS s;
    s.FileName(path);
    s.HeaderLine(false);
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(s.ValueAt(1, 1).size(), (std::size_t{4} << 30) + 16);
}

TEST(LoadLimits, MoreRecordsThanARecordNumberHoldsFailBeforeNarrowing)
{
    const std::string text = "H\r\n1\r\n2\r\n3\r\n";
    const auto read = [&](std::size_t maxRecords) {
        auto bytes = huge::allocateBytes(text.size());
        std::memcpy(bytes.get(), text.data(), text.size());
        CellTable table;
        return readCsv(std::move(bytes), text.size(), CsvReadOptions{",", true, false, maxRecords}, table, {});
    };
    EXPECT_TRUE(read(3).ok);
    const CsvReadResult over = read(2);
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.error, "The file has more than 2 records.");

    EXPECT_EQ(checkedRecordNumber(MaxRecords), 2147483647);
    EXPECT_THROW(checkedRecordNumber(MaxRecords + 1), StoreError);
}

// The loading text counts lines under both rules, as an editor shows them:
// a quoted value's line break is a line too.
TEST(LoadLimits, ProgressCountsLinesUnderBothRules)
{
    const std::string rows = repeated("x,y\r\n", 20000);
    for (const bool standard : {false, true}) {
        const std::string text = (standard ? "a,b\r\n\"two\r\nlines\",x\r\n" : "a,b\r\n\r\n") + rows;
        auto bytes = huge::allocateBytes(text.size());
        std::memcpy(bytes.get(), text.data(), text.size());
        CellTable table;
        CsvReadOptions options{",", true, false};
        options.progressInterval = std::chrono::milliseconds(0);
        std::int64_t lastDone = 0, total = 0, reports = 0;
        const ProgressCallback progress = [&](std::int64_t done, std::int64_t all) {
            EXPECT_GE(done, lastDone);
            EXPECT_LE(done, all);
            lastDone = done;
            total = all;
            ++reports;
        };
        const CsvReadResult r = standard ? readStandardCsv(std::move(bytes), text.size(), options, table, progress)
                                         : readCsv(std::move(bytes), text.size(), options, table, progress);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_GT(reports, 0) << "standard " << standard;
        EXPECT_EQ(total, 20003) << "standard " << standard;
    }
}
