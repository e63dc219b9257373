#pragma once

#include <chrono>
#include <string>

namespace kelvanor {

// The UTC clock the live road stamps arrivals with; tests put a fixed one in.
class UtcClock {
public:
    virtual ~UtcClock() = default;
    virtual std::chrono::system_clock::time_point Now() const = 0;
};

class SystemUtcClock final : public UtcClock {
public:
    std::chrono::system_clock::time_point Now() const override {
        return std::chrono::system_clock::now();
    }
};

// "yyyy-MM-dd HH:mm:ss.mmm" of the clock's current UTC time (23 characters).
std::string UtcNowText(const UtcClock& clock);

// The same text for a given instant.
std::string UtcText(std::chrono::system_clock::time_point when);

// The same text for a count of milliseconds since 1970-01-01 00:00 UTC.
std::string UtcTextOfMilliseconds(long long ms);

}  // namespace kelvanor
