#include "acquire/kiss_framing.h"

#include <gtest/gtest.h>

#include "acquire/recording_writer.h"

namespace kelvanor {
namespace {

using namespace std::string_literals;

TEST(KissUnescapeTest, TwoPassesInOrder) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xDB\xDD\xDC"s, "\xDB\xDC"s},  // FESC TFESC, then a lone TFEND
        {"\xDB\xDC"s, "\xC0"s},
        {"\xDB\xDD"s, "\xDB"s},
        {"\xDB\x41"s, "\xDB\x41"s},  // FESC before anything else stays
        {"\x01\xDB"s, "\x01\xDB"s},  // and at the end
    };
    for (const auto& [escaped, plain] : cases) EXPECT_EQ(KissUnescape(escaped), plain);
}

TEST(KissEscapeTest, RoundTripsEveryByteValue) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string escaped = KissEscape(all);
    EXPECT_EQ(escaped.size(), 258u);  // FEND and FESC take two bytes each
    EXPECT_EQ(escaped.find('\xC0'), std::string::npos);
    EXPECT_EQ(KissUnescape(escaped), all);
}

TEST(HexTest, TwoUpperCaseDigits) {
    EXPECT_EQ(HexByte(0) + HexByte(0x0A) + HexByte(0xC0), "000AC0");
    std::string out = "7E";
    AppendHex(out, "\x58\xFF"s);
    EXPECT_EQ(out, "7E58FF");
}

TEST(RecordingWriterTest, TimestampRecordThenTheChunkUnchanged) {
    EXPECT_EQ(RecordingEntry("2021-02-04 12:54:56.123 UTC", "\xC0\x00\x41\xC0"s),
              "\xC0\x09" "2021-02-04 12:54:56.123 UTC" "\xC0\xC0\x00\x41\xC0"s);
    EXPECT_EQ(RecordingFileName(2021, 2, 4), "2021-02-04_kelvanor.kss");
}

}  // namespace
}  // namespace kelvanor
