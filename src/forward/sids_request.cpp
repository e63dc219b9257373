#include "forward/sids_request.h"

#include <charconv>
#include <cmath>

namespace kelvanor {

namespace {

bool Digits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// A number of degrees from -limit to limit, written with "." only.
std::optional<double> Degrees(const std::string& text, double limit) {
    double value = 0;
    const auto end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || res.ec != std::errc() || res.ptr != end || !(std::fabs(value) <= limit)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<SidsStation> StationFrom(const SidsSettings& settings, const std::string& version,
                                       std::string& problem) {
    problem.clear();
    if (settings.urls.empty()) return std::nullopt;
    auto off = [&](const std::string& why) {
        problem = "SiDS forwarding off: " + why;
        return std::nullopt;
    };
    for (const std::string& url : settings.urls) {
        if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
            return off("SIDS_URL " + url + " is no http:// or https:// address");
        }
    }
    if (settings.noradId.empty()) return off("SIDS_NORAD_ID is missing");
    if (!Digits(settings.noradId))
        return off("SIDS_NORAD_ID " + settings.noradId + " is not a number");
    if (settings.callsign.empty()) return off("SIDS_CALLSIGN is empty");
    const auto latitude = Degrees(settings.latitude, 90);
    const auto longitude = Degrees(settings.longitude, 180);
    if (!latitude)
        return off("SIDS_LATITUDE \"" + settings.latitude +
                   "\" is no number of degrees from -90 to 90");
    if (!longitude) {
        return off("SIDS_LONGITUDE \"" + settings.longitude +
                   "\" is no number of degrees from -180 to 180");
    }
    if (*latitude == 0 && *longitude == 0) return off("the station's position is 0, 0");
    return SidsStation{settings.noradId, settings.callsign, *latitude, *longitude, version};
}

std::string SidsTimestamp(std::string_view utc) {
    // "yyyy-MM-dd HH:mm:ss.mmm": digits everywhere but at these places.
    static constexpr std::string_view kShape = "0000-00-00 00:00:00.000";
    if (utc.size() != kShape.size()) return {};
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = utc[i] >= '0' && utc[i] <= '9';
        if (kShape[i] == '0' ? !digit : utc[i] != kShape[i]) return {};
    }
    std::string out(utc);
    out[10] = 'T';
    out.push_back('Z');
    return out;
}

std::string PositionText(double degrees, char positive, char negative) {
    char buffer[32];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(degrees));
    std::string out(buffer, res.ptr);
    out.push_back(degrees < 0 ? negative : positive);
    return out;
}

std::string FormEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(c);
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
    }
    return out;
}

std::string SidsRequestBody(const SidsStation& station, std::string_view frame,
                            std::string_view utc) {
    const std::string timestamp = SidsTimestamp(utc);
    if (timestamp.empty() || frame.size() < 2) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * frame.size());
    for (char c : frame.substr(1)) {
        const auto b = static_cast<unsigned char>(c);
        hex.push_back(kHex[b >> 4]);
        hex.push_back(kHex[b & 15]);
    }
    std::string body;
    auto field = [&body](std::string_view name, std::string_view value) {
        if (!body.empty()) body.push_back('&');
        body.append(name).push_back('=');
        body.append(FormEncode(value));
    };
    field("noradID", station.noradId);
    field("source", station.callsign);
    field("timestamp", timestamp);
    field("frame", hex);
    field("locator", "longLat");
    field("longitude", PositionText(station.longitude, 'E', 'W'));
    field("latitude", PositionText(station.latitude, 'N', 'S'));
    field("version", station.version);
    return body;
}

}  // namespace kelvanor
