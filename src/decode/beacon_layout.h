#pragma once

#include <span>

namespace kelvanor {

// How a beacon field is read from the frame.
enum class FieldRead { U8, S8, U16LE, U16BE, S16BE, U32LE, S32BE, F64BE, Bit };

// How the raw field becomes the stored channel value.
enum class FieldScale {
    AsRead,
    Multiply,        // raw * factor
    Divide,          // raw / factor
    RfOutputPower,   // raw * 3 / 4096 * 28 / 18
    PaTemperature,   // (raw * 3 / 4096 - 0.5) * 100
    StateOfCharge,   // BatteryStateOfCharge of the battery voltage
    Thermistor,      // ThermistorTemp of the count and the battery voltage
};

struct FieldSpec {
    int channel;
    int offset;
    FieldRead read;
    FieldScale scale;
    double factor = 0;          // Multiply/Divide: the constant
    int bit = 0;                // Bit: bit number 0..7
    bool batteryThermistor = false;  // Thermistor: B = 3518 instead of 3435
};

// Offset of the battery voltage (millivolts, little-endian) that feeds
// channels 3, 5 and the thermistors.
inline constexpr int kBatteryVoltageOffset = 29;
// Offset of the on-board clock (big-endian double, seconds).
inline constexpr int kTaiSecondsOffset = 20;

// The beacon's fields in decoding order: channels 0 and 1, then 2 to 117 with
// 52 left out and channel 5 right after channel 4.
std::span<const FieldSpec> BeaconLayout();

// The field that fills `channel`, or nullptr for a channel no field fills
// (52) or a number outside 0..117.
const FieldSpec* FieldOfChannel(int channel);

// Byte count of a field read.
int FieldLength(FieldRead read);

}  // namespace kelvanor
