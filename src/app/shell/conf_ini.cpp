#include "app/shell/conf_ini.h"

#include <cctype>
#include <charconv>
#include <optional>

#include "acquire/file_io.h"

namespace kelvanor {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The whole text as a number, nothing before or after it.
std::optional<int> WholeNumber(std::string_view text) {
    int number = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), number);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return number;
}

}  // namespace

Configuration ParseConfiguration(std::string_view text, const std::string& programDir) {
    Configuration config;
    config.imagePath = programDir;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            if (!Trim(line).empty()) {
                config.problems.push_back("conf.ini line " + std::to_string(lineNumber) +
                                          " has no \"=\" and was ignored");
            }
            continue;
        }
        const std::string key = Upper(Trim(line.substr(0, eq)));
        const std::string_view rawValue = Trim(line.substr(eq + 1));
        const std::string value = Upper(rawValue);
        if (key == "IMAGE_PATH") {
            config.imagePath = std::string(rawValue);
        } else if (key == "TCP_SERVER") {
            config.server = value;
        } else if (key == "TCP_PORT") {
            config.portText = value;
            config.port = WholeNumber(value);
            if (!config.port) config.problems.push_back("TCP_PORT \"" + value + "\" is not a number");
        } else if (key == "SCREENSHOT") {
            config.screenshotButton = value == "YES";
        } else if (key == "FOLLOW_NEWEST") {
            config.followNewest = value == "YES";
        } else if (key == "SERIAL_PORT") {
            config.serialPort = std::string(rawValue);
        } else if (key == "SERIAL_BAUD") {
            if (const auto baud = WholeNumber(value); baud && *baud > 0) {
                config.serialBaud = *baud;
            } else {
                config.problems.push_back("SERIAL_BAUD \"" + value + "\" is not a number; 9600 is used");
            }
        } else if (key == "KISS_STREAM") {
            config.kissStream = value == "YES";
        } else if (key == "RECONNECT") {
            config.reconnect = value == "YES";
        } else if (key == "RECORD_DIR") {
            config.recordDir = std::string(rawValue);
        } else if (key == "SIDS_URL") {
            if (!rawValue.empty()) config.sidsUrls.emplace_back(rawValue);
        } else if (key == "SIDS_NORAD_ID") {
            config.sidsNoradId = value;
        } else if (key == "SIDS_CALLSIGN") {
            config.sidsCallsign = value;
        } else if (key == "SIDS_LATITUDE") {
            config.sidsLatitude = value;
        } else if (key == "SIDS_LONGITUDE") {
            config.sidsLongitude = value;
        } else if (key == "ARCHIVE") {
            config.archive = std::string(rawValue);
            config.archiveOff = value == "NO";
        } else if (key == "STALE_SECONDS") {
            if (const auto seconds = WholeNumber(value); seconds && *seconds >= 0) {
                config.staleSeconds = *seconds;
            } else {
                config.problems.push_back("STALE_SECONDS \"" + value +
                                          "\" is not a number of seconds; off");
            }
        }
    }
    return config;
}

Configuration ReadConfigurationFile(const std::string& path, const std::string& defaultImageFolder) {
    std::string text, error;
    if (!ReadWholeFile(path, text, error)) {
        Configuration config = ParseConfiguration("", defaultImageFolder);
        config.problems.push_back("cannot read " + path + " (" + error + "); using the defaults");
        return config;
    }
    return ParseConfiguration(text, defaultImageFolder);
}

Configuration ReadConfiguration(const std::string& programDir) {
    return ReadConfigurationFile(programDir + "conf.ini", programDir);
}

}  // namespace kelvanor
