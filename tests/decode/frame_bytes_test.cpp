#include "decode/frame_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanor {
namespace {

class RecordingReporter : public MessageReporter {
public:
    void Information(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

FrameBytes WithBytes(int offset, std::vector<int> bytes) {
    std::string frame(255, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        frame[static_cast<std::size_t>(offset) + i] = static_cast<char>(bytes[i]);
    }
    FrameBytes f;
    f.Load(frame);
    return f;
}

enum class Accessor { U8, S8, U16LE, U16BE, S16BE, U32LE, S32BE, F64BE };

double Read(const FrameBytes& f, Accessor a, int offset) {
    switch (a) {
        case Accessor::U8: return f.ReadU8(offset);
        case Accessor::S8: return f.ReadS8(offset);
        case Accessor::U16LE: return f.ReadU16LE(offset);
        case Accessor::U16BE: return f.ReadU16BE(offset);
        case Accessor::S16BE: return f.ReadS16BE(offset);
        case Accessor::U32LE: return f.ReadU32LE(offset);
        case Accessor::S32BE: return f.ReadS32BE(offset);
        case Accessor::F64BE: return f.ReadF64BE(offset);
    }
    return 0;
}

struct AccessorCase {
    const char* name;
    Accessor accessor;
    std::vector<int> bytes;
    double expected;
};

TEST(FrameBytesTest, AccessorsReadTheirByteOrderAndSignedness) {
    const AccessorCase cases[] = {
        {"U8 high byte", Accessor::U8, {0x80}, 128},
        {"S8 high byte", Accessor::S8, {0x80}, -128},
        {"S8 7F", Accessor::S8, {0x7F}, 127},
        {"U16LE FE FF", Accessor::U16LE, {0xFE, 0xFF}, 65534},
        {"U16BE 01 02", Accessor::U16BE, {0x01, 0x02}, 0x0102},
        {"S16BE FF FE", Accessor::S16BE, {0xFF, 0xFE}, -2},
        {"S16BE 80 00", Accessor::S16BE, {0x80, 0x00}, -32768},
        {"S16BE 7F FF", Accessor::S16BE, {0x7F, 0xFF}, 32767},
        {"U32LE 01 00 00 80", Accessor::U32LE, {0x01, 0x00, 0x00, 0x80}, 2147483649.0},
        {"U32LE FF FF FF FF", Accessor::U32LE, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0},
        {"S32BE 80 00 00 00", Accessor::S32BE, {0x80, 0, 0, 0}, -2147483648.0},
        {"S32BE 00 00 01 02", Accessor::S32BE, {0, 0, 1, 2}, 258},
        {"F64BE minus two", Accessor::F64BE, {0xC0, 0, 0, 0, 0, 0, 0, 0}, -2.0},
    };
    for (const AccessorCase& c : cases) {
        FrameBytes f = WithBytes(40, c.bytes);
        EXPECT_EQ(Read(f, c.accessor, 40), c.expected) << c.name;
    }
}

TEST(FrameBytesTest, FieldsOutsideTheBufferAreIndexFailures) {
    FrameBytes f;
    EXPECT_NO_THROW(f.ReadU8(254));
    EXPECT_THROW(f.ReadU8(255), IndexOutOfRange);
    EXPECT_THROW(f.ReadU8(-1), IndexOutOfRange);
    EXPECT_NO_THROW(f.ReadU16BE(253));
    EXPECT_THROW(f.ReadU16BE(254), IndexOutOfRange);
    EXPECT_NO_THROW(f.ReadF64BE(247));
    EXPECT_THROW(f.ReadF64BE(248), IndexOutOfRange);
    EXPECT_THROW(f.ReadBit(0, 8), IndexOutOfRange);
    EXPECT_THROW(f[255], IndexOutOfRange);
    EXPECT_THROW(f[-1], IndexOutOfRange);
}

TEST(FrameBytesTest, ShortFrameLeavesTheTailAsEarlierFramesLeftIt) {
    FrameBytes f;
    f.Load(std::string(255, '\x77'));
    EXPECT_TRUE(f.Load(std::string(201, '\x01')));
    EXPECT_EQ(f.ReadU8(200), 1);
    for (int offset = 201; offset < 255; ++offset) EXPECT_EQ(f.ReadU8(offset), 0x77) << offset;
}

TEST(FrameBytesTest, OverlongFrameLoadsItsFirst255BytesThenFails) {
    FrameBytes f;
    EXPECT_TRUE(f.Load(std::string(255, '\x05')));  // the longest frame that fits
    std::string frame(256, '\x05');
    frame[254] = '\x09';
    EXPECT_FALSE(f.Load(frame));
    EXPECT_EQ(f.ReadU8(254), 9);
}

TEST(BytesToNumberTest, AssemblesLeastSignificantFirst) {
    SilentReporter quiet;
    const std::uint8_t bytes[] = {0x34, 0x12, 0xFF};
    EXPECT_EQ(BytesToNumber(bytes, 1, 2, true, quiet), 0x1234);
    EXPECT_EQ(BytesToNumber(bytes, 1, 3, true, quiet), 0xFF1234);
    EXPECT_EQ(BytesToNumber(bytes, 1, 3, false, quiet), -0x10000 + 0x1234);
    // last below 1 reads up to the last element
    EXPECT_EQ(BytesToNumber(bytes, 1, 0, true, quiet), 0xFF1234);
    // one element is always the unsigned byte
    EXPECT_EQ(BytesToNumber(bytes, 3, 3, false, quiet), 255);
}

TEST(BytesToNumberTest, StartAfterEndShowsTheMessageAndYieldsMinusOne) {
    RecordingReporter reporter;
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(BytesToNumber(bytes, 3, 2, true, reporter), -1);
    EXPECT_EQ(BytesToNumber(bytes, -1, 2, true, reporter), -1);
    ASSERT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(reporter.messages[0], "Start record can not be greater then End record...!");
}

TEST(BytesToNumberTest, ElementsOutsideTheArrayAreIndexFailures) {
    SilentReporter quiet;
    const std::uint8_t bytes[] = {1, 2};
    EXPECT_THROW(BytesToNumber(bytes, 0, 2, true, quiet), IndexOutOfRange);
    EXPECT_THROW(BytesToNumber(bytes, 1, 3, true, quiet), IndexOutOfRange);
}

}  // namespace
}  // namespace kelvanor
