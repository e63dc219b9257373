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
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/stepping_clock.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

const std::string kClock = "2021-02-04 12:54:5";  // any reading of the clock
const std::string k1s5 = "1970-01-01 00:00:01.500 UTC", k2s5 = "1970-01-01 00:00:02.500 UTC";
const std::string k999 = "2020-11-29 10:00:00.999 UTC";
using Strings = std::vector<std::string>;

// Packet counter 0x00DBC0C0 puts FEND FEND FESC on the wire as escapes.
std::string Wire(unsigned packet) {
    return KissFrame(testing::PlausibleBeacon(packet, 660000037.5 + packet).Frame());
}

TEST(KissStream, CutsStampsAndRecordsSoTheFileReimportsTheSame) {
    const auto Numeric = &NumericTimestampRecord;
    const std::string a = Wire(0x00DBC0C0), b = Wire(7), b9 = b.substr(0, 9), b5 = b.substr(0, 5);
    const std::string foreign = KissFrame("\x01" + testing::PlausibleBeacon(3).Frame().substr(1));
    const std::string text = "2020-11-29 10:00:00.250 UTC", t = KissFrame("\x09" + text) + a;
    const std::string x = "\xC0" + std::string(KissStream::kLongestPiece, 'x');
    Strings bytes;
    for (char c : a + b) bytes.emplace_back(1, c);
    // Arrivals, the data frames cut, the RX timestamps of the records in order.
    const std::tuple<const char*, Strings, int, Strings> rows[] = {
        {"one byte per arrival", bytes, 2, {kClock, kClock}},
        {"numeric stamp", {Numeric(1500) + a + b9, b.substr(9), b}, 3, {k1s5, k1s5, kClock}},
        {"an arrival after a stamp keeps it for its frame", {Numeric(2500), a}, 1, {k2s5}},
        {"text then numeric", {t, Numeric(1606644000999ULL) + b5, b.substr(5)}, 2, {text, k999}},
        {"a stamp that names no time is passed over", {KissFrame("\x09no time") + a}, 1, {kClock}},
        {"garbage around frames", {"\x01\x02junk" + a, "\xC0\xC0zz", b}, 3, {kClock, kClock}},
        {"command byte other than 0x00 is no beacon", {foreign}, 1, {}},
        {"over-long piece dropped up to the next FEND", {x + "x", a}, 1, {kClock}},
        {"the longest piece kept", {x, a}, 2, {kClock}},
    };
    for (const auto& [name, arrivals, cut, stamps] : rows) {
        SCOPED_TRACE(name);
        const testing::SteppingClock clock(testing::kNoon, std::chrono::milliseconds(1));
        testing::TempDir dir;
        Session live;
        live.regional = RegionalSettings::C();
        int frames = 0;
        std::string sent;
        for (const std::string& arrival : arrivals) {
            const ArrivalOutcome out =
                ReceiveStreamArrival(live.Road(), live.stream, arrival, clock, dir.File(""));
            EXPECT_TRUE(out.recorded);
            frames += out.framesCut;
            sent += arrival;
        }
        EXPECT_EQ(frames, cut);
        ASSERT_EQ(live.RecordCount(), static_cast<int>(stamps.size()));
        for (std::size_t i = 0; i < stamps.size(); ++i) {
            const std::string& rx = live.records.Record(static_cast<int>(i) + 1).RxTime;
            EXPECT_EQ(rx.substr(0, stamps[i].size()), stamps[i]);
        }
        // Every arrival as received, with the recorder's own records between.
        std::string recording = testing::ReadFile(dir.File("2021-02-04_kelvanor.kss"));
        Session again;
        again.regional = RegionalSettings::C();
        ReadKissBytes(again.Road(), recording);
        // The file reader takes any command byte: the foreign frame comes back.
        ASSERT_EQ(again.RecordCount(), stamps.empty() ? 1 : live.RecordCount());
        if (!stamps.empty()) EXPECT_EQ(again.frameLog, live.frameLog);  // RX times and hex texts
        for (std::size_t at; (at = recording.find("\xC0\x09"
                                                  "2021-02-04")) != recording.npos;)
            recording.erase(at, 30);
        EXPECT_EQ(recording, sent);
    }
}

TEST(RetryPause, DoublesFromOneSecondToAMinuteAndStartsOverAfterAReset) {
    RetryPause pauses;
    for (int seconds : {1, 2, 4, 8, 16, 32, 60, 60}) EXPECT_EQ(pauses.Next(), seconds);
    pauses.Reset();
    EXPECT_EQ(pauses.Next(), 1);
}

}  // namespace
}  // namespace kelvanor
