#include <gtest/gtest.h>

#include <memory>

#include "acquire/frame_roads.h"
#include "acquire/kiss_file_reader.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "session/session.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

std::string Beacon(int packet) { return testing::PlausibleBeacon(packet).Frame(); }

const std::string kT1 = "2021-02-04 12:54:56.123 UTC", kT2 = "2021-02-04 12:55:06.456 UTC";

// Only pieces between the first and the last FEND count; a beacon is a
// 201-byte frame with command byte 0 and the exact beacon address, stamped
// with the last timestamp record before it (or the one from before the
// file). Timestamp records: the text form is the 27 characters ending in the
// first "UTC", which must start at position 25 or later; the numeric form
// 8 bytes of milliseconds since 1970, up to the end of the year 9999.
TEST(RecordingReaderTest, WhichPiecesBecomeRecordsAndTimestamps) {
    const std::string f1 = KissFrame(Beacon(1)), f2 = KissFrame(Beacon(2));
    auto with = [](int at, std::string b) { return KissFrame(Beacon(1).replace(at, b.size(), b)); };
    auto ts = [](const std::string& s) { return KissFrame("\x09" + s); };
    auto ms = [&](const char* count) { return ts(std::string(count, 8)); };
    struct Case {
        std::string bytes;
        std::vector<int> packets;
        // the current RX timestamp, on the last record too; the start of the hex text, if given
        std::string rx = "earlier", hex;
    } cases[] = {
        {RecordingEntry(kT1, f1) + RecordingEntry(kT2, f2), {1, 2}, kT2},
        {f1.substr(1) + f2, {2}},
        {f2 + f1.substr(0, f1.size() - 1), {2}},
        {Beacon(4), {}},
        {"\xC0\xC0\xC0" + f1 + "\xC0\xC0", {1}},  // before any timestamp record
        {with(0, "\x09"), {}},                    // 201 bytes, but a timestamp record
        {with(1, "xq9rl 0xq9mvt0") + with(1, "APRS  0DL9XYZ0"), {}, "earlier", "41505253"},
        {RecordingEntry(kT1, f1.substr(0, 90)) + RecordingEntry(kT2, f1.substr(90)), {}, kT2},
        {ts("junk" + kT2 + "UTC and more"), {}, kT2},
        {ts("2021-02-04 12:54:56.1 UTC"), {}},  // "UTC" at position 24
        {ts("2021-02-04 12:54:56.12 UTC"), {}, "\t2021-02-04 12:54:56.12 UTC"},  // at 25
        {ts("no time at all here, sorry!"), {}},
        {ms("\0\0\0\0\0\0\x05\xDC"), {}, "1970-01-01 00:00:01.500 UTC", "00000000000005DC"},
        {ms("\0\0\0\0\0\0\0\x05"), {}, "1970-01-01 00:00:00.005 UTC"},
        {ms("\0\0\xE6\x77\xD2\x1F\xDB\xFF"), {}, "9999-12-31 23:59:59.999 UTC"},
        {ms("\0\0\xE6\x77\xD2\x1F\xDC\0"), {}},               // the first millisecond after 9999
        {ts("ABCDEFGH"), {}, "earlier", "4142434445464748"},  // also a count, far beyond
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes.substr(0, 40)));
        auto session = std::make_unique<Session>();
        session->currentRxTimestamp = "earlier";
        EXPECT_EQ(ReadKissBytes(session->Road(), c.bytes), std::ssize(c.packets));
        for (int i = 0; i < std::ssize(c.packets); ++i)
            EXPECT_EQ(session->records.Record(i + 1).Values[0], c.packets[i]);
        EXPECT_EQ(session->frameLog.empty(), c.packets.empty());  // nothing else was decoded
        EXPECT_EQ(session->currentRxTimestamp, c.rx);
        if (!c.packets.empty())
            EXPECT_EQ(session->records.Record(std::ssize(c.packets)).RxTime, c.rx);
        EXPECT_EQ(session->currentHexText.substr(0, c.hex.size()), c.hex);
    }
    EXPECT_EQ(NumericTimestampText(1500, RegionalSettings::CommaDecimal()),
              "01.01.1970 00:00:01.500 UTC");
}

}  // namespace
}  // namespace kelvanor
