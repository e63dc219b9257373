#include "acquire/kiss_framing.h"

#include <gtest/gtest.h>

#include "acquire/frame_tap.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"

namespace kelvanor {
namespace {

using namespace std::string_literals;

// Escaping writes FEND and FESC as two bytes each, and nothing else changes;
// unescaping undoes it in two passes, FESC TFESC first, and leaves a FESC
// before anything else as it is.
TEST(KissEscapeTest, FendAndFescAsTwoBytesAndBackInTwoPasses) {
    EXPECT_EQ(KissEscape("A\xC0\xDB\xDC\xDD"s), "A\xDB\xDC\xDB\xDD\xDC\xDD"s);
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(KissUnescape(KissEscape(all)), all);
    const std::pair<std::string, std::string> cases[] = {
        {"\xDB\xDD\xDC"s, "\xDB\xDC"s},  // FESC TFESC, then a lone TFEND
        {"\xDB\xDC"s, "\xC0"s},         {"\xDB\xDD"s, "\xDB"s},
        {"\xDB\x41"s, "\xDB\x41"s},  // FESC before anything else stays
        {"\x01\xDB"s, "\x01\xDB"s},  // and at the end
    };
    for (const auto& [escaped, plain] : cases) EXPECT_EQ(KissUnescape(escaped), plain);
}

TEST(HexTest, TwoUpperCaseDigits) {
    EXPECT_EQ(HexByte(0) + HexByte(0x0A) + HexByte(0xC0), "000AC0");
    std::string out = "7E";
    AppendHex(out, "\x58\xFF"s);
    EXPECT_EQ(out, "7E58FF");
}

TEST(RecordingWriterTest, TimestampRecordThenTheChunkUnchanged) {
    EXPECT_EQ(RecordingEntry("2021-02-04 12:54:56.123 UTC", "\xC0\x00\x41\xC0"s),
              "\xC0\x09"
              "2021-02-04 12:54:56.123 UTC"
              "\xC0\xC0\x00\x41\xC0"s);
    EXPECT_EQ(RecordingFileName(2021, 2, 4), "2021-02-04_kelvanor.kss");
    EXPECT_EQ(NumericTimestampRecord(0x0102C0), "\xC0\x09\0\0\0\0\0\x01\x02\xDB\xDC\xC0"s);
}

TEST(UtcTextTest, DateTimeAndMillisecondsOfTheUtcClock) {
    const std::pair<long long, const char*> cases[] = {  // milliseconds since 1970, the text
        {0, "1970-01-01 00:00:00.000"},           {60000, "1970-01-01 00:01:00.000"},
        {3600000 - 1, "1970-01-01 00:59:59.999"}, {1606684801141, "2020-11-29 21:20:01.141"},
        {951782400000, "2000-02-29 00:00:00.000"}, {-1, "1969-12-31 23:59:59.999"},
    };
    for (auto [ms, text] : cases)
        EXPECT_EQ(UtcText(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms))),
                  text);
}

// The reception time a text names, as the archive stores it: UTC
// milliseconds since 1970 ("-": none).
TEST(UtcTextTest, MillisecondsOfAText) {
    const std::pair<const char*, long long> cases[] = {
        {"1970-01-01 00:00:00", 0}, {"2020-11-29 21:20:01.141 UTC", 1606684801141},
        {"2020-11-29T21:20:01Z", 1606684801000}, {"2000-02-29 23:59:59.999", 951868799999},
        {"1969-12-31 23:59:59.9", -1000}, {"2020-11-29 21:20", -1},  // too short
        {"2020-11-29 21:60:01", -1}, {"2020-11-29 24:00:00", -1}, {"2020-11-29 21:20:60", -1},
        {"2020-13-29 21:20:01", -1}, {"2020-11-32 21:20:01", -1}, {"0000-11-29 21:20:01", -1},
        {"2020/11-29 21:20:01", -1}, {"2020-11/29 21:20:01", -1}, {"2020-11-29_21:20:01", -1},
        {"2020-11-29 21.20:01", -1}, {"2020-11-29 21:20.01", -1}, {"2020-11-29 2x:20:01", -1},
        {"2020-11-29 21:20:01.x41", -1}, {"2020-11-29 21:59:59", 1606687199000}};
    for (auto [text, ms] : cases) EXPECT_EQ(UtcMilliseconds(text).value_or(-1), ms) << text;
}

}  // namespace
}  // namespace kelvanor
