#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/record_store.h"

namespace kelvanor {

inline constexpr std::string_view kBeaconAddress = "XQ9RL 0XQ9MVT0";

// Builds a 201-byte beacon frame from chosen field values: the inverse of the
// decoder's layout. Starts as command byte 0x00, the beacon address and zeros.
class BeaconEncoder {
public:
    BeaconEncoder();

    // Writes the raw field of `channel` (the accessor's result the decoder
    // would read), rounded to a whole number for integer fields and wrapped
    // to the field's width. Channel 5 shares the battery field of channel 3;
    // channel 52 has no field and is ignored.
    void SetRaw(int channel, double raw);

    // Writes the field so that the decoder yields about `value` for the
    // channel (the nearest raw step). Channel 5 cannot be set this way:
    // set the battery voltage through channel 3.
    void SetValue(int channel, double value);

    void SetTaiSeconds(double seconds) { SetRaw(1, seconds); }
    void SetBatteryMillivolts(int millivolts) { SetRaw(3, millivolts); }
    void SetByte(int offset, std::uint8_t value);
    void SetCommandByte(std::uint8_t value) { SetByte(0, value); }

    // The frame, 201 bytes, one character per byte.
    std::string Frame() const;
    const std::array<std::uint8_t, kBeaconLength>& bytes() const { return m_bytes; }

private:
    std::array<std::uint8_t, kBeaconLength> m_bytes{};
};

// The raw thermistor count whose temperature is nearest `celsius`.
int ThermistorCount(double celsius, bool batteryThermistor);

}  // namespace kelvanor
