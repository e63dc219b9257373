// Stream mode: frames cut at FEND bytes across arrivals, stamped by the
// stream's timestamp frames, recorded so that the day's file re-imports to
// the same records.
#include "acquire/kiss_stream.h"

#include <gtest/gtest.h>

#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/live_arrival.h"
#include "acquire/recording_writer.h"
#include "acquire/retry_pause.h"
#include "acquire/utc_clock.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// From 2021-02-04 12:54:56.123 UTC on, a millisecond later at each reading.
class SteppingClock final : public UtcClock {
public:
    std::chrono::system_clock::time_point Now() const override {
        return std::chrono::system_clock::time_point(
            std::chrono::milliseconds(1612443296123LL + m_readings++));
    }

private:
    mutable long long m_readings = 0;
};
const std::string kClockStamp = "2021-02-04 12:54:5";  // any reading of the clock

// Packet counter 0x00DBC0C0 puts FEND FEND FESC on the wire as escapes.
std::string Wire(unsigned packet) {
    return KissFrame(testing::PlausibleBeacon(packet, 660000037.5 + packet).Frame());
}
std::string Numeric(unsigned long long ms) {
    std::string record(1, kTimestampCommand);
    for (int shift = 56; shift >= 0; shift -= 8) record.push_back(static_cast<char>(ms >> shift));
    return KissFrame(record);
}
std::vector<std::string> Bytes(const std::string& s) {
    std::vector<std::string> out;
    for (char c : s) out.emplace_back(1, c);
    return out;
}

struct Row {
    const char* name;
    std::vector<std::string> arrivals;
    int frames;                       // data frames cut
    std::vector<std::string> stamps;  // RX timestamps of the records, in order
    bool reimports = true;            // the file reader takes any command byte
};

TEST(KissStream, CutsStampsAndRecordsSoTheFileReimportsTheSame) {
    const std::string a = Wire(0x00DBC0C0), b = Wire(7);
    std::string foreign = testing::PlausibleBeacon(3).Frame();
    foreign[0] = '\x01';
    const std::string textStamp = "2020-11-29 10:00:00.250 UTC";
    const std::vector<Row> rows = {
        {"split over two arrivals", {a.substr(0, 90), a.substr(90)}, 1, {kClockStamp}},
        {"two frames in one arrival", {a + b}, 2, {kClockStamp, kClockStamp}},
        {"one byte per arrival", Bytes(a + b), 2, {kClockStamp, kClockStamp}},
        {"numeric stamp until the recorder's own",
         {Numeric(1500) + a + b.substr(0, 9), b.substr(9), b},
         3,
         {"1970-01-01 00:00:01.500 UTC", "1970-01-01 00:00:01.500 UTC", kClockStamp}},
        {"an arrival after a stamp keeps it for its frame",
         {Numeric(2500), a},
         1,
         {"1970-01-01 00:00:02.500 UTC"}},
        {"text stamp, then a newer numeric one",
         {KissFrame("\x09" + textStamp) + a, Numeric(1606644000999ULL) + b.substr(0, 5),
          b.substr(5)},
         2,
         {textStamp, "2020-11-29 10:00:00.999 UTC"}},
        {"a stamp that names no time is passed over",
         {KissFrame("\x09no time") + a},
         1,
         {kClockStamp}},
        {"garbage before the first FEND and between frames",
         {"\x01\x02junk" + a, "\xC0\xC0zz", b},
         3,
         {kClockStamp, kClockStamp}},
        {"command byte other than 0x00 is no beacon", {KissFrame(foreign)}, 1, {}, false},
        {"over-long piece dropped up to the next FEND",
         {"\xC0" + std::string(KissStream::kLongestPiece + 1, 'x'), a},
         1,
         {kClockStamp}},
        {"the longest piece kept",
         {"\xC0" + std::string(KissStream::kLongestPiece, 'x'), a},
         2,
         {kClockStamp}},
    };
    for (const Row& row : rows) {
        const SteppingClock clock;
        SCOPED_TRACE(row.name);
        testing::TempDir dir;
        Session live;
        live.regional = RegionalSettings::C();
        int frames = 0;
        std::string sent;
        for (const std::string& arrival : row.arrivals) {
            const ArrivalOutcome out =
                ReceiveStreamArrival(live.Road(), live.stream, arrival, clock, dir.File(""));
            EXPECT_TRUE(out.recorded);
            frames += out.framesCut;
            sent += arrival;
        }
        EXPECT_EQ(frames, row.frames);
        ASSERT_EQ(live.RecordCount(), static_cast<int>(row.stamps.size()));
        for (std::size_t i = 0; i < row.stamps.size(); ++i) {
            EXPECT_EQ(
                live.records.Record(static_cast<int>(i) + 1).RxTime.substr(0, row.stamps[i].size()),
                row.stamps[i]);
        }

        // Every arrival as received, with the recorder's own records between.
        std::string recording = testing::ReadFile(dir.File("2021-02-04_kelvanor.kss"));
        Session again;
        again.regional = RegionalSettings::C();
        ReadKissBytes(again.Road(), recording);
        ASSERT_EQ(again.RecordCount(), row.reimports ? live.RecordCount() : 1);
        if (row.reimports)
            EXPECT_EQ(again.frameLog, live.frameLog);  // every line: RX timestamp and hex text
        for (std::size_t at = 0; (at = recording.find("\xC0\x09"
                                                      "2021-02-04",
                                                      at)) != std::string::npos;) {
            recording.erase(at, 30);
        }
        EXPECT_EQ(recording, sent);
    }
}

}  // namespace
}  // namespace kelvanor

namespace kelvanor {
namespace {

TEST(RetryPause, DoublesFromOneSecondToAMinuteAndStartsOverAfterAReset) {
    RetryPause pauses;
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) seen.push_back(pauses.Next());
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60}));
    pauses.Reset();
    EXPECT_EQ(pauses.Next(), 1);
}

}  // namespace
}  // namespace kelvanor
