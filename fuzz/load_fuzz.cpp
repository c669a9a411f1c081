// libFuzzer entry for the CSV reader and writer round trip.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz/RoundTrip.h"

namespace {

const std::string& workFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tabvane-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!roundtrip::holds(data, size, workFolder()))
        std::abort();
    return 0;
}
