#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace kelvanor {

// Live reception's watch for silence: once a link is up, the time since the
// last beacon (or since the link came up) is measured, and after `seconds`
// the live indicator says so. Off when seconds is 0 (STALE_SECONDS absent).
class StaleWatch {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    void SetSeconds(int seconds) { m_seconds = seconds; }
    int Seconds() const { return m_seconds; }
    void Start(TimePoint now) { m_since = now; }  // the link came up
    void Stop() { m_since.reset(); }              // the link went down
    void Beacon(TimePoint now) {
        if (m_since) m_since = now;
    }
    // "no beacon for 125 s" once the silence has lasted the set time; empty
    // before, when off or with no link.
    std::string Note(TimePoint now) const;

private:
    int m_seconds = 0;
    std::optional<TimePoint> m_since;
};

}  // namespace kelvanor
