#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanor {

// What a telemetry database is told about the station with every frame.
struct SidsStation {
    std::string noradId;   // the satellite's catalogue number, digits
    std::string callsign;  // the station's callsign
    double latitude = 0;   // degrees, negative south
    double longitude = 0;  // degrees, negative west
    std::string version;   // the program's version
};

// The forwarding settings as the operator wrote them (conf.ini or options).
struct SidsSettings {
    std::vector<std::string> urls;  // one server each; none: forwarding off
    std::string noradId, callsign, latitude, longitude;
};

// The station the settings describe, or why forwarding stays off (in
// `problem`, e.g. "SiDS forwarding off: SIDS_CALLSIGN is empty"). Settings
// without a server give nothing and no problem.
std::optional<SidsStation> StationFrom(const SidsSettings& settings, const std::string& version,
                                       std::string& problem);

// "yyyy-MM-dd HH:mm:ss.mmm" as "yyyy-MM-ddTHH:mm:ss.mmmZ"; empty when the
// text is not of that form.
std::string SidsTimestamp(std::string_view utc);

// Degrees as a positive decimal with "." and the hemisphere's letter:
// PositionText(-8.95564, 'E', 'W') is "8.95564W".
std::string PositionText(double degrees, char positive, char negative);

// application/x-www-form-urlencoded: letters, digits and "-._~" stay, a
// blank becomes "+", every other byte "%XX".
std::string FormEncode(std::string_view text);

// The request body of one frame (command byte at offset 0) received at
// `utc`: noradID, source, timestamp, frame (hex of the bytes after the
// command byte), locator, longitude, latitude, version. Empty when `utc` is
// no UTC text.
std::string SidsRequestBody(const SidsStation& station, std::string_view frame,
                            std::string_view utc);

}  // namespace kelvanor
