#include <gtest/gtest.h>

#include <memory>

#include "acquire/frame_roads.h"
#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/temp_dir.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

std::string Beacon(int packet) {
    BeaconEncoder b = testing::PlausibleBeacon(packet, 660000037.5 + packet);
    b.SetByte(100, 0xC0);  // content that needs escaping
    b.SetByte(101, 0xDB);
    return b.Frame();
}

const std::string kT1 = "2021-02-04 12:54:56.123 UTC";
const std::string kT2 = "2021-02-04 12:55:06.456 UTC";

class RecordingReaderTest : public ::testing::Test {
protected:
    RecordingReaderTest() : session(std::make_unique<Session>()) {}
    int Read(const std::string& bytes) { return ReadKissBytes(session->Road(), bytes); }
    double Packet(int n) { return session->records.Record(n).Values[0]; }
    std::unique_ptr<Session> session;
};

TEST_F(RecordingReaderTest, ReadsWhatTheRecorderWrites) {
    std::string file = RecordingEntry(kT1, KissFrame(Beacon(1))) +
                       RecordingEntry(kT2, KissFrame(Beacon(2)));
    EXPECT_EQ(Read(file), 2);
    EXPECT_EQ(session->RecordCount(), 2);
    EXPECT_EQ(Packet(1), 1);
    EXPECT_EQ(session->records.Record(1).RxTime, kT1);
    EXPECT_EQ(session->records.Record(2).RxTime, kT2);
    EXPECT_EQ(session->records.Record(1).Values[3], 8);
}

TEST_F(RecordingReaderTest, OnlyPiecesBetweenFirstAndLastFendCount) {
    // no FEND before the first frame: that frame is lost
    std::string frame = KissFrame(Beacon(1));
    EXPECT_EQ(Read(frame.substr(1) + KissFrame(Beacon(2))), 1);
    EXPECT_EQ(Packet(1), 2);
    session->records.Reset();
    // no FEND after the last frame: that frame is lost
    EXPECT_EQ(Read(KissFrame(Beacon(3)) + frame.substr(0, frame.size() - 1)), 1);
    EXPECT_EQ(Packet(1), 3);
    session->records.Reset();
    EXPECT_EQ(Read(Beacon(4)), 0);             // no FEND at all
    EXPECT_EQ(Read("\xC0" + Beacon(4)), 0);    // only one
    EXPECT_EQ(Read("\xC0\xC0\xC0" + Beacon(5).substr(0, 0) + KissFrame(Beacon(5)) + "\xC0\xC0"), 1);
}

TEST_F(RecordingReaderTest, AddressMustMatchExactly) {
    std::string lower = Beacon(1);
    lower.replace(1, 14, "xq9rl 0xq9mvt0");
    std::string other = Beacon(2);
    other.replace(1, 14, "APRS  0DL9XYZ0");
    EXPECT_EQ(Read(KissFrame(lower) + KissFrame(other)), 0);
    EXPECT_TRUE(session->frameLog.empty());
    // the hex text still follows every data piece
    EXPECT_EQ(session->currentHexText.substr(0, 8), "41505253");
}

TEST_F(RecordingReaderTest, A201ByteTimestampRecordIsNotABeacon) {
    std::string frame = Beacon(1);
    frame[0] = '\x09';
    EXPECT_EQ(Read(KissFrame(frame)), 0);
}

TEST_F(RecordingReaderTest, TimestampRecordsTextAndNumeric) {
    session->currentRxTimestamp = "earlier";
    struct Case {
        std::string record;
        std::string expected;
    } cases[] = {
        {"\x09" + kT1, kT1},
        {std::string("\x09") + "junk" + kT2, kT2},                   // 27 characters before UTC
        {std::string("\x09") + "2021-02-04 12:54 UTC", kT2},         // UTC too early: unchanged
        {std::string("\x09") + "no time at all here, sorry!", kT2},  // no UTC: unchanged
        {std::string("\x09\0\0\0\0\0\0\x05\xDC", 9), "1970-01-01 00:00:01.500 UTC"},
        {std::string("\x09\0\0\0\0\0\0\0\x05", 9), "1970-01-01 00:00:00.005 UTC"},
        // the last millisecond of the year 9999, then the first one after it
        {std::string("\x09\0\0\xE6\x77\xD2\x1F\xDB\xFF", 9), "9999-12-31 23:59:59.999 UTC"},
        {std::string("\x09\0\0\xE6\x77\xD2\x1F\xDC\0", 9), "9999-12-31 23:59:59.999 UTC"},
    };
    for (const Case& c : cases) {
        HandleRecordingPiece(session->Road(), c.record);
        EXPECT_EQ(session->currentRxTimestamp, c.expected) << c.record;
    }
    // eight printable bytes after 0x09 are still a numeric timestamp, one
    // far beyond the year 9999: the RX timestamp stays
    HandleRecordingPiece(session->Road(), "\x09" "ABCDEFGH");
    EXPECT_EQ(session->currentRxTimestamp, "9999-12-31 23:59:59.999 UTC");
    EXPECT_EQ(session->currentHexText, "4142434445464748");
}

TEST_F(RecordingReaderTest, NumericTimestampFollowsTheRegionalForm) {
    session->regional = RegionalSettings::CommaDecimal();
    EXPECT_EQ(NumericTimestampText(1500, session->regional), "01.01.1970 00:00:01.500 UTC");
}

TEST_F(RecordingReaderTest, SplitBeaconIsNotDecoded) {
    std::string chunk = KissFrame(Beacon(1));
    std::string file = RecordingEntry(kT1, chunk.substr(0, 90)) + RecordingEntry(kT2, chunk.substr(90));
    EXPECT_EQ(Read(file), 0);
    EXPECT_EQ(session->currentRxTimestamp, kT2);
}

TEST_F(RecordingReaderTest, FrameBeforeAnyTimestampKeepsTheEarlierStamp) {
    session->currentRxTimestamp = "from the last file";
    EXPECT_EQ(Read(KissFrame(Beacon(1))), 1);
    EXPECT_EQ(session->records.Record(1).RxTime, "from the last file");
}

TEST_F(RecordingReaderTest, UnreadableFileImportsNothingAndSaysWhy) {
    std::string error;
    EXPECT_FALSE(ReadKissFile(session->Road(), "/nonexistent/x.kss", error));
    EXPECT_FALSE(error.empty());
    testing::TempDir dir;
    EXPECT_FALSE(ReadKissFile(session->Road(), dir.path().string(), error));
    EXPECT_EQ(session->RecordCount(), 0);
}

}  // namespace
}  // namespace kelvanor
