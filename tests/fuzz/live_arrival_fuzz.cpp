// Any sequence of socket reads through the live road: the input is cut into
// arrivals by two-byte little-endian lengths. Every handled arrival must land
// in the day's recording as its timestamp record plus the bytes as read.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "acquire/live_arrival.h"
#include "fuzz_session.h"
#include "session/handlers.h"
#include "support/stepping_clock.h"

namespace {

const std::string& RecordingDir() {
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/kelvanor-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern.data())) + "/";
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvanor;
    Session& s = fuzz::FreshSession();
    const testing::SteppingClock clock;  // always 2021-02-04 12:54:56.123
    const std::string path = RecordingDir() + "2021-02-04_kelvanor.kss";
    std::filesystem::remove(path);

    std::size_t expectedSize = 0;
    std::size_t at = 0;
    while (at + 2 <= size) {
        std::size_t length = data[at] | (std::size_t{data[at + 1]} << 8);
        at += 2;
        if (length > size - at) length = size - at;
        const std::string_view chunk(reinterpret_cast<const char*>(data) + at, length);
        at += length;
        const int before = s.RecordCount();
        const ArrivalOutcome o = HandleArrival(s, chunk, clock, RecordingDir());
        FUZZ_CHECK(o.recorded == o.handled);
        if (o.handled) expectedSize += 30 + length;
        FUZZ_CHECK(s.RecordCount() == before + (o.decodeAttempted && o.decode.status != DecodeStatus::StoreFull ? 1 : 0));
    }
    std::error_code ec;
    const auto written = std::filesystem::file_size(path, ec);
    FUZZ_CHECK(ec ? expectedSize == 0 : written == expectedSize);
    return 0;
}
