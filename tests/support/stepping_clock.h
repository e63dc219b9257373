#pragma once

#include <utility>

#include "acquire/utc_clock.h"

namespace kelvanor::testing {

using std::chrono::milliseconds;
using TimePoint = std::chrono::system_clock::time_point;
const TimePoint kNoon(milliseconds(1612443296123LL));  // 2021-02-04 12:54:56.123 UTC

// Every reading returns the current time, then moves on by `step`.
struct SteppingClock final : UtcClock {
    explicit SteppingClock(TimePoint start = kNoon, milliseconds step = {})
        : now(start), step(step) {}
    TimePoint Now() const override { return std::exchange(now, now + step); }
    mutable TimePoint now;  // the next reading
    const milliseconds step;
};

}  // namespace kelvanor::testing
