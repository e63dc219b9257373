#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanor {

inline constexpr char kFend = '\xC0';
inline constexpr char kFesc = '\xDB';
inline constexpr char kTfend = '\xDC';
inline constexpr char kTfesc = '\xDD';
inline constexpr char kTimestampCommand = '\x09';

// Un-escapes a KISS frame in two passes: every FESC TFEND becomes FEND, then
// every FESC TFESC becomes FESC. Any other FESC is left as it stands.
std::string KissUnescape(std::string_view frame);
// The same into `out`, which keeps its capacity from frame to frame.
void KissUnescapeInto(std::string_view frame, std::string& out);

// Escapes frame content the way a TNC sends it: FEND as FESC TFEND, FESC as
// FESC TFESC.
std::string KissEscape(std::string_view content);

// FEND, the escaped content, FEND.
std::string KissFrame(std::string_view content);

// Two upper-case hexadecimal digits.
std::string HexByte(std::uint8_t value);

// Rebuilds `out` as the hex text of every byte of `bytes`.
void AppendHex(std::string& out, std::string_view bytes);

}  // namespace kelvanor
