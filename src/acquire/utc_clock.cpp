#include "acquire/utc_clock.h"

#include "decode/regional_settings.h"

namespace kelvanor {

std::string UtcText(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    return UtcTextOfMilliseconds(duration_cast<milliseconds>(when.time_since_epoch()).count());
}

std::string UtcTextOfMilliseconds(long long ms) {
    long long days = ms / 86400000;
    long long inDay = ms % 86400000;
    if (inDay < 0) {
        inDay += 86400000;
        --days;
    }
    CivilDateTime t;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(inDay / 3600000);
    t.minute = static_cast<int>(inDay / 60000 % 60);
    t.second = static_cast<int>(inDay / 1000 % 60);
    std::string out;
    out.reserve(27);
    AppendDate(out, t, "yyyy-MM-dd");
    out.push_back(' ');
    AppendTime(out, t, "HH:mm:ss");
    const int milli = static_cast<int>(inDay % 1000);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + milli / 100));
    out.push_back(static_cast<char>('0' + milli / 10 % 10));
    out.push_back(static_cast<char>('0' + milli % 10));
    return out;
}

std::string UtcNowText(const UtcClock& clock) { return UtcText(clock.Now()); }

}  // namespace kelvanor
