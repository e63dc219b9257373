#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanor {

struct ChannelLabels;
struct RecordDisplay;

// The text followed by blanks up to `width`; a longer text is left whole.
std::string PadRight(std::string_view text, std::size_t width);

inline constexpr std::string_view kTlmTitle =
    "KELVANOR Telemetry Decoder   by the KELVANOR ground-station decoder developers";

// The TLM report of what the display shows: title, 54 "=", an empty line,
// and 59 lines pairing channels 2k and 2k+1 (name 20, value 15, unit 4,
// " |  ", name 20, value 15, unit 4), CR LF line ends.
std::string TlmText(const ChannelLabels& labels, const RecordDisplay& display);

}  // namespace kelvanor
