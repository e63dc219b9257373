#include "acquire/live_arrival.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"
#include "browse/scroll_state.h"
#include "channels/presentation.h"
#include "session/handlers.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"

namespace kelvanor {

namespace {

constexpr std::size_t kShortestHandled = 10;
constexpr const char* kUtcSuffix = " UTC";
constexpr std::size_t kDatePrefix = 10;  // "yyyy-MM-dd"

bool Is(int errorNumber, std::errc code) { return errorNumber == static_cast<int>(code); }

}  // namespace

FileErrorKind FileErrorKindOf(int errorNumber) {
    using E = std::errc;
    if (errorNumber == 0) return FileErrorKind::None;
    if (Is(errorNumber, E::no_such_file_or_directory) || Is(errorNumber, E::not_a_directory)) {
        return FileErrorKind::FileNotFound;
    }
    if (Is(errorNumber, E::text_file_busy) || Is(errorNumber, E::device_or_resource_busy) ||
        Is(errorNumber, E::resource_unavailable_try_again) ||
        Is(errorNumber, E::operation_would_block)) {
        return FileErrorKind::FileAlreadyOpen;
    }
    if (Is(errorNumber, E::io_error) || Is(errorNumber, E::no_space_on_device) ||
        Is(errorNumber, E::read_only_file_system) ||
        Is(errorNumber, E::no_such_device_or_address) || Is(errorNumber, E::no_such_device)) {
        return FileErrorKind::DiskNotReady;
    }
    return FileErrorKind::Other;
}

const char* FileErrorMessage(FileErrorKind kind) {
    switch (kind) {
        case FileErrorKind::FileNotFound: return "File Not Found";
        case FileErrorKind::FileAlreadyOpen: return "File Already Open";
        case FileErrorKind::DiskNotReady: return "Disk Not Ready";
        case FileErrorKind::None:
        case FileErrorKind::Other: break;
    }
    return nullptr;
}

std::string RecordingPathFor(const std::string& recordingDir, std::string_view utcNow) {
    std::string path = recordingDir;
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path.append(utcNow.substr(0, kDatePrefix)).append("_kelvanor.kss");
    return path;
}

bool AppendWhole(const std::string& path, std::string_view bytes, std::string& error,
                 int& errorNumber) {
    errorNumber = 0;
    std::error_code ec;
    const std::uintmax_t before = std::filesystem::file_size(path, ec);
    const bool existed = !ec;
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) {
        errorNumber = errno;
        error = std::strerror(errorNumber);
        return false;
    }
    // Unbuffered, so the whole entry goes to the file in a single write and a
    // program stopped between two arrivals never leaves half of one behind.
    std::setvbuf(f, nullptr, _IONBF, 0);
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (!written) errorNumber = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(f) == 0;
    if (written && !closed) errorNumber = errno != 0 ? errno : EIO;
    if (errorNumber != 0) error = std::strerror(errorNumber);
    if (!(written && closed)) {
        // A disk that fills up in the middle of the entry keeps the part
        // that fitted; cut it off, so the recording holds whole entries and
        // the next one that can be written follows the last whole one.
        if (existed) {
            std::filesystem::resize_file(path, before, ec);
        } else {
            std::filesystem::remove(path, ec);
        }
    }
    return written && closed;
}

void WriteTimestampFrame(Session& session, const UtcClock& clock, std::string& out) {
    session.currentRxTimestamp = UtcNowText(clock) + kUtcSuffix;
    out.append(TimestampRecord(session.currentRxTimestamp));
}

ArrivalOutcome HandleArrival(Session& session, std::string_view rawChunk, const UtcClock& clock,
                             const std::string& recordingDir) {
    ArrivalOutcome outcome;

    std::string withoutFend;
    withoutFend.reserve(rawChunk.size());
    for (char c : rawChunk) {
        if (c != kFend) withoutFend.push_back(c);
    }
    const std::string copy = KissUnescape(withoutFend);

    if (copy.size() >= kShortestHandled) {
        outcome.handled = true;
        session.currentHexText.clear();
        AppendHex(session.currentHexText, std::string_view(copy).substr(1));
        session.currentRxTimestamp = UtcNowText(clock) + kUtcSuffix;
        if (copy.size() == static_cast<std::size_t>(kBeaconLength)) {
            outcome.decodeAttempted = true;
            outcome.decode = DecodeBeacon(session, copy);
        }

        outcome.recordingPath = RecordingPathFor(recordingDir, UtcNowText(clock));
        std::string entry;
        entry.reserve(rawChunk.size() + 30);
        WriteTimestampFrame(session, clock, entry);
        entry.append(rawChunk);
        int errorNumber = 0;
        outcome.recorded = AppendWhole(outcome.recordingPath, entry, outcome.fileError, errorNumber);
        if (!outcome.recorded) outcome.errorKind = FileErrorKindOf(errorNumber);

        session.statusText = std::to_string(rawChunk.size()) + " bytes has been added to " +
                             outcome.recordingPath;
    }

    const int count = session.RecordCount();
    session.counterText = CounterText(session.scroll.Value(), count);
    session.scroll.SetMaximum(count);
    ShowRecord(session.records, count, session.regional, session.display);
    Option1_Click(session, session.selectedChannel, false);
    return outcome;
}

const char* WinsockStateText(int state) {
    static constexpr const char* kTexts[] = {
        "Closed",      "Open",          "Listening", "Connection pending",
        "Resolving host", "Host resolved", "Connecting", "Connected",
        "Peer is closing the connection", "Error",
    };
    if (state < 0 || state > 9) return "";
    return kTexts[state];
}

std::optional<IndicatorColour> WinsockStateColour(int state) {
    if (state == 0) return IndicatorColour{192, 192, 192};
    if (state == 7) return IndicatorColour{0, 255, 0};
    if (state == 9) return IndicatorColour{255, 0, 0};
    if (state >= 1 && state <= 8) return IndicatorColour{255, 255, 0};
    return std::nullopt;
}

}  // namespace kelvanor
