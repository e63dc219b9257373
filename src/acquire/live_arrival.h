#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/live_beacon.h"
#include "decode/beacon_decoder.h"

namespace kelvanor {

struct FrameRoad;
class UtcClock;

// Why appending to the day's recording failed, as the window reports it.
enum class FileErrorKind {
    None,             // written
    FileNotFound,     // the folder is gone or a path component is not a folder
    FileAlreadyOpen,  // another program holds the file
    DiskNotReady,     // the medium failed, is full, read-only or absent
    Other,            // anything else (e.g. no permission): not reported
};

// The kind for an errno value; 0 gives None.
FileErrorKind FileErrorKindOf(int errorNumber);

// The message box text for a kind ("File Not Found", "File Already Open",
// "Disk Not Ready"), or nullptr for None and Other, which show nothing.
const char* FileErrorMessage(FileErrorKind kind);

// What happened to one arrival (one read of everything the socket held).
struct ArrivalOutcome {
    bool handled = false;          // 10 bytes or more once FENDs are removed and un-escaped
    bool decodeAttempted = false;  // exactly 201 bytes: handed to the decoder
    DecodeResult decode;           // the decoder's result when attempted
    bool recorded = false;         // the timestamp record and the chunk were appended
    std::string recordingPath;     // the day's recording, when handled
    std::string fileError;         // empty, or why the append failed
    FileErrorKind errorKind = FileErrorKind::None;
    std::string statusText;        // what the status line says of it, when handled
    // Stream mode: the data frames the arrival completed and the records
    // its beacons were stored as.
    int framesCut = 0;
    std::vector<int> streamRecords;
    // Every beacon the arrival stored, on either road, with its reception time.
    std::vector<LiveBeacon> beacons;
};

// Takes one arrival on the road: un-escapes a copy with all FENDs dropped;
// from 10 bytes on, makes its hex text and RX timestamp current, decodes it
// when it is 201 bytes long (any address, any command byte) and appends the
// timestamp record plus the chunk exactly as received to the day's recording
// in `recordingDir`, named after the clock's UTC date. A failed append is
// reported in the outcome. The display is not refreshed.
ArrivalOutcome ReceiveArrival(const FrameRoad& road, std::string_view rawChunk, const UtcClock& clock,
                              const std::string& recordingDir);

class KissStream;

// Takes one arrival of a KISS stream: the arrival, whatever its length, is
// appended exactly as received to the day's recording, behind its own
// timestamp record when it begins between two frames (an arrival that goes
// on with an open frame, or after a stamp of the stream whose data frame is
// still to come, follows the bytes before it directly, so frame and stamp
// stay together in the file); the record's time stamps the frames after it
// until the stream sends its own stamp, as the file reader sees them;
// then `stream` cuts the frames it completes and
// decodes the beacons among them.
ArrivalOutcome ReceiveStreamArrival(const FrameRoad& road, KissStream& stream, std::string_view rawChunk,
                                    const UtcClock& clock, const std::string& recordingDir);

// Reads the clock, makes "<UTC now> UTC" the current RX timestamp and appends
// its timestamp record (FEND, 0x09, the 27 characters, FEND) to `out`.
void WriteTimestampFrame(std::string& rxTimestamp, const UtcClock& clock, std::string& out);

// The path of the recording for the UTC text `utcNow` ("yyyy-MM-dd ..."):
// its first 10 characters + "_kelvanor.kss", inside `recordingDir`.
std::string RecordingPathFor(const std::string& recordingDir, std::string_view utcNow);

// Appends `bytes` in one write to `path`, creating the file when missing;
// the file is closed again before returning. A link, FIFO, socket, device or
// folder at that name is refused (kNotRegularFile, errno value EINVAL, or
// EISDIR for a folder) without following or waiting on it. On failure
// returns false with the reason in `error` and the errno value in
// `errorNumber`, and the file as it was before (a part that fitted on a full
// disk is cut off again).
bool AppendWhole(const std::string& path, std::string_view bytes, std::string& error,
                 int& errorNumber);

// The most of the frame log a recorder that runs unattended keeps: enough for
// the lines of a full store (the window's debug page shows as much).
inline constexpr std::size_t kKeptLogBytes = 9u << 19;

// Once `log` is longer than `limit`, drops its oldest whole lines, down to
// three quarters of the limit, so that trimming is rare and the newest
// lines stay.
void TrimFrameLog(std::string& log, std::size_t limit);

// The socket state texts, 0..9; "" for any other state.
const char* WinsockStateText(int state);

struct IndicatorColour {
    std::uint8_t red, green, blue;
    friend bool operator==(const IndicatorColour&, const IndicatorColour&) = default;
};

// The connection indicator's colour for a socket state: light grey when
// closed, green when connected, red on error, yellow in between; nothing
// (keep the current colour) for an unknown state.
std::optional<IndicatorColour> WinsockStateColour(int state);

}  // namespace kelvanor
