#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "archive/archive.h"

namespace kelvanor {

struct Session;
struct RegionalSettings;
class ImportHooks;

// The most beacons one range load puts into the store: all it holds.
inline constexpr int kLargestRangeLoad = 10000;

// The RX timestamp text a frame's import would have set: the recorder's
// "yyyy-MM-dd HH:mm:ss.mmm UTC", a SatNOGS line's first 19 characters, or
// a numeric timestamp record's regional text.
std::string RxTimestampText(std::int64_t rxMs, RxTimeForm form, const RegionalSettings& regional);

// "yyyy-MM-dd HH:mm:ss" of a UTC millisecond count.
std::string UtcSecondsText(std::int64_t ms);

// A time the operator typed: "yyyy-MM-ddTHH:mm:ssZ" or "yyyy-MM-dd HH:mm:ss",
// UTC. Nothing for any other text.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

struct RangeLoad {
    int loaded = 0;
    bool more = false;  // the range holds more beacons than were loaded
    std::string error;  // the query failed; nothing was loaded
    // What the status line says of it.
    std::string Summary(const std::string& archivePath) const;
};

// Loads the newest beacons of `range` (at most kLargestRangeLoad), oldest
// first, into the session exactly as an import does: the reset, each
// decoded with its own RX timestamp, then the refresh after a file. The
// counter text shows the progress every 1000 beacons, when pending events
// run.
RangeLoad LoadArchiveRange(Session& session, Archive& archive, const TimeRange& range,
                           ImportHooks& hooks);

}  // namespace kelvanor
