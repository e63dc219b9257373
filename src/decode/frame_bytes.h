#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

#include "decode/reporter.h"

namespace kelvanor {

// Raised when a field or an element lies outside the array it is read from.
class IndexOutOfRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

inline constexpr std::string_view kBytesToNumberMessage =
    "Start record can not be greater then End record...!";

// Assembles an integer from `bytes`, least significant element first.
// Elements are numbered from 1 (bytes[0] is element 1). A `last` below 1
// means the last element. Unless 0 <= first <= last the information message
// goes to `reporter` and the result is -1. With `isUnsigned` false the last
// element counts as a signed byte.
double BytesToNumber(std::span<const std::uint8_t> bytes, std::int32_t first, std::int32_t last,
                     bool isUnsigned, MessageReporter& reporter);

// The one frame buffer: 255 bytes, frame byte k at offset k, never cleared, so
// a short frame leaves the bytes behind its end as earlier frames left them.
class FrameBytes {
public:
    static constexpr int kSize = 255;

    // Copies the frame in, byte k to offset k. A frame longer than 255 bytes
    // loads its first 255 bytes and then returns false.
    bool Load(std::string_view frame);

    std::uint8_t ReadU8(int offset) const;
    std::int16_t ReadS8(int offset) const;
    double ReadU16LE(int offset) const;
    double ReadU16BE(int offset) const;
    double ReadS16BE(int offset) const;
    double ReadU32LE(int offset) const;
    double ReadS32BE(int offset) const;
    double ReadF64BE(int offset) const;
    // 0 or 1: bit `bit` (0 = least significant) of the byte at `offset`.
    double ReadBit(int offset, int bit) const;

    std::uint8_t operator[](int offset) const { return m_bytes[Checked(offset, 1)]; }
    const std::array<std::uint8_t, kSize>& bytes() const { return m_bytes; }

    void SetReporter(MessageReporter* reporter) { m_reporter = reporter; }

private:
    static std::size_t Checked(int offset, int length);

    std::array<std::uint8_t, kSize> m_bytes{};
    MessageReporter* m_reporter = nullptr;
};

}  // namespace kelvanor
