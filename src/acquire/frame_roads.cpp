#include "acquire/frame_roads.h"

#include "acquire/frame_tap.h"
#include "acquire/kiss_framing.h"
#include "decode/beacon_encoder.h"
#include "decode/regional_settings.h"

namespace kelvanor {

bool HasBeaconAddress(std::string_view frame) {
    return frame.size() > kBeaconAddress.size() &&
           frame.substr(1, kBeaconAddress.size()) == kBeaconAddress;
}

std::string NumericTimestampText(unsigned long long milliseconds, const RegionalSettings& regional) {
    const unsigned long long seconds = milliseconds / 1000;
    CivilDateTime t;
    CivilFromDays(static_cast<long long>(seconds / 86400), t.year, t.month, t.day);
    const unsigned long long inDay = seconds % 86400;
    t.hour = static_cast<int>(inDay / 3600);
    t.minute = static_cast<int>(inDay / 60 % 60);
    t.second = static_cast<int>(inDay % 60);
    std::string out = FormatDateTime(t, regional);
    const int milli = static_cast<int>(milliseconds % 1000);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + milli / 100));
    out.push_back(static_cast<char>('0' + milli / 10 % 10));
    out.push_back(static_cast<char>('0' + milli % 10));
    out.append(" UTC");
    return out;
}

std::optional<unsigned long long> NumericTimestampMs(std::string_view record) {
    if (record.size() != 9) return std::nullopt;
    unsigned long long ms = 0;
    for (char c : record.substr(1)) ms = (ms << 8) | static_cast<unsigned char>(c);
    // Dates run from the year 100 to 9999.
    static const unsigned long long kEnd =
        static_cast<unsigned long long>(DaysFromCivil(10000, 1, 1)) * 86400000ULL;
    if (ms >= kEnd) return std::nullopt;
    return ms;
}

void HandleTimestampRecord(const FrameRoad& road, std::string_view record) {
    if (record.size() == 9) {
        road.hexText.clear();
        AppendHex(road.hexText, record.substr(1));
        // A count that names no date leaves the RX timestamp as it was.
        const auto ms = NumericTimestampMs(record);
        if (!ms) return;
        road.rxTimestamp = NumericTimestampText(*ms, road.regional);
        if (road.tap != nullptr) {
            road.tap->numericText = road.rxTimestamp;
            road.tap->numericMs = static_cast<std::int64_t>(*ms);
        }
        return;
    }
    // Text form: the 27 characters that end with the first "UTC", provided
    // it starts at 1-based position 25 or later.
    const std::size_t utc = record.find("UTC");
    if (utc == std::string_view::npos || utc + 1 < 25) return;
    road.rxTimestamp.assign(record.substr(utc - 24, 27));
}

bool HandleRecordingPiece(const FrameRoad& road, std::string_view frame, std::uint64_t position) {
    if (frame.empty()) return false;
    if (frame[0] == kTimestampCommand) {
        HandleTimestampRecord(road, frame);
        return false;
    }
    road.hexText.clear();
    AppendHex(road.hexText, frame.substr(1));
    const bool beacon = frame.size() == kBeaconLength && HasBeaconAddress(frame);
    const bool stored = beacon && road.Decode(frame).Stored();
    TapFrame(road, frame, beacon, position);
    return stored;
}

}  // namespace kelvanor
