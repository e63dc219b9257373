#include "decode/beacon_layout.h"

#include <array>

namespace kelvanor {

namespace {

// channel, offset, read, scale, factor, bit, battery thermistor
constexpr std::array<FieldSpec, 117> kLayout{{
    {0, 16, FieldRead::U32LE, FieldScale::AsRead, 0, 0, false},
    {1, 20, FieldRead::F64BE, FieldScale::Divide, 1000, 0, false},
    {2, 28, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {3, 29, FieldRead::U16LE, FieldScale::Divide, 1000, 0, false},
    {4, 31, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {5, 29, FieldRead::U16LE, FieldScale::StateOfCharge, 0, 0, false},
    {6, 33, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {7, 34, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {8, 35, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {9, 36, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {10, 37, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {11, 38, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {12, 39, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {13, 40, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {14, 41, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {15, 42, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {16, 43, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {17, 44, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {18, 45, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {19, 46, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {20, 48, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {21, 50, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {22, 52, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {23, 54, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {24, 56, FieldRead::U16BE, FieldScale::Multiply, 1e-3, 0, false},
    {25, 58, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {26, 59, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {27, 60, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {28, 61, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {29, 62, FieldRead::Bit, FieldScale::AsRead, 0, 0, false},
    {30, 62, FieldRead::Bit, FieldScale::AsRead, 0, 1, false},
    {31, 62, FieldRead::Bit, FieldScale::AsRead, 0, 2, false},
    {32, 62, FieldRead::Bit, FieldScale::AsRead, 0, 3, false},
    {33, 62, FieldRead::Bit, FieldScale::AsRead, 0, 4, false},
    {34, 62, FieldRead::Bit, FieldScale::AsRead, 0, 5, false},
    {35, 62, FieldRead::Bit, FieldScale::AsRead, 0, 6, false},
    {36, 62, FieldRead::Bit, FieldScale::AsRead, 0, 7, false},
    {37, 63, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {38, 64, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {39, 65, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {40, 66, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {41, 67, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {42, 68, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {43, 69, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {44, 70, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {45, 71, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {46, 72, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {47, 73, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, false},
    {48, 75, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, true},
    {49, 77, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, false},
    {50, 79, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, true},
    {51, 81, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, false},
    {53, 83, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, false},
    {54, 85, FieldRead::S16BE, FieldScale::Thermistor, 0, 0, false},
    {55, 87, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {56, 89, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {57, 91, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {58, 93, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {59, 95, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {60, 97, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {61, 99, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {62, 101, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {63, 103, FieldRead::S8, FieldScale::Divide, 2, 0, false},
    {64, 104, FieldRead::S8, FieldScale::Divide, 2, 0, false},
    {65, 105, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {66, 107, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {67, 109, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {68, 111, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {69, 113, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {70, 115, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {71, 117, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {72, 119, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {73, 121, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {74, 123, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {75, 125, FieldRead::S8, FieldScale::Multiply, 1e-3, 0, false},
    {76, 126, FieldRead::S8, FieldScale::Multiply, 1e-3, 0, false},
    {77, 127, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {78, 129, FieldRead::S16BE, FieldScale::Multiply, 1e-3, 0, false},
    {79, 131, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {80, 133, FieldRead::S16BE, FieldScale::Divide, 2, 0, false},
    {81, 135, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {82, 136, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {83, 137, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {84, 138, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {85, 139, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {86, 140, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {87, 141, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {88, 142, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {89, 143, FieldRead::U16BE, FieldScale::RfOutputPower, 0, 0, false},
    {90, 145, FieldRead::U16BE, FieldScale::PaTemperature, 0, 0, false},
    {91, 147, FieldRead::U8, FieldScale::Multiply, 0.0625, 0, false},
    {92, 148, FieldRead::U8, FieldScale::Multiply, 0.0625, 0, false},
    {93, 149, FieldRead::U16BE, FieldScale::Multiply, 0.0625, 0, false},
    {94, 151, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {95, 152, FieldRead::U16BE, FieldScale::Divide, 128, 0, false},
    {96, 154, FieldRead::U16BE, FieldScale::Divide, 128, 0, false},
    {97, 156, FieldRead::U16BE, FieldScale::Divide, 130, 0, false},
    {98, 158, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {99, 159, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {100, 160, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {101, 161, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {102, 162, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {103, 163, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {104, 164, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {105, 165, FieldRead::U8, FieldScale::AsRead, 0, 0, false},
    {106, 166, FieldRead::S32BE, FieldScale::Multiply, 0.00002, 0, false},
    {107, 170, FieldRead::S32BE, FieldScale::Multiply, 0.00002, 0, false},
    {108, 174, FieldRead::S32BE, FieldScale::Multiply, 0.00002, 0, false},
    {109, 178, FieldRead::S32BE, FieldScale::Multiply, 0.000000005, 0, false},
    {110, 182, FieldRead::S32BE, FieldScale::Multiply, 0.000000005, 0, false},
    {111, 186, FieldRead::S32BE, FieldScale::Multiply, 0.000000005, 0, false},
    {112, 190, FieldRead::S16BE, FieldScale::Multiply, 0.00004, 0, false},
    {113, 192, FieldRead::S16BE, FieldScale::Multiply, 0.00004, 0, false},
    {114, 194, FieldRead::S16BE, FieldScale::Multiply, 0.00004, 0, false},
    {115, 196, FieldRead::S8, FieldScale::Multiply, 0.8, 0, false},
    {116, 197, FieldRead::S16BE, FieldScale::Multiply, 0.005, 0, false},
    {117, 199, FieldRead::S16BE, FieldScale::Multiply, 0.005, 0, false},
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
