#include "acquire/kiss_framing.h"

#include <gtest/gtest.h>

#include "acquire/recording_writer.h"

namespace kelvanor {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(KissUnescapeTest, TwoPassesInOrder) {
    EXPECT_EQ(KissUnescape(Bytes({0xDB, 0xDD, 0xDC})), Bytes({0xDB, 0xDC}));
    EXPECT_EQ(KissUnescape(Bytes({0xDB, 0xDC})), Bytes({0xC0}));
    EXPECT_EQ(KissUnescape(Bytes({0xDB, 0xDD})), Bytes({0xDB}));
    EXPECT_EQ(KissUnescape(Bytes({0xDB, 0x41})), Bytes({0xDB, 0x41}));
    EXPECT_EQ(KissUnescape(Bytes({0x01, 0xDB})), Bytes({0x01, 0xDB}));
}

TEST(KissEscapeTest, RoundTripsEveryByteValue) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string escaped = KissEscape(all);
    EXPECT_EQ(escaped.find('\xC0'), std::string::npos);
    EXPECT_EQ(KissUnescape(escaped), all);
}

TEST(HexTest, TwoUpperCaseDigits) {
    EXPECT_EQ(HexByte(0), "00");
    EXPECT_EQ(HexByte(0x0A), "0A");
    EXPECT_EQ(HexByte(0xC0), "C0");
    std::string out;
    AppendHex(out, Bytes({0x58, 0xFF}));
    EXPECT_EQ(out, "58FF");
}

TEST(RecordingWriterTest, TimestampRecordThenTheChunkUnchanged) {
    const std::string when = "2021-02-04 12:54:56.123 UTC";
    const std::string chunk = Bytes({0xC0, 0x00, 0x41, 0xC0});
    std::string entry = RecordingEntry(when, chunk);
    ASSERT_EQ(entry.size(), 1 + 1 + 27 + 1 + chunk.size());
    EXPECT_EQ(entry.substr(0, 2), Bytes({0xC0, 0x09}));
    EXPECT_EQ(entry.substr(2, 27), when);
    EXPECT_EQ(entry.substr(29, 1), Bytes({0xC0}));
    EXPECT_EQ(entry.substr(30), chunk);
    EXPECT_EQ(RecordingFileName(2021, 2, 4), "2021-02-04_kelvanor.kss");
}

}  // namespace
}  // namespace kelvanor
