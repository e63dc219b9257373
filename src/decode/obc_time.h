#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "decode/regional_settings.h"

namespace kelvanor {

// The whole part of a number as its 15-significant-digit text shows it (the
// characters before the "."); empty when that does not fit 32 bits.
std::optional<std::int32_t> WholePart(double number);

// The "." and the digits after it of the same text, read as a number: never
// negative, and it keeps fewer decimals the larger the whole part is.
double FractionPart(double number);

// The on-board clock text for a day number d = (T - 37) / 86400 + 0.5, T the
// clock in seconds since 2000-01-01: the regional short date, a blank and the
// regional long time, seconds cut off after the 15-digit cuts. Empty when the
// date falls outside the years 100..9999, a whole part does not fit 32 bits,
// or the cut rounds the hour up to 24.
std::optional<std::string> FormatObcTime(double dayNumber, const RegionalSettings& settings);

// The date and time FormatObcTime writes, for callers that want the parts.
std::optional<CivilDateTime> ObcDateTime(double dayNumber);

}  // namespace kelvanor
