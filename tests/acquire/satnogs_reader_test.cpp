#include "acquire/satnogs_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "acquire/kiss_framing.h"
#include "session/session.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

// A SatNOGS line: 19-character time, a separator, the frame without its
// command byte as hex.
std::string Line(std::string time, int packet) {
    AppendHex(time += "|", testing::PlausibleBeacon(packet).Frame().substr(1));
    return time;
}

const std::string H = "timestamp|frame", C = "\r\n", L = "\n";
const std::string kA = Line("2021-02-04 10:00:01", 1), kB = Line("2021-02-04 10:00:11", 0xAF);

// An LF-only text gets CR LF first. Entries are handled bottom up; line 0 is
// the header and the last kept line is not handled. A hex part is decoded
// when it converts to 201 bytes, its last "pair" perhaps a single character
// (the CR of a CR LF line); a pair that starts with no hex digit reads 0
// (packet counter bytes "G5" "5h" "7x" "0x": 0x070500).
TEST(SatnogsReaderTest, HelpersAndWhichLinesBecomeRecords) {
    const std::pair<std::string_view, std::int32_t> hex[] = {
        {"FF", 255}, {"ff", 255}, {"0x1A", 26}, {"0X1a", 26}, {"&HFF", 255}, {"&hff", 255},
        {"1G", 1},   {"1:", 1},   {"1h", 1},   {"G1", 0},    {"", 0},      {"\r", 0},
        {"A\r", 10}, {"7", 7},    {"07", 7},
        {std::string_view("1\0", 2), 1}};  // NUL is no digit
    for (auto [text, expected] : hex) EXPECT_EQ(HexToLong(text), expected) << text;
    // A text with LF and without CR LF changes, once.
    for (std::string lf : {"a\nb\n", "a\n"}) EXPECT_TRUE(NormaliseLineEnds(lf) && !NormaliseLineEnds(lf));
    for (std::string none : {"a", ""}) EXPECT_FALSE(NormaliseLineEnds(none));
    const std::string low = std::string(kA).replace(20 + 30, 2, "fa");  // lower-case hex digits
    struct Case {
        std::string text, log;  // the whole log, when given
        std::vector<int> packets;
        int byte201 = 0;  // the frame buffer's last beacon byte
    } cases[] = {
        {H + C + low + C + low + C + low + C,
         "records from SatNOGS: 4\r\nafter removing duplicates: 2\r\n2021-02-04 10:00:01 | " +
             low.substr(20) + "\r\r\n",
         {0xFA}},
        {kA + L + kA + L + kB + L, "", {0xAF, 1}},  // line 1 kept though it repeats line 0
        {H + L + kA + L + kB + L + kA + L, "", {1, 0xAF, 1}},
        // 199, 199.5, 201 bytes; an LF-only 200-byte line inside a CR LF file
        {H + C + kA.substr(0, 418) + C + kA.substr(0, 419) + C + kA + "00" + C + kA + L + "x" + C},
        {H + C + kA + "7" + L, "", {1}, 7},
        {H + C + kA + C + kB + "\r", "", {1}},  // the last line, without LF, is kept, not handled
        {H + C + std::string(kA).replace(20 + 30, 8, "G55h7x0x") + C, "", {0x070500}},
        {H + C + std::string(kA).replace(20 + 30, 8, "50A0F00D") + C,
         "",
         {0x0DF0A050}},  // low digit 0
    };
    struct : ImportHooks {
        void ProcessPendingEvents() override { ++events; }
        void SetBusy(bool on) override { busy += on ? "on " : "off "; }
        int events = 0;
        std::string busy;  // the busy pointer, set while a log is read
    } hooks;
    for (Case c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        auto session = std::make_unique<Session>();
        NormaliseLineEnds(c.text);
        EXPECT_EQ(ReadSatnogsText(session->Road(), c.text, hooks), std::ssize(c.packets));
        for (int i = 0; int p : c.packets) EXPECT_EQ(session->records.Record(++i).Values[0], p);
        if (!c.log.empty()) EXPECT_EQ(session->frameLog, c.log);
        EXPECT_EQ(session->frameBytes[201], c.byte201);
    }
    // The 10001st beacon stores nothing; the lines above were too few to run pending events.
    auto session = std::make_unique<Session>();
    std::string text = H + C;
    for (int i = 0; i < 10001; ++i) text += Line("2021-02-04 10:00:01", i % 2) + C;
    EXPECT_EQ(ReadSatnogsText(session->Road(), text, hooks), 10000);
    EXPECT_EQ(hooks.events, 100);  // at entries 10000, 9900, ... 100
    EXPECT_EQ(hooks.busy, "on on on on on on on on on ");  // each read; the import clears it
    EXPECT_EQ(session->counterText, "100");
    // 10001 log lines after the two count lines
    EXPECT_EQ(std::count(session->frameLog.begin(), session->frameLog.end(), '\n'), 2 + 10001);
}

}  // namespace
}  // namespace kelvanor
