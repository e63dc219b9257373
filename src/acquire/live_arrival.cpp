#include "acquire/live_arrival.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "acquire/file_io.h"
#include "acquire/kiss_framing.h"
#include "acquire/kiss_stream.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"
#include "acquire/frame_roads.h"
#include "acquire/frame_tap.h"
#include "decode/beacon_encoder.h"

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
    // Never follows a link at the day file's name and never waits on a FIFO:
    // in a shared folder another user could otherwise point the recorder at
    // any file, or stop it.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        errorNumber = errno;
        // A link at the name (refused by O_NOFOLLOW; a loop of links in the
        // folders above keeps the system's words), or a FIFO or socket
        // nobody reads.
        struct stat at {};
        const bool link = errorNumber == ELOOP && ::lstat(path.c_str(), &at) == 0 && S_ISLNK(at.st_mode);
        const bool special = link || errorNumber == ENXIO;
        if (special) errorNumber = EINVAL;
        error = special ? kNotRegularFile : std::strerror(errorNumber);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        errorNumber = EINVAL;
        error = kNotRegularFile;
        ::close(fd);
        return false;
    }
    // One write for the whole entry, so a program stopped between two
    // arrivals never leaves half of one behind (more only when the system
    // takes part of it).
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            errorNumber = n < 0 ? errno : EIO;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (errorNumber != 0 && written > 0) {
        // A disk that fills up in the middle of the entry keeps the part
        // that fitted; cut it off through this descriptor, from where this
        // entry began, so the recording holds whole entries and the next one
        // that can be written follows the last whole one. Another writer's
        // entry appended after it is never cut.
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        struct stat now {};
        if (end >= 0 && ::fstat(fd, &now) == 0 && now.st_size == end) {
            ::ftruncate(fd, end - static_cast<off_t>(written));
        }
    }
    if (::close(fd) != 0 && errorNumber == 0) errorNumber = errno;
    if (errorNumber != 0) error = std::strerror(errorNumber);
    return errorNumber == 0;
}

void WriteTimestampFrame(std::string& rxTimestamp, const UtcClock& clock, std::string& out) {
    rxTimestamp = UtcNowText(clock) + kUtcSuffix;
    out.append(TimestampRecord(rxTimestamp));
}

namespace {

// Appends `entry` to the day's recording and says so in the outcome.
void Record(ArrivalOutcome& outcome, const std::string& entry, std::size_t chunkSize) {
    int errorNumber = 0;
    outcome.recorded = AppendWhole(outcome.recordingPath, entry, outcome.fileError, errorNumber);
    if (outcome.recorded) {
        outcome.statusText = std::to_string(chunkSize) + " bytes has been added to " + outcome.recordingPath;
    } else {
        outcome.errorKind = FileErrorKindOf(errorNumber);
        outcome.statusText = "not recorded: " + outcome.recordingPath + ": " + outcome.fileError;
    }
}

}  // namespace

ArrivalOutcome ReceiveStreamArrival(const FrameRoad& road, KissStream& stream, std::string_view rawChunk,
                                    const UtcClock& clock, const std::string& recordingDir) {
    ArrivalOutcome outcome;
    if (rawChunk.empty()) return outcome;
    outcome.handled = true;
    outcome.recordingPath = RecordingPathFor(recordingDir, UtcNowText(clock));
    std::string entry;
    entry.reserve(rawChunk.size() + 30);
    if (stream.AtBoundary()) {
        WriteTimestampFrame(road.rxTimestamp, clock, entry);
        stream.Stamp(road.rxTimestamp);
    }
    entry.append(rawChunk);
    Record(outcome, entry, rawChunk.size());
    KissStream::Cut cut = stream.Feed(road, rawChunk, clock);
    outcome.framesCut = cut.frames;
    outcome.streamRecords = std::move(cut.records);
    outcome.beacons = std::move(cut.beacons);
    return outcome;
}

ArrivalOutcome ReceiveArrival(const FrameRoad& road, std::string_view rawChunk, const UtcClock& clock,
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
        road.hexText.clear();
        AppendHex(road.hexText, std::string_view(copy).substr(1));
        std::string utc = UtcNowText(clock);
        road.rxTimestamp = utc + kUtcSuffix;
        if (copy.size() == static_cast<std::size_t>(kBeaconLength)) {
            outcome.decodeAttempted = true;
            outcome.decode = road.Decode(copy);
            if (outcome.decode.Stored()) outcome.beacons.push_back({copy, std::move(utc)});
        }
        TapFrame(road, copy, outcome.decodeAttempted, 0);

        outcome.recordingPath = RecordingPathFor(recordingDir, UtcNowText(clock));
        std::string entry;
        entry.reserve(rawChunk.size() + 30);
        WriteTimestampFrame(road.rxTimestamp, clock, entry);
        entry.append(rawChunk);
        Record(outcome, entry, rawChunk.size());
    }
    return outcome;
}

void TrimFrameLog(std::string& log, std::size_t limit) {
    if (log.size() <= limit) return;
    const std::size_t keep = limit - limit / 4;
    const std::size_t lf = log.find('\n', log.size() - keep - 1);
    log.erase(0, lf == std::string::npos ? log.size() : lf + 1);
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
