#include "decode/frame_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace kelvanor {
namespace {

class RecordingReporter : public MessageReporter {
public:
    void Information(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

TEST(FrameBytesTest, AccessorsReadTheirByteOrderAndSignedness) {
    using Read = std::function<double(const FrameBytes&, int)>;
    // the accessor, the bytes at offset 40, the value
    const std::tuple<Read, std::vector<int>, double> cases[] = {
        {&FrameBytes::ReadU8, {0x80}, 128},
        {&FrameBytes::ReadS8, {0x80}, -128},
        {&FrameBytes::ReadS8, {0x7F}, 127},
        {&FrameBytes::ReadU16LE, {0xFE, 0xFF}, 65534},
        {&FrameBytes::ReadU16BE, {0x01, 0x02}, 0x0102},
        {&FrameBytes::ReadS16BE, {0xFF, 0xFE}, -2},
        {&FrameBytes::ReadS16BE, {0x80, 0x00}, -32768},
        {&FrameBytes::ReadS16BE, {0x7F, 0xFF}, 32767},
        {&FrameBytes::ReadU32LE, {0x01, 0x00, 0x00, 0x80}, 2147483649.0},
        {&FrameBytes::ReadU32LE, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0},
        {&FrameBytes::ReadS32BE, {0x80, 0, 0, 0}, -2147483648.0},
        {&FrameBytes::ReadS32BE, {0, 0, 1, 2}, 258},
        {&FrameBytes::ReadF64BE, {0xC0, 0, 0, 0, 0, 0, 0, 0}, -2.0},
    };
    for (const auto& [read, bytes, expected] : cases) {
        std::string frame(255, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) frame[40 + i] = static_cast<char>(bytes[i]);
        FrameBytes f;
        f.Load(frame);
        EXPECT_EQ(read(f, 40), expected) << expected;
    }
}

TEST(FrameBytesTest, FieldsOutsideTheBufferAreIndexFailures) {
    FrameBytes f;
    EXPECT_NO_THROW(f.ReadU8(0));
    EXPECT_NO_THROW(f.ReadU8(254));
    EXPECT_THROW(f.ReadU8(255), IndexOutOfRange);
    EXPECT_THROW(f.ReadU8(-1), IndexOutOfRange);
    EXPECT_NO_THROW(f.ReadU16BE(253));
    EXPECT_THROW(f.ReadU16BE(254), IndexOutOfRange);
    EXPECT_NO_THROW(f.ReadF64BE(247));
    EXPECT_THROW(f.ReadF64BE(248), IndexOutOfRange);
    EXPECT_NO_THROW(f.ReadU32LE(251) + f.ReadS32BE(251));
    EXPECT_THROW(f.ReadU32LE(252), IndexOutOfRange);
    EXPECT_THROW(f.ReadBit(0, 8), IndexOutOfRange);
    EXPECT_THROW(f[255], IndexOutOfRange);
    EXPECT_THROW(f[-1], IndexOutOfRange);
}

TEST(FrameBytesTest, LoadKeepsTheTailOfAShortFrameAndCutsAnOverlongOne) {
    FrameBytes f;
    EXPECT_TRUE(f.Load(std::string(255, '\x77')));  // the longest frame that fits
    EXPECT_TRUE(f.Load(std::string(201, '\x01')));
    EXPECT_EQ(f.ReadU8(200), 1);
    for (int offset = 201; offset < 255; ++offset) EXPECT_EQ(f.ReadU8(offset), 0x77) << offset;
    std::string overlong(256, '\x05');
    overlong[254] = '\x09';
    EXPECT_FALSE(f.Load(overlong));
    EXPECT_EQ(f.ReadU8(254), 9);
}

TEST(BytesToNumberTest, AssemblesLeastSignificantFirstAndRefusesBadRanges) {
    RecordingReporter reporter;
    const std::uint8_t bytes[] = {0x34, 0x12, 0xFF};
    EXPECT_EQ(BytesToNumber(bytes, 1, 2, true, reporter), 0x1234);
    EXPECT_EQ(BytesToNumber(bytes, 1, 3, true, reporter), 0xFF1234);
    EXPECT_EQ(BytesToNumber(bytes, 1, 3, false, reporter), -0x10000 + 0x1234);
    EXPECT_EQ(BytesToNumber(bytes, 1, 0, true, reporter), 0xFF1234);  // last below 1: to the end
    EXPECT_EQ(BytesToNumber(bytes, 3, 3, false, reporter), 255);
    EXPECT_EQ(BytesToNumber(bytes, 1, 1, true, reporter), 0x34);      // one element is unsigned
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(BytesToNumber(bytes, 3, 2, true, reporter), -1);
    EXPECT_EQ(BytesToNumber(bytes, -1, 2, true, reporter), -1);
    EXPECT_EQ(reporter.messages,
              std::vector<std::string>(2, "Start record can not be greater then End record...!"));
    EXPECT_THROW(BytesToNumber(bytes, 0, 2, true, reporter), IndexOutOfRange);
    EXPECT_THROW(BytesToNumber(bytes, 1, 4, true, reporter), IndexOutOfRange);
}

}  // namespace
}  // namespace kelvanor
