#include "acquire/live_arrival.h"
#include "session/handlers.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "acquire/file_io.h"
#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::system_clock::time_point;

// 2021-02-04 12:54:56.123 UTC
const TimePoint kNoon = TimePoint(milliseconds(1612443296123LL));

// Every reading returns the current time, then moves on by `step`.
class SteppingClock final : public UtcClock {
public:
    explicit SteppingClock(TimePoint start, milliseconds step = milliseconds(0))
        : m_now(start), m_step(step) {}
    TimePoint Now() const override {
        const TimePoint now = m_now;
        m_now += m_step;
        return now;
    }
    void Set(TimePoint t) { m_now = t; }

private:
    mutable TimePoint m_now;
    milliseconds m_step;
};

std::string Beacon(unsigned packet) {
    return testing::PlausibleBeacon(packet, 660000037.5 + packet).Frame();
}

// A packet counter whose little-endian bytes are FEND FEND FESC 0x00, so the
// frame on the wire carries three escapes.
constexpr unsigned kEscapedPacket = 0x00DBC0C0;

class LiveArrivalTest : public ::testing::Test {
protected:
    LiveArrivalTest() : session(std::make_unique<Session>()), dirPath(dir.path().string()) {}

    ArrivalOutcome Arrive(std::string_view chunk, const UtcClock& clock) {
        return HandleArrival(*session, chunk, clock, dirPath);
    }
    std::string DayFile(const char* date) const { return dir.File(std::string(date) + "_kelvanor.kss"); }

    testing::TempDir dir;
    std::unique_ptr<Session> session;
    std::string dirPath;
};

TEST_F(LiveArrivalTest, EscapedBeaconIsDecodedOnceAndRecordedAsReceived) {
    const std::string frame = Beacon(kEscapedPacket);
    const std::string wire = KissFrame(frame);
    std::size_t escapes = 0;
    for (char c : frame) escapes += c == kFend || c == kFesc;
    ASSERT_GE(escapes, 3u);
    SteppingClock clock(kNoon, milliseconds(1));

    const ArrivalOutcome out = Arrive(wire, clock);

    EXPECT_TRUE(out.handled);
    EXPECT_TRUE(out.decodeAttempted);
    EXPECT_TRUE(out.decode.Stored());
    EXPECT_EQ(out.decode.record, 1);
    ASSERT_TRUE(out.recorded) << out.fileError;
    EXPECT_EQ(out.errorKind, FileErrorKind::None);
    EXPECT_EQ(session->RecordCount(), 1);
    EXPECT_EQ(session->records.Record(1).Values[0], kEscapedPacket);
    // The record takes the first reading, the file name the second, the
    // timestamp record the third.
    EXPECT_EQ(session->records.Record(1).RxTime, "2021-02-04 12:54:56.123 UTC");
    EXPECT_EQ(out.recordingPath, DayFile("2021-02-04"));
    EXPECT_EQ(testing::ReadFile(out.recordingPath),
              RecordingEntry("2021-02-04 12:54:56.125 UTC", wire));
    EXPECT_EQ(session->currentRxTimestamp, "2021-02-04 12:54:56.125 UTC");

    std::string hex;
    AppendHex(hex, std::string_view(frame).substr(1));
    EXPECT_EQ(session->currentHexText, hex);
    // Every byte received counts: both FENDs and both bytes of each escape.
    EXPECT_EQ(session->statusText,
              std::to_string(2 + 201 + escapes) + " bytes has been added to " + out.recordingPath);
    EXPECT_EQ(session->counterText, "#1 / 1");
    EXPECT_EQ(session->display.value[0], std::to_string(kEscapedPacket));
    EXPECT_EQ(session->display.rxCaption, "RX Timestamp: 2021-02-04 12:54:56.123 UTC");
    EXPECT_TRUE(session->chart.drawn);
    EXPECT_EQ(session->chart.Points(), 1);
}

TEST_F(LiveArrivalTest, BeaconSplitOverTwoArrivals) {
    const std::string wire = KissFrame(Beacon(7));
    ASSERT_EQ(wire.size(), 203u);  // no escapes, so the cuts below are exact
    struct Case {
        std::size_t cut;
        bool firstRecorded, secondRecorded;
    };
    // A piece counts once its FENDs are gone: the tail of 9 bytes plus the
    // closing FEND is 10 bytes on the wire, but only 9 are handled.
    const Case cases[] = {
        {wire.size() / 2, true, true},
        {wire.size() - 11, true, true},   // tail: 10 data bytes + FEND
        {wire.size() - 10, true, false},  // tail: 9 data bytes + FEND
        {10, false, true},                // head: FEND + 9 bytes
        {11, true, true},                 // head: FEND + 10 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cut);
        testing::TempDir caseDir;
        auto s = std::make_unique<Session>();
        SteppingClock clock(kNoon, milliseconds(1));
        const std::string head = wire.substr(0, c.cut), tail = wire.substr(c.cut);
        const ArrivalOutcome a = HandleArrival(*s, head, clock, caseDir.path().string());
        const ArrivalOutcome b = HandleArrival(*s, tail, clock, caseDir.path().string());
        EXPECT_FALSE(a.decodeAttempted);
        EXPECT_FALSE(b.decodeAttempted);
        EXPECT_EQ(a.recorded, c.firstRecorded);
        EXPECT_EQ(b.recorded, c.secondRecorded);
        EXPECT_EQ(s->RecordCount(), 0);

        std::string expected;
        if (c.firstRecorded) expected += RecordingEntry("2021-02-04 12:54:56.125 UTC", head);
        if (c.secondRecorded) {
            const char* when = c.firstRecorded ? "2021-02-04 12:54:56.128 UTC"
                                               : "2021-02-04 12:54:56.125 UTC";
            expected += RecordingEntry(when, tail);
        }
        EXPECT_EQ(testing::ReadFile(caseDir.File("2021-02-04_kelvanor.kss")), expected);
    }
}

TEST_F(LiveArrivalTest, TwoBeaconsInOneArrivalAreRecordedNotDecoded) {
    const std::string wire = KissFrame(Beacon(1)) + KissFrame(Beacon(2));
    SteppingClock clock(kNoon);
    const ArrivalOutcome out = Arrive(wire, clock);
    EXPECT_TRUE(out.handled);
    EXPECT_FALSE(out.decodeAttempted);
    EXPECT_TRUE(out.recorded);
    EXPECT_EQ(session->RecordCount(), 0);
    EXPECT_EQ(testing::ReadFile(out.recordingPath),
              RecordingEntry("2021-02-04 12:54:56.123 UTC", wire));
    EXPECT_EQ(session->statusText, std::to_string(wire.size()) + " bytes has been added to " +
                                       out.recordingPath);
}

TEST_F(LiveArrivalTest, ArrivalsUnderTenBytesOnlyRefreshTheDisplay) {
    const std::string nine(9, 'A');
    const std::string cases[] = {
        "",
        std::string(1, kFend),
        std::string(20, kFend),
        nine,
        kFend + nine + kFend,
        std::string(8, 'A') + kFesc + kTfend,  // 10 bytes that un-escape to 9
    };
    SteppingClock clock(kNoon);
    session->statusText = "before";
    session->currentRxTimestamp = "earlier";
    session->currentHexText = "AB";
    for (const std::string& chunk : cases) {
        SCOPED_TRACE(chunk.size());
        session->counterText.clear();
        const ArrivalOutcome out = Arrive(chunk, clock);
        EXPECT_FALSE(out.handled);
        EXPECT_FALSE(out.recorded);
        EXPECT_TRUE(out.recordingPath.empty());
        EXPECT_EQ(session->counterText, "#1 / 0");  // refreshed anyway
    }
    EXPECT_EQ(session->statusText, "before");
    EXPECT_EQ(session->currentRxTimestamp, "earlier");
    EXPECT_EQ(session->currentHexText, "AB");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(LiveArrivalTest, AnyAddressAndCommandByteIsDecodedOnTheLiveRoad) {
    BeaconEncoder b = testing::PlausibleBeacon();
    for (int i = 1; i <= 14; ++i) b.SetByte(i, 'Z');
    b.SetCommandByte(0x05);
    const std::string wire = KissFrame(b.Frame());
    SteppingClock clock(kNoon);

    const ArrivalOutcome out = Arrive(wire, clock);
    EXPECT_TRUE(out.decode.Stored());
    EXPECT_EQ(session->RecordCount(), 1);

    // The importer, by contrast, passes over a frame without the beacon address.
    auto reimported = std::make_unique<Session>();
    EXPECT_EQ(ReadKissBytes(reimported->Road(), testing::ReadFile(out.recordingPath)), 0);
}

TEST_F(LiveArrivalTest, NoRecordYetLeavesTheDisplayAsItIs) {
    session->display.value[3] = "kept";
    session->display.rxCaption = "kept too";
    SteppingClock clock(kNoon);
    const ArrivalOutcome out = Arrive(KissFrame(std::string(40, '\x01')), clock);
    EXPECT_TRUE(out.recorded);
    EXPECT_EQ(session->display.value[3], "kept");
    EXPECT_EQ(session->display.rxCaption, "kept too");
    EXPECT_FALSE(session->chart.drawn);
    // The counter shows the position and the count 0: the scroll bar's
    // upper bound follows the count down to 0.
    EXPECT_EQ(session->counterText, "#1 / 0");
}

TEST_F(LiveArrivalTest, FirstArrivalAfterMidnightStartsANewDatedFile) {
    // 2021-02-04 23:59:59.999 UTC
    const TimePoint lastMs = TimePoint(milliseconds(1612483199999LL));
    const std::string wire = KissFrame(Beacon(1));
    SteppingClock clock(lastMs - milliseconds(400));
    ASSERT_EQ(Arrive(wire, clock).recordingPath, DayFile("2021-02-04"));

    // Midnight between the record's reading and the file name's reading: the
    // record keeps the old day, the entry goes to the new day's file.
    SteppingClock crossing(lastMs, milliseconds(1));
    const ArrivalOutcome out = Arrive(wire, crossing);
    EXPECT_EQ(out.recordingPath, DayFile("2021-02-05"));
    EXPECT_EQ(session->records.Record(2).RxTime, "2021-02-04 23:59:59.999 UTC");
    EXPECT_EQ(testing::ReadFile(DayFile("2021-02-05")),
              RecordingEntry("2021-02-05 00:00:00.001 UTC", wire));
    EXPECT_EQ(testing::ReadFile(DayFile("2021-02-04")),
              RecordingEntry("2021-02-04 23:59:59.599 UTC", wire));
}

// What stands at the day file's name, or in place of its folder; links are
// never followed and FIFOs never waited on.
TEST_F(LiveArrivalTest, FailedAppendIsReportedAndTheDisplayStillRefreshed) {
    const std::string day = "/2021-02-04_kelvanor.kss";
    auto folder = [&](const std::string& name) {
        std::filesystem::create_directory(dir.File(name));
        return dir.File(name);
    };
    testing::WriteFile(dir.File("plain-file"), "x");
    testing::WriteFile(dir.File("victim"), "precious");
    std::filesystem::create_directory(folder("taken") + day);
    std::filesystem::create_symlink(dir.File("victim"), folder("link") + day);
    std::filesystem::create_symlink(dir.File("created-by-link"), folder("dangling") + day);
    std::filesystem::create_symlink("/dev/full", folder("full") + day);
    ASSERT_EQ(mkfifo((folder("fifo") + day).c_str(), 0644), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder("socket") + day;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string folder;
        FileErrorKind kind;
        const char* why;  // nullptr: the system's own words
    };
    const Case cases[] = {
        {dir.File("vanished"), FileErrorKind::FileNotFound, nullptr},
        {dir.File("plain-file"), FileErrorKind::FileNotFound, nullptr},  // not a folder
        {dir.File("taken"), FileErrorKind::Other, nullptr},              // the name is a folder
        {dir.File("link"), FileErrorKind::Other, kNotRegularFile},
        {dir.File("dangling"), FileErrorKind::Other, kNotRegularFile},
        {dir.File("full"), FileErrorKind::Other, kNotRegularFile},
        {dir.File("fifo"), FileErrorKind::Other, kNotRegularFile},
        {dir.File("socket"), FileErrorKind::Other, kNotRegularFile},
    };
    int expectedCount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        SteppingClock clock(kNoon);
        const std::string wire = KissFrame(Beacon(100 + static_cast<unsigned>(expectedCount)));
        const ArrivalOutcome out = HandleArrival(*session, wire, clock, c.folder);
        ++expectedCount;
        EXPECT_FALSE(out.recorded);
        EXPECT_EQ(out.errorKind, c.kind);
        EXPECT_FALSE(out.fileError.empty());
        if (c.why != nullptr) EXPECT_EQ(out.fileError, c.why);
        // The status line claims nothing that did not happen.
        EXPECT_EQ(session->statusText, "not recorded: " + c.folder + day + ": " + out.fileError);
        EXPECT_TRUE(out.decode.Stored());
        EXPECT_EQ(session->RecordCount(), expectedCount);
        EXPECT_EQ(session->counterText, "#1 / " + std::to_string(expectedCount));
        EXPECT_EQ(session->chart.Points(), expectedCount);
        EXPECT_EQ(session->display.value[0], "100");  // the chart redraw ends on record 1
    }
    close(sock);
    EXPECT_FALSE(std::filesystem::exists(dir.File("vanished")));
    EXPECT_EQ(testing::ReadFile(dir.File("victim")), "precious");
    EXPECT_FALSE(std::filesystem::exists(dir.File("created-by-link")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("full") + day));
}

TEST(TrimFrameLogTest, KeepsTheNewestWholeLinesWithinTheLimit) {
    std::string log;
    for (int i = 0; i < 1000; ++i) log += "line " + std::to_string(i) + " | 00AB\r\n";
    const std::string newest = "line 999 | 00AB\r\n";
    for (std::size_t limit : {log.size(), log.size() - 1, std::size_t{400}, std::size_t{0}}) {
        SCOPED_TRACE(limit);
        std::string trimmed = log;
        TrimFrameLog(trimmed, limit);
        if (limit == log.size()) EXPECT_EQ(trimmed, log);  // within the limit: untouched
        EXPECT_LE(trimmed.size(), limit);
        EXPECT_GE(trimmed.size() + newest.size(), limit / 2);  // not emptied more than needed
        if (limit == 0) continue;
        EXPECT_EQ(trimmed.substr(0, 5), "line ");  // whole lines
        EXPECT_EQ(trimmed.substr(trimmed.size() - newest.size()), newest);
    }
}

// A disk that fills up in the middle of an entry, then turns read-only: every
// arrival is still decoded, the recording only ever holds whole entries, and
// recording goes on once the disk takes writes again.
TEST_F(LiveArrivalTest, FullOrReadOnlyDiskKeepsWholeEntriesAndResumes) {
    testing::SmallDisk disk(dir.File("disk"), "size=8k");
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string day = disk.Folder() + "/2021-02-04_kelvanor.kss";
    const std::string stamp = "2021-02-04 12:54:56.123 UTC";
    SteppingClock clock(kNoon);
    std::string expected;
    unsigned packet = 0;
    // Returns whether the arrival was recorded; `recorded` says what is
    // expected, or nothing while the disk fills.
    auto arrive = [&](std::optional<bool> recorded) {
        const std::string wire = KissFrame(Beacon(++packet));
        const ArrivalOutcome out = HandleArrival(*session, wire, clock, disk.Folder());
        EXPECT_TRUE(out.decode.Stored());
        if (recorded) EXPECT_EQ(out.recorded, *recorded);
        EXPECT_EQ(out.errorKind, out.recorded ? FileErrorKind::None : FileErrorKind::DiskNotReady);
        if (out.recorded) expected += RecordingEntry(stamp, wire);
        EXPECT_EQ(testing::ReadFile(day).size(), expected.size()) << "packet " << packet;
        return out.recorded;
    };
    while (packet < 100 && arrive(std::nullopt)) {
    }
    ASSERT_LT(packet, 100u) << "the small disk never filled";
    EXPECT_GT(expected.size(), 4000u);
    arrive(false);  // still full

    ASSERT_TRUE(disk.Resize("size=64k")) << disk.Why();
    arrive(true);
    ASSERT_TRUE(disk.ReadOnly(true)) << disk.Why();
    arrive(false);
    ASSERT_TRUE(disk.ReadOnly(false)) << disk.Why();
    arrive(true);

    EXPECT_EQ(session->RecordCount(), static_cast<int>(packet));
    EXPECT_TRUE(testing::ReadFile(day) == expected);
    Session reread;
    EXPECT_EQ(ReadKissBytes(reread.Road(), expected), static_cast<int>(packet) - 3);
}

TEST(FileErrorKindTest, ErrnoValuesAndTheirMessages) {
    struct Case {
        int error;
        FileErrorKind kind;
        const char* message;
    };
    const Case cases[] = {
        {0, FileErrorKind::None, nullptr},
        {ENOENT, FileErrorKind::FileNotFound, "File Not Found"},
        {ENOTDIR, FileErrorKind::FileNotFound, "File Not Found"},
        {ETXTBSY, FileErrorKind::FileAlreadyOpen, "File Already Open"},
        {EBUSY, FileErrorKind::FileAlreadyOpen, "File Already Open"},
        {EAGAIN, FileErrorKind::FileAlreadyOpen, "File Already Open"},
        {EIO, FileErrorKind::DiskNotReady, "Disk Not Ready"},
        {ENOSPC, FileErrorKind::DiskNotReady, "Disk Not Ready"},
        {EROFS, FileErrorKind::DiskNotReady, "Disk Not Ready"},
        {ENXIO, FileErrorKind::DiskNotReady, "Disk Not Ready"},
        {ENODEV, FileErrorKind::DiskNotReady, "Disk Not Ready"},
        {EACCES, FileErrorKind::Other, nullptr},
        {EISDIR, FileErrorKind::Other, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(FileErrorKindOf(c.error), c.kind);
        const char* message = FileErrorMessage(c.kind);
        if (c.message == nullptr) {
            EXPECT_EQ(message, nullptr);
        } else {
            EXPECT_STREQ(message, c.message);
        }
    }
}

TEST_F(LiveArrivalTest, RecordingReadsBackIntoTheSameRecords) {
    // Beacons (some escaped), a frame from another station, a short piece and
    // two coalesced beacons, one arrival each.
    std::vector<std::string> arrivals;
    for (unsigned i = 0; i < 12; ++i) {
        arrivals.push_back(KissFrame(Beacon(i % 3 == 0 ? kEscapedPacket + i : 500 + i)));
        if (i == 4) arrivals.push_back(KissFrame(std::string("\0APRS  0DL9XYZ0\x03\xF0hello", 22)));
        if (i == 7) arrivals.push_back(std::string(5, 'S'));
    }
    arrivals.push_back(KissFrame(Beacon(900)) + KissFrame(Beacon(901)));

    SteppingClock clock(kNoon);  // one reading per arrival: record and file agree
    int recorded = 0;
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        clock.Set(kNoon + std::chrono::seconds(2 * i));
        recorded += Arrive(arrivals[i], clock).recorded;
    }
    EXPECT_EQ(recorded, static_cast<int>(arrivals.size()) - 1);
    ASSERT_EQ(session->RecordCount(), 12);

    auto reimported = std::make_unique<Session>();
    EXPECT_EQ(ReadKissBytes(reimported->Road(), testing::ReadFile(DayFile("2021-02-04"))), 14);
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const BeaconRecord& live = session->records.Record(n);
        const BeaconRecord& back = reimported->records.Record(n);
        EXPECT_EQ(back.Values, live.Values);
        EXPECT_EQ(back.RxTime, live.RxTime);
        EXPECT_EQ(back.ObcTime, live.ObcTime);
    }
    // The coalesced pair, which the live road only recorded, comes back too.
    EXPECT_EQ(reimported->records.Record(13).Values[0], 900);
    EXPECT_EQ(reimported->records.Record(14).Values[0], 901);
}

TEST(WinsockStateTest, TextAndIndicatorColourPerState) {
    const IndicatorColour grey{192, 192, 192}, yellow{255, 255, 0}, green{0, 255, 0},
        red{255, 0, 0};
    struct Case {
        int state;
        const char* text;
        std::optional<IndicatorColour> colour;
    };
    const Case cases[] = {
        {-1, "", std::nullopt},
        {0, "Closed", grey},
        {1, "Open", yellow},
        {2, "Listening", yellow},
        {3, "Connection pending", yellow},
        {4, "Resolving host", yellow},
        {5, "Host resolved", yellow},
        {6, "Connecting", yellow},
        {7, "Connected", green},
        {8, "Peer is closing the connection", yellow},
        {9, "Error", red},
        {10, "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_STREQ(WinsockStateText(c.state), c.text);
        EXPECT_EQ(WinsockStateColour(c.state), c.colour);
    }
}

}  // namespace
}  // namespace kelvanor
