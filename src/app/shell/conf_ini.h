#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanor {

// The settings of conf.ini and what reading it ran into.
struct Configuration {
    std::string imagePath;  // screenshot folder, ends with the folder separator
    std::string server;     // TCP_SERVER, upper-cased; empty when absent
    std::string portText;   // TCP_PORT as written (upper-cased)
    std::optional<std::int32_t> port;  // TCP_PORT as a number, when it is one
    bool screenshotButton = true;      // SCREENSHOT=YES or no SCREENSHOT line
    // FOLLOW_NEWEST=YES: every live arrival ends on the newest record, the
    // scroll bar moved to it; otherwise the chart redraw leaves record 1 shown.
    bool followNewest = false;
    // The station link. SERIAL_PORT and RECORD_DIR keep their letter case
    // (paths); SERIAL_BAUD is 9600 when absent. KISS_STREAM=YES cuts frames
    // out of the byte stream; RECONNECT=YES tries a lost link again.
    std::string serialPort;
    int serialBaud = 9600;
    bool kissStream = false;
    bool reconnect = false;
    std::string recordDir;
    // Forwarding to telemetry databases: every SIDS_URL line is one server
    // (kept as written); the other keys as the last line gives them.
    std::vector<std::string> sidsUrls;
    std::string sidsNoradId, sidsCallsign, sidsLatitude, sidsLongitude;
    // ARCHIVE: the station archive's path as written (empty: the default in
    // the data folder); ARCHIVE=NO turns the window's archive off.
    std::string archive;
    bool archiveOff = false;
    // STALE_SECONDS: the live indicator says when no beacon has arrived for
    // this long while a link is up; 0 (absent) is off.
    int staleSeconds = 0;

    // Problems worth telling the operator (missing file, a line without "=",
    // a port that is not a number). Empty when all went well.
    std::vector<std::string> problems;

    // "[" server ":" port "]", the socket line before the first state.
    std::string ServerLabel() const { return "[" + server + ":" + portText + "]"; }
};

// Parses conf.ini text. Lines starting with "#" and empty lines are skipped;
// every other line is upper-cased whole and split at its first "=" into a
// trimmed key and value; the last occurrence of a key wins and unknown keys
// are ignored. IMAGE_PATH keeps the letter case it was written in, since
// folder names are case-sensitive here. `programDir` (with a trailing
// separator) is the default image folder.
Configuration ParseConfiguration(std::string_view text, const std::string& programDir);

// Reads the conf.ini at `path`, with `defaultImageFolder` (ending in "/")
// as the screenshot folder when IMAGE_PATH is absent. A missing or unreadable
// file gives the defaults with a problem noted.
Configuration ReadConfigurationFile(const std::string& path, const std::string& defaultImageFolder);

// Reads `programDir` + "conf.ini"; a missing or unreadable file gives the
// defaults with a problem noted.
Configuration ReadConfiguration(const std::string& programDir);

}  // namespace kelvanor
