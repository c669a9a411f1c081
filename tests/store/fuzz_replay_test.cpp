// Replays the fuzzer's seed inputs and every input that ever broke the round
// trip, so a fixed fault stays fixed in the ordinary test run.
#include <filesystem>

#include "fuzz/RoundTrip.h"
#include "tests/store/StoreFixture.h"

namespace fs = std::filesystem;

TEST(FuzzReplay, EveryKeptInputRoundTrips)
{
    TempDir scratch;
    int replayed = 0;
    for (const char* folder : {TABVANE_SOURCE_DIR "/fuzz/corpus", TABVANE_TEST_DATA "/fuzz-regressions"}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
                continue;
            const std::string bytes = readFile(entry.path().string());
            SCOPED_TRACE(entry.path().string());
            EXPECT_TRUE(roundtrip::holds(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                         scratch.path()));
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 5);
}
