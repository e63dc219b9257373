// The live road below the window: what each arrival becomes in the store and
// in the day's recording. What the window shows of it is checked in the
// window tests, the command-line client end to end in live_cli_test.
#include "acquire/live_arrival.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>

#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "export/csv_export.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/small_disk.h"
#include "support/special_file.h"
#include "support/stepping_clock.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

using testing::kNoon, testing::SteppingClock, testing::TimePoint, std::chrono::milliseconds;
const std::string kDay = "/2021-02-04_kelvanor.kss";
using Strings = std::vector<std::string>;

std::string Beacon(unsigned packet) {
    return testing::PlausibleBeacon(packet, 660000037.5 + packet).Frame();
}

// Arrivals in order, whether each is taken (10 bytes or more once the FENDs
// are gone and the escapes undone) and so recorded as received, the records
// decoded (only an arrival that is exactly one beacon, of any address and
// command byte), and the records the recording gives back.
TEST(LiveArrivalTest, TakenRecordedDecodedAndReadBack) {
    const std::string wire = KissFrame(Beacon(7)), nine(9, 'A');  // 203 bytes, no escapes
    const std::string escaped = KissFrame(Beacon(0x00DBC0C0));    // counter: FEND FEND FESC 0x00
    const std::string foreign = KissFrame(Beacon(9).replace(0, 15, "\x05ZZZZZZZZZZZZZZ"));
    const Strings shortPieces = {"",
                                 std::string(1, kFend),
                                 std::string(20, kFend),
                                 nine,
                                 kFend + nine + kFend,  // the last: 10 bytes, 9 un-escaped
                                 std::string(8, 'A') + kFesc + kTfend};
    const std::tuple<const char*, Strings, std::vector<bool>, int, int> cases[] = {
        {"one beacon", {wire}, {true}, 1, 1},
        {"escaped beacon", {escaped}, {true}, 1, 1},
        {"any address and command byte", {foreign}, {true}, 1, 0},
        {"two beacons in one arrival", {wire + KissFrame(Beacon(8))}, {true}, 0, 2},
        {"tail of 10 bytes + FEND", {wire.substr(0, 192), wire.substr(192)}, {true, true}, 0, 0},
        {"tail of 9 bytes + FEND", {wire.substr(0, 193), wire.substr(193)}, {true, false}, 0, 0},
        {"head of FEND + 9 bytes", {wire.substr(0, 10), wire.substr(10)}, {false, true}, 0, 0},
        {"head of FEND + 10 bytes", {wire.substr(0, 11), wire.substr(11)}, {true, true}, 0, 0},
        {"short pieces", shortPieces, std::vector<bool>(6, false), 0, 0},
    };
    for (const auto& [name, chunks, taken, records, readBack] : cases) {
        SCOPED_TRACE(name);
        testing::TempDir dir;
        const std::string day = dir.path().string() + kDay;
        auto s = std::make_unique<Session>();
        s->statusText = s->currentRxTimestamp = "before";
        SteppingClock clock;
        std::string file, status = "before";
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            const ArrivalOutcome out = HandleArrival(*s, chunks[i], clock, dir.path().string());
            EXPECT_EQ(out.handled, taken[i]) << i;
            EXPECT_EQ(out.decodeAttempted, records == 1) << i;  // exactly one frame of 201 bytes
            EXPECT_EQ(out.fileError, "");  // nothing said of an append that worked
            if (!taken[i]) continue;
            status = std::to_string(chunks[i].size()) + " bytes has been added to " + day;
            file += RecordingEntry("2021-02-04 12:54:56.123 UTC", chunks[i]);
        }
        EXPECT_EQ(s->RecordCount(), records);
        EXPECT_EQ(s->statusText, status);
        EXPECT_EQ(s->currentRxTimestamp == "before", status == "before");
        EXPECT_EQ(std::filesystem::exists(day) ? testing::ReadFile(day) : "", file);
        auto back = std::make_unique<Session>();
        EXPECT_EQ(ReadKissBytes(back->Road(), file), readBack);
        if (readBack >= records) EXPECT_EQ(CsvText(back->records, '.', 1, records), CsvText(*s));
    }
}

// What stands at the day file's name (or the folder's, `forFolder`) is never
// followed, waited on or replaced: the arrival is decoded, not recorded.
TEST(LiveArrivalTest, NoRecordingIntoWhatIsNoRegularFile) {
    using S = testing::Special;
    const std::tuple<S, const char*, bool> cases[] = {
        {S::Folder, "Is a directory", false},
        {S::Link, "not a regular file", false},  // dangling
        {S::Fifo, "not a regular file", false},
        {S::FifoBeingRead, "not a regular file", false},
        {S::Socket, "not a regular file", false},
        {S::Link, "Too many levels of symbolic links", true},
    };
    for (const auto& [special, why, forFolder] : cases) {
        SCOPED_TRACE(why);
        testing::TempDir dir;
        const std::string folder = dir.path().string() + (forFolder ? "/loop" : ""),
                          day = folder + kDay;
        const int fd =
            MakeSpecial(special, forFolder ? folder : day, forFolder ? folder : dir.File("made"));
        auto s = std::make_unique<Session>();
        SteppingClock clock;
        const ArrivalOutcome out = HandleArrival(*s, KissFrame(Beacon(7)), clock, folder);
        if (fd >= 0) close(fd);
        EXPECT_TRUE(out.handled);
        EXPECT_EQ(out.errorKind, FileErrorKind::Other);
        EXPECT_EQ(out.fileError, why);
        EXPECT_EQ(s->RecordCount(), 1);
        EXPECT_EQ(s->statusText, "not recorded: " + day + ": " + why);
    }
}

// Three readings per arrival: the record takes the first, the file name the
// second, the timestamp record the third; midnight between them starts the
// new day's file with that arrival.
TEST(LiveArrivalTest, FirstArrivalAfterMidnightStartsANewDatedFile) {
    testing::TempDir dir;
    auto s = std::make_unique<Session>();
    const std::string wire = KissFrame(Beacon(1)), next = dir.File("2021-02-05_kelvanor.kss");
    const mode_t mask = umask(022);  // a new recording: rw-r--r--
    // From 23:59:59.999 on.
    SteppingClock crossing(TimePoint(milliseconds(1612483199999LL)), milliseconds(1));
    // The folder is given with a slash at the end: the name has one slash.
    EXPECT_EQ(HandleArrival(*s, wire, crossing, dir.path().string() + "/").recordingPath, next);
    EXPECT_EQ(s->records.Record(1).RxTime, "2021-02-04 23:59:59.999 UTC");
    EXPECT_EQ(testing::ReadFile(next), RecordingEntry("2021-02-05 00:00:00.001 UTC", wire));
    umask(mask);
    struct stat st {};
    EXPECT_TRUE(stat(next.c_str(), &st) == 0 && (st.st_mode & 07777) == 0644);
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
    SteppingClock clock;
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
    // Over the limit, the newest whole lines that fit in three quarters of it
    // stay (16886: they fill them exactly).
    const std::map<std::size_t, std::string> firstLines = {
        {16890, "line 0 |"}, {16886, "line 255"}, {400, "line 983"}, {0, ""}};
    for (const auto& [limit, first] : firstLines) {
        std::string trimmed = log;
        TrimFrameLog(trimmed, limit);
        EXPECT_EQ(trimmed.substr(0, 8), first) << limit;
        EXPECT_EQ(log.substr(log.size() - trimmed.size()), trimmed) << limit;
    }
}

// What the status line and the indicator show of the files and the connection.
TEST(LiveStatusTest, FileErrorKindsAndWinsockStates) {
    using K = FileErrorKind;
    const std::tuple<std::vector<int>, K, const char*> cases[] = {
        {{0}, K::None, "(none)"},
        {{EACCES, EISDIR}, K::Other, "(none)"},
        {{ENOENT, ENOTDIR}, K::FileNotFound, "File Not Found"},
        {{ETXTBSY, EBUSY, EAGAIN}, K::FileAlreadyOpen, "File Already Open"},
        {{EIO, ENOSPC, EROFS, ENXIO, ENODEV}, K::DiskNotReady, "Disk Not Ready"}};
    for (const auto& [errors, kind, text] : cases) {
        for (int e : errors) EXPECT_EQ(FileErrorKindOf(e), kind) << e;
        EXPECT_STREQ(FileErrorMessage(kind) ? FileErrorMessage(kind) : "(none)", text);
    }
    // States -1 to 10: the indicator's colour (- for none), then the text.
    std::istringstream states(
        "-|gClosed|yOpen|yListening|yConnection pending|yResolving host|yHost resolved|"
        "yConnecting|GConnected|yPeer is closing the connection|rError|-");
    const IndicatorColour grey{192, 192, 192}, yellow{255, 255, 0}, green{0, 255, 0},
        red{255, 0, 0};
    const std::map<char, std::optional<IndicatorColour>> rgb = {
        {'-', std::nullopt}, {'g', grey}, {'y', yellow}, {'G', green}, {'r', red}};
    std::string state;
    for (int i = -1; i <= 10 && std::getline(states, state, '|'); ++i) {
        EXPECT_EQ(WinsockStateText(i), state.substr(1)) << i;
        EXPECT_EQ(WinsockStateColour(i), rgb.at(state[0])) << i;
    }
}

}  // namespace
}  // namespace kelvanor
