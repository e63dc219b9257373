// The live road below the window: what each arrival becomes in the store and
// in the day's recording. What the window shows of it is checked in the
// window tests, the command-line client end to end in live_cli_test.
#include "acquire/live_arrival.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"
#include "export/csv_export.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/small_disk.h"
#include "support/special_file.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::system_clock::time_point;
const TimePoint kNoon(milliseconds(1612443296123LL));  // 2021-02-04 12:54:56.123 UTC
const std::string kDay = "/2021-02-04_kelvanor.kss";

// Every reading returns the current time, then moves on by `step`.
struct SteppingClock final : UtcClock {
    explicit SteppingClock(TimePoint start, milliseconds step = {}) : now(start), step(step) {}
    TimePoint Now() const override { return std::exchange(now, now + step); }
    mutable TimePoint now;  // the next reading
    const milliseconds step;
};

std::string Beacon(unsigned packet) { return testing::PlausibleBeacon(packet, 660000037.5 + packet).Frame(); }

// Arrivals in order, whether each is taken (10 bytes or more once the FENDs
// are gone and the escapes undone) and so recorded as received, the records
// decoded (only an arrival that is exactly one beacon, of any address and
// command byte, recorded or not), and the records the recording gives back.
// What stands at the day file's name is never followed, waited on or replaced.
TEST(LiveArrivalTest, TakenRecordedDecodedAndReadBack) {
    const std::string wire = KissFrame(Beacon(7)), nine(9, 'A');  // 203 bytes, no escapes
    using K = FileErrorKind;
    using S = testing::Special;
    // clang-format off
    // why: why it was not recorded; forFolder: the special file stands where the folder should.
    struct Case { const char* name; std::vector<std::string> chunks; std::vector<bool> taken; int records, readBack;
                  std::optional<S> at; K kind = K::None; const char* why = nullptr; bool forFolder = false; };
    const Case cases[] = {
        {"one beacon", {wire}, {true}, 1, 1},
        {"escaped beacon", {KissFrame(Beacon(0x00DBC0C0))}, {true}, 1, 1},  // counter: FEND FEND FESC 0x00
        {"any address and command byte", {KissFrame(Beacon(9).replace(0, 15, "\x05ZZZZZZZZZZZZZZ"))}, {true}, 1, 0},
        {"two beacons in one arrival", {wire + KissFrame(Beacon(8))}, {true}, 0, 2},
        {"tail of 10 bytes + FEND", {wire.substr(0, 192), wire.substr(192)}, {true, true}, 0, 0},
        {"tail of 9 bytes + FEND", {wire.substr(0, 193), wire.substr(193)}, {true, false}, 0, 0},
        {"head of FEND + 9 bytes", {wire.substr(0, 10), wire.substr(10)}, {false, true}, 0, 0},
        {"head of FEND + 10 bytes", {wire.substr(0, 11), wire.substr(11)}, {true, true}, 0, 0},
        {"short pieces", {"", std::string(1, kFend), std::string(20, kFend), nine, kFend + nine + kFend,
                          std::string(8, 'A') + kFesc + kTfend}, std::vector<bool>(6, false), 0, 0},  // 10 bytes, 9 un-escaped
        {"a folder at the name", {wire}, {true}, 1, 0, S::Folder, K::Other, "Is a directory"},
        {"a dangling link", {wire}, {true}, 1, 0, S::Link, K::Other, "not a regular file"},
        {"a FIFO nobody reads", {wire}, {true}, 1, 0, S::Fifo, K::Other, "not a regular file"},
        {"a FIFO being read", {wire}, {true}, 1, 0, S::FifoBeingRead, K::Other, "not a regular file"},
        {"a socket", {wire}, {true}, 1, 0, S::Socket, K::Other, "not a regular file"},
        {"a link to itself for the folder", {wire}, {true}, 1, 0, S::Link, K::Other, "Too many levels of symbolic links", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const std::string folder = dir.path().string() + (c.forFolder ? "/loop" : ""), day = folder + kDay;
        const int fd = c.at ? MakeSpecial(*c.at, c.forFolder ? folder : day, c.forFolder ? folder : dir.File("made")) : -1;
        auto s = std::make_unique<Session>();
        s->statusText = s->currentRxTimestamp = "before";
        SteppingClock clock(kNoon);
        std::string file, status = "before";
        for (std::size_t i = 0; i < c.chunks.size(); ++i) {
            const ArrivalOutcome out = HandleArrival(*s, c.chunks[i], clock, folder);
            EXPECT_EQ(out.handled, c.taken[i]) << i;
            EXPECT_EQ(out.errorKind, c.kind);
            EXPECT_EQ(out.fileError, c.why ? c.why : "");  // nothing said of an append that worked
            if (!c.taken[i]) continue;
            status = c.why ? "not recorded: " + day + ": " + c.why
                           : std::to_string(c.chunks[i].size()) + " bytes has been added to " + day;
            if (!c.why) file += RecordingEntry("2021-02-04 12:54:56.123 UTC", c.chunks[i]);
        }
        if (fd >= 0) close(fd);
        EXPECT_EQ(s->RecordCount(), c.records);
        EXPECT_EQ(s->statusText, status);
        EXPECT_EQ(s->currentRxTimestamp == "before", status == "before");
        if (c.at) continue;  // what stands there is never read
        EXPECT_EQ(std::filesystem::exists(day) ? testing::ReadFile(day) : "(no file)", file.empty() ? "(no file)" : file);
        auto back = std::make_unique<Session>();
        EXPECT_EQ(ReadKissBytes(back->Road(), file), c.readBack);
        if (c.readBack >= c.records) EXPECT_EQ(CsvText(back->records, '.', 1, c.records), CsvText(*s));
    }
}

// Three readings per arrival: the record takes the first, the file name the
// second, the timestamp record the third; midnight between them starts the
// new day's file with that arrival.
TEST(LiveArrivalTest, FirstArrivalAfterMidnightStartsANewDatedFile) {
    testing::TempDir dir;
    auto s = std::make_unique<Session>();
    const std::string wire = KissFrame(Beacon(1)), next = dir.File("2021-02-05_kelvanor.kss");
    SteppingClock crossing(TimePoint(milliseconds(1612483199999LL)), milliseconds(1));  // 23:59:59.999
    // The folder is given with a slash at the end: the name has one slash.
    EXPECT_EQ(HandleArrival(*s, wire, crossing, dir.path().string() + "/").recordingPath, next);
    EXPECT_EQ(s->records.Record(1).RxTime, "2021-02-04 23:59:59.999 UTC");
    EXPECT_EQ(testing::ReadFile(next), RecordingEntry("2021-02-05 00:00:00.001 UTC", wire));
    // The hex text is the beacon without its command byte: the address first.
    EXPECT_EQ(s->currentHexText.substr(0, 10), "585139524C");
}

// A disk that fills up in the middle of an entry: every arrival is still
// decoded, the recording only ever holds whole entries, and recording goes on
// once there is room again. (Read-only and back: the window tests.)
TEST(LiveArrivalTest, FullDiskKeepsWholeEntriesAndResumes) {
    testing::TempDir dir;  // the disk's mount point
    testing::SmallDisk disk(dir.File("disk"), "size=8k");
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    auto s = std::make_unique<Session>();
    SteppingClock clock(kNoon);
    std::string expected;
    int packet = 0;
    auto arrive = [&] {
        const std::string wire = KissFrame(Beacon(++packet));
        const ArrivalOutcome out = HandleArrival(*s, wire, clock, disk.Folder());
        EXPECT_EQ(out.errorKind, out.recorded ? FileErrorKind::None : FileErrorKind::DiskNotReady);
        if (out.recorded) expected += RecordingEntry("2021-02-04 12:54:56.123 UTC", wire);
        return out.recorded;
    };
    while (packet < 100 && arrive()) continue;
    ASSERT_LT(packet, 100) << "the small disk never filled";
    EXPECT_FALSE(arrive());  // still full
    ASSERT_TRUE(disk.Resize("size=64k")) << disk.Why();
    EXPECT_TRUE(arrive());
    EXPECT_EQ(s->RecordCount(), packet);
    EXPECT_TRUE(testing::ReadFile(disk.Folder() + kDay) == expected);
}

TEST(TrimFrameLogTest, KeepsTheNewestWholeLinesWithinTheLimit) {
    std::string log;  // 16890 bytes, lines of 15 to 17 bytes
    for (int i = 0; i < 1000; ++i) log += "line " + std::to_string(i) + " | 00AB\r\n";
    // Over the limit, the newest whole lines that fit in three quarters of it stay.
    const std::pair<std::size_t, const char*> cases[] = {{16890, "line 0 |"}, {16889, "line 255"}, {400, "line 983"}, {0, ""}};
    for (const auto& [limit, first] : cases) {
        std::string trimmed = log;
        TrimFrameLog(trimmed, limit);
        EXPECT_EQ(trimmed.substr(0, 8), first) << limit;
        EXPECT_EQ(log.substr(log.size() - trimmed.size()), trimmed) << limit;
    }
}

// What the status line and the indicator show of the files and the connection.
TEST(LiveStatusTest, FileErrorKindsAndWinsockStates) {
    using K = FileErrorKind;
    // clang-format off
    const std::tuple<std::vector<int>, K, const char*> cases[] = {
        {{0}, K::None, "(none)"}, {{EACCES, EISDIR}, K::Other, "(none)"}, {{ENOENT, ENOTDIR}, K::FileNotFound, "File Not Found"},
        {{ETXTBSY, EBUSY, EAGAIN}, K::FileAlreadyOpen, "File Already Open"},
        {{EIO, ENOSPC, EROFS, ENXIO, ENODEV}, K::DiskNotReady, "Disk Not Ready"}};
    // clang-format on
    for (const auto& [errors, kind, text] : cases) {
        for (int e : errors) EXPECT_EQ(FileErrorKindOf(e), kind) << e;
        EXPECT_STREQ(FileErrorMessage(kind) ? FileErrorMessage(kind) : "(none)", text);
    }

    const IndicatorColour grey{192, 192, 192}, yellow{255, 255, 0}, green{0, 255, 0}, red{255, 0, 0};
    // clang-format off
    const std::pair<const char*, std::optional<IndicatorColour>> states[] = {  // -1 to 10
        {"", std::nullopt}, {"Closed", grey}, {"Open", yellow}, {"Listening", yellow}, {"Connection pending", yellow},
        {"Resolving host", yellow}, {"Host resolved", yellow}, {"Connecting", yellow}, {"Connected", green},
        {"Peer is closing the connection", yellow}, {"Error", red}, {"", std::nullopt}};
    // clang-format on
    for (int state = -1; state <= 10; ++state) {
        EXPECT_STREQ(WinsockStateText(state), states[state + 1].first) << state;
        EXPECT_EQ(WinsockStateColour(state), states[state + 1].second) << state;
    }
}

}  // namespace
}  // namespace kelvanor
