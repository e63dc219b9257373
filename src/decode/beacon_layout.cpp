#include "decode/beacon_layout.h"

#include <array>

namespace kelvanor {

namespace {

constexpr FieldSpec AsRead(int channel, int offset, FieldRead read) {
    return {channel, offset, read, FieldScale::AsRead};
}
constexpr FieldSpec Times(int channel, int offset, FieldRead read, double factor) {
    return {channel, offset, read, FieldScale::Multiply, factor};
}
constexpr FieldSpec Over(int channel, int offset, FieldRead read, double divisor) {
    return {channel, offset, read, FieldScale::Divide, divisor};
}
constexpr FieldSpec OfBit(int channel, int offset, int bit) {
    return {.channel = channel, .offset = offset, .read = FieldRead::Bit, .scale = FieldScale::AsRead, .bit = bit};
}
// B = 3518 for the battery's thermistors, 3435 for the others.
constexpr FieldSpec Thermistor(int channel, int offset, bool battery) {
    return {.channel = channel,
            .offset = offset,
            .read = FieldRead::S16BE,
            .scale = FieldScale::Thermistor,
            .batteryThermistor = battery};
}

// channel, offset, read and, where the field is scaled, the constant
constexpr std::array<FieldSpec, 117> kLayout{{
    AsRead(0, 16, FieldRead::U32LE),
    Over(1, 20, FieldRead::F64BE, 1000),
    AsRead(2, 28, FieldRead::U8),
    Over(3, 29, FieldRead::U16LE, 1000),
    AsRead(4, 31, FieldRead::U8),
    {5, 29, FieldRead::U16LE, FieldScale::StateOfCharge},
    AsRead(6, 33, FieldRead::U8),
    AsRead(7, 34, FieldRead::U8),
    AsRead(8, 35, FieldRead::U8),
    AsRead(9, 36, FieldRead::U8),
    AsRead(10, 37, FieldRead::U8),
    AsRead(11, 38, FieldRead::U8),
    AsRead(12, 39, FieldRead::U8),
    AsRead(13, 40, FieldRead::U8),
    AsRead(14, 41, FieldRead::U8),
    AsRead(15, 42, FieldRead::U8),
    AsRead(16, 43, FieldRead::U8),
    AsRead(17, 44, FieldRead::U8),
    AsRead(18, 45, FieldRead::U8),
    Times(19, 46, FieldRead::U16BE, 1e-3),
    Times(20, 48, FieldRead::U16BE, 1e-3),
    Times(21, 50, FieldRead::U16BE, 1e-3),
    Times(22, 52, FieldRead::U16BE, 1e-3),
    Times(23, 54, FieldRead::U16BE, 1e-3),
    Times(24, 56, FieldRead::U16BE, 1e-3),
    AsRead(25, 58, FieldRead::U8),
    AsRead(26, 59, FieldRead::U8),
    AsRead(27, 60, FieldRead::U8),
    AsRead(28, 61, FieldRead::U8),
    OfBit(29, 62, 0),
    OfBit(30, 62, 1),
    OfBit(31, 62, 2),
    OfBit(32, 62, 3),
    OfBit(33, 62, 4),
    OfBit(34, 62, 5),
    OfBit(35, 62, 6),
    OfBit(36, 62, 7),
    AsRead(37, 63, FieldRead::U8),
    AsRead(38, 64, FieldRead::U8),
    AsRead(39, 65, FieldRead::U8),
    AsRead(40, 66, FieldRead::U8),
    AsRead(41, 67, FieldRead::U8),
    AsRead(42, 68, FieldRead::U8),
    AsRead(43, 69, FieldRead::U8),
    AsRead(44, 70, FieldRead::U8),
    AsRead(45, 71, FieldRead::U8),
    AsRead(46, 72, FieldRead::U8),
    Thermistor(47, 73, false),
    Thermistor(48, 75, true),
    Thermistor(49, 77, false),
    Thermistor(50, 79, true),
    Thermistor(51, 81, false),
    Thermistor(53, 83, false),
    Thermistor(54, 85, false),
    Over(55, 87, FieldRead::S16BE, 2),
    Times(56, 89, FieldRead::S16BE, 1e-3),
    Over(57, 91, FieldRead::S16BE, 2),
    Times(58, 93, FieldRead::S16BE, 1e-3),
    Over(59, 95, FieldRead::S16BE, 2),
    Times(60, 97, FieldRead::S16BE, 1e-3),
    Over(61, 99, FieldRead::S16BE, 2),
    Times(62, 101, FieldRead::S16BE, 1e-3),
    Over(63, 103, FieldRead::S8, 2),
    Over(64, 104, FieldRead::S8, 2),
    Times(65, 105, FieldRead::S16BE, 1e-3),
    Over(66, 107, FieldRead::S16BE, 2),
    Times(67, 109, FieldRead::S16BE, 1e-3),
    Over(68, 111, FieldRead::S16BE, 2),
    Times(69, 113, FieldRead::S16BE, 1e-3),
    Over(70, 115, FieldRead::S16BE, 2),
    Times(71, 117, FieldRead::S16BE, 1e-3),
    Over(72, 119, FieldRead::S16BE, 2),
    Times(73, 121, FieldRead::S16BE, 1e-3),
    Over(74, 123, FieldRead::S16BE, 2),
    Times(75, 125, FieldRead::S8, 1e-3),
    Times(76, 126, FieldRead::S8, 1e-3),
    Over(77, 127, FieldRead::S16BE, 2),
    Times(78, 129, FieldRead::S16BE, 1e-3),
    Over(79, 131, FieldRead::S16BE, 2),
    Over(80, 133, FieldRead::S16BE, 2),
    AsRead(81, 135, FieldRead::U8),
    AsRead(82, 136, FieldRead::U8),
    AsRead(83, 137, FieldRead::U8),
    AsRead(84, 138, FieldRead::U8),
    AsRead(85, 139, FieldRead::U8),
    AsRead(86, 140, FieldRead::U8),
    AsRead(87, 141, FieldRead::U8),
    AsRead(88, 142, FieldRead::U8),
    {89, 143, FieldRead::U16BE, FieldScale::RfOutputPower},
    {90, 145, FieldRead::U16BE, FieldScale::PaTemperature},
    Times(91, 147, FieldRead::U8, 0.0625),
    Times(92, 148, FieldRead::U8, 0.0625),
    Times(93, 149, FieldRead::U16BE, 0.0625),
    AsRead(94, 151, FieldRead::U8),
    Over(95, 152, FieldRead::U16BE, 128),
    Over(96, 154, FieldRead::U16BE, 128),
    Over(97, 156, FieldRead::U16BE, 130),
    AsRead(98, 158, FieldRead::U8),
    AsRead(99, 159, FieldRead::U8),
    AsRead(100, 160, FieldRead::U8),
    AsRead(101, 161, FieldRead::U8),
    AsRead(102, 162, FieldRead::U8),
    AsRead(103, 163, FieldRead::U8),
    AsRead(104, 164, FieldRead::U8),
    AsRead(105, 165, FieldRead::U8),
    Times(106, 166, FieldRead::S32BE, 0.00002),
    Times(107, 170, FieldRead::S32BE, 0.00002),
    Times(108, 174, FieldRead::S32BE, 0.00002),
    Times(109, 178, FieldRead::S32BE, 0.000000005),
    Times(110, 182, FieldRead::S32BE, 0.000000005),
    Times(111, 186, FieldRead::S32BE, 0.000000005),
    Times(112, 190, FieldRead::S16BE, 0.00004),
    Times(113, 192, FieldRead::S16BE, 0.00004),
    Times(114, 194, FieldRead::S16BE, 0.00004),
    Times(115, 196, FieldRead::S8, 0.8),
    Times(116, 197, FieldRead::S16BE, 0.005),
    Times(117, 199, FieldRead::S16BE, 0.005),
}};

}  // namespace

std::span<const FieldSpec> BeaconLayout() { return kLayout; }

const FieldSpec* FieldOfChannel(int channel) {
    for (const FieldSpec& field : kLayout) {
        if (field.channel == channel) return &field;
    }
    return nullptr;
}

int FieldLength(FieldRead read) {
    switch (read) {
        case FieldRead::U8:
        case FieldRead::S8:
        case FieldRead::Bit: return 1;
        case FieldRead::U16LE:
        case FieldRead::U16BE:
        case FieldRead::S16BE: return 2;
        case FieldRead::U32LE:
        case FieldRead::S32BE: return 4;
        case FieldRead::F64BE: return 8;
    }
    return 0;
}

}  // namespace kelvanor
