#include "decode/frame_bytes.h"

#include <bit>
#include <cstring>

namespace kelvanor {

double BytesToNumber(std::span<const std::uint8_t> bytes, std::int32_t first, std::int32_t last,
                     bool isUnsigned, MessageReporter& reporter) {
    if (last < 1) last = static_cast<std::int32_t>(bytes.size());
    if (!(0 <= first && first <= last)) {
        reporter.Information(kBytesToNumberMessage);
        return -1;
    }
    auto element = [&](std::int32_t i) -> double {
        if (i < 1 || static_cast<std::size_t>(i) > bytes.size()) {
            throw IndexOutOfRange("BytesToNumber: element outside the array");
        }
        return bytes[static_cast<std::size_t>(i) - 1];
    };
    double result = element(first);
    double weight = 1;
    for (std::int32_t i = first + 1; i <= last; ++i) {
        weight *= 256;
        double term = element(i);
        if (i == last && !isUnsigned && term >= 128) term -= 256;
        result += term * weight;
    }
    return result;
}

namespace {

SilentReporter g_silent;  // stateless; shared fallback when no reporter is set

}  // namespace

bool FrameBytes::Load(std::string_view frame) {
    std::size_t n = frame.size() < kSize ? frame.size() : kSize;
    std::memcpy(m_bytes.data(), frame.data(), n);
    return frame.size() <= kSize;
}

std::size_t FrameBytes::Checked(int offset, int length) {
    if (offset < 0 || offset + length > kSize) {
        throw IndexOutOfRange("frame field outside offsets 0 to 254");
    }
    return static_cast<std::size_t>(offset);
}

std::uint8_t FrameBytes::ReadU8(int offset) const { return m_bytes[Checked(offset, 1)]; }

std::int16_t FrameBytes::ReadS8(int offset) const {
    int b = m_bytes[Checked(offset, 1)];
    return static_cast<std::int16_t>(b < 128 ? b : b - 256);
}

double FrameBytes::ReadU16LE(int offset) const {
    std::size_t o = Checked(offset, 2);
    const std::uint8_t scratch[2] = {m_bytes[o], m_bytes[o + 1]};
    MessageReporter& r = m_reporter ? *m_reporter : g_silent;
    return BytesToNumber(scratch, 1, 2, true, r);
}

double FrameBytes::ReadU16BE(int offset) const {
    std::size_t o = Checked(offset, 2);
    const std::uint8_t scratch[2] = {m_bytes[o + 1], m_bytes[o]};
    MessageReporter& r = m_reporter ? *m_reporter : g_silent;
    return BytesToNumber(scratch, 1, 2, true, r);
}

double FrameBytes::ReadS16BE(int offset) const {
    std::size_t o = Checked(offset, 2);
    const std::uint8_t scratch[2] = {m_bytes[o + 1], m_bytes[o]};
    MessageReporter& r = m_reporter ? *m_reporter : g_silent;
    return BytesToNumber(scratch, 1, 2, false, r);
}

double FrameBytes::ReadU32LE(int offset) const {
    std::size_t o = Checked(offset, 4);
    const std::uint8_t scratch[4] = {m_bytes[o], m_bytes[o + 1], m_bytes[o + 2], m_bytes[o + 3]};
    MessageReporter& r = m_reporter ? *m_reporter : g_silent;
    return BytesToNumber(scratch, 1, 4, true, r);
}

double FrameBytes::ReadS32BE(int offset) const {
    std::size_t o = Checked(offset, 4);
    const std::uint8_t scratch[4] = {m_bytes[o + 3], m_bytes[o + 2], m_bytes[o + 1], m_bytes[o]};
    MessageReporter& r = m_reporter ? *m_reporter : g_silent;
    return BytesToNumber(scratch, 1, 4, false, r);
}

double FrameBytes::ReadF64BE(int offset) const {
    std::size_t o = Checked(offset, 8);
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | m_bytes[o + static_cast<std::size_t>(i)];
    return std::bit_cast<double>(bits);
}

double FrameBytes::ReadBit(int offset, int bit) const {
    if (bit < 0 || bit > 7) throw IndexOutOfRange("bit number outside 0 to 7");
    unsigned mask = 1u << bit;
    return (m_bytes[Checked(offset, 1)] & mask) / static_cast<double>(mask);
}

}  // namespace kelvanor
