#include "channels/channel_table.h"

#include "decode/frame_bytes.h"

namespace kelvanor {

namespace {

// number, name, unit, page, row, column
constexpr std::array<ChannelInfo, kChannelCount> kChannels{{
    {0, "Beacon Packet", "", 1, 1, 1},
    {1, "TAI Seconds", "", 1, 1, 2},
    {2, "Spacecraft Mode", "", 1, 1, 3},
    {3, "EPS Battery VOC", "V", 1, 2, 1},
    {4, "Eclipse", "", 1, 2, 2},
    {5, "State of Charge", "", 1, 2, 3},
    {6, "Solar", "", 1, 3, 1},
    {7, "Nominal Mode", "", 1, 3, 2},
    {8, "ADCS Time Valid", "", 1, 3, 3},
    {9, "ADCS Refs Valid", "", 1, 4, 1},
    {10, "ADCS Att Valid", "", 1, 4, 2},
    {11, "ADCS Mode", "", 1, 4, 3},
    {12, "SAFE Mode Reason", "", 1, 5, 1},
    {13, "rec SUN Point", "", 1, 5, 2},
    {14, "ATT Status", "", 1, 5, 3},
    {15, "Sun Point State", "", 1, 6, 1},
    {16, "GPS Valid", "", 1, 6, 2},
    {17, "past rec Sun Point", "", 1, 6, 3},
    {18, "past GPS Valid", "", 1, 7, 1},
    {19, "EPS PV2 Volt #1", "V", 1, 7, 2},
    {20, "EPS PV0 Volt #1", "V", 1, 7, 3},
    {21, "EPS PV1 Volt #1", "V", 1, 8, 1},
    {22, "EPS PV2 Volt #2", "V", 1, 8, 2},
    {23, "EPS PV0 Volt #2", "V", 1, 8, 3},
    {24, "EPS PV1 Volt #2", "V", 1, 9, 1},
    {25, "CDH Reboot Count", "", 1, 9, 2},
    {26, "CDH Cmd Accepted", "", 1, 9, 3},
    {27, "CDH Cmd Reject Cnt", "", 1, 10, 1},
    {28, "CDH Last Cmd APID", "", 1, 10, 2},
    {29, "CDH Batt Heater", "", 1, 10, 3},
    {30, "SD CARD0 Working", "", 1, 11, 1},
    {31, "SD CARD1 Working", "", 1, 11, 2},
    {32, "CDH CIP Status", "", 1, 11, 3},
    {33, "CDH SBAND Status", "", 1, 12, 1},
    {34, "CDH GPS Status", "", 1, 12, 2},
    {35, "CDH ADCS Status", "", 1, 12, 3},
    {36, "CDH UHF Status", "", 1, 13, 1},
    {37, "SD CARD0 Reason", "", 1, 13, 2},
    {38, "SD CARD1 Reason", "", 1, 13, 3},
    {39, "UHF REBOOT Count", "", 1, 14, 1},
    {40, "UHF Reason", "", 1, 14, 2},
    {41, "ADCS/GPS Boot Cnt", "", 1, 14, 3},
    {42, "ADCS/GPS Reason", "", 1, 15, 1},
    {43, "SBAND Reboot Cnt", "", 1, 15, 2},
    {44, "SBAND Reason", "", 1, 15, 3},
    {45, "CIP Reboot Cnt", "", 1, 16, 1},
    {46, "CIP Reason", "", 1, 16, 2},
    {47, "EPS Solar 0 Temp", "C", 1, 16, 3},
    {48, "EPS Battery Temp1", "C", 1, 17, 1},
    {49, "EPS Solar 1 Temp", "C", 1, 17, 2},
    {50, "EPS Battery Temp2", "C", 1, 17, 3},
    {51, "EPS Solar 2 Temp", "C", 1, 18, 1},
    {52, "State of Charge", "C", 0, 0, 0},
    {53, "EPS CDH Temp", "C", 1, 18, 2},
    {54, "EPS Temp", "C", 1, 18, 3},
    {55, "EPS CDH Current", "mA", 1, 19, 1},
    {56, "EPS CDH Voltage", "V", 1, 19, 2},
    {57, "EPS GNSS Current", "mA", 1, 19, 3},
    {58, "EPS GNSS Voltage", "V", 1, 20, 1},
    {59, "EPS UHF Current", "mA", 1, 20, 2},
    {60, "EPS UHF Voltage", "V", 2, 1, 1},
    {61, "EPS PV2 Current", "mA", 2, 1, 2},
    {62, "EPS PV2 Voltage", "V", 2, 1, 3},
    {63, "EPS PV0 Current", "mA", 2, 2, 1},
    {64, "EPS PV0 Current", "mA", 2, 2, 2},
    {65, "EPS PV0 Voltage", "V", 2, 2, 3},
    {66, "EPS PV1 Current", "mA", 2, 3, 1},
    {67, "EPS PV1 Voltage", "V", 2, 3, 2},
    {68, "EPS Batt CHG Curr", "mA", 2, 3, 3},
    {69, "EPS Batt CHG Volt", "V", 2, 4, 1},
    {70, "EPS Heater Curr", "mA", 2, 4, 2},
    {71, "EPS Heater Volt", "V", 2, 4, 3},
    {72, "EPS ADCS Curr", "mA", 2, 5, 1},
    {73, "EPS ADCS Volt", "V", 2, 5, 2},
    {74, "EPS Sband Curr", "mA", 2, 5, 3},
    {75, "EPS Sband Volt", "V", 2, 6, 1},
    {76, "EPS Sband Volt", "V", 2, 6, 2},
    {77, "EPS CIP Curr", "mA", 2, 6, 3},
    {78, "EPS CIP Volt", "V", 2, 7, 1},
    {79, "EPS UHF Tx Curr", "mA", 2, 7, 2},
    {80, "EPS Sband Tx Curr", "mA", 2, 7, 3},
    {81, "UHF Freq CH", "", 2, 8, 1},
    {82, "UHF Temp 1", "C", 2, 8, 2},
    {83, "UHF Temp 2", "C", 2, 8, 3},
    {84, "UHF Echo ON Stat", "", 2, 9, 1},
    {85, "UHF AFC Stat", "", 2, 9, 2},
    {86, "UHF SWD Announc", "", 2, 9, 3},
    {87, "UHF Readback", "", 2, 10, 1},
    {88, "S Power Good", "V", 2, 10, 2},
    {89, "S RF Output Pwr", "V", 2, 10, 3},
    {90, "S PA Temperature", "C", 2, 11, 1},
    {91, "S Top Board Temp", "C", 2, 11, 2},
    {92, "S Top Board Temp", "C", 2, 11, 3},
    {93, "S Bot Board Temp", "C", 2, 12, 1},
    {94, "CIP Cmd Stat GS", "", 2, 12, 2},
    {95, "CIP Temperature1", "C", 2, 12, 3},
    {96, "CIP Temperature2", "C", 2, 13, 1},
    {97, "CIP Temperature3", "C", 2, 13, 2},
    {98, "Cmd Status", "", 2, 13, 3},
    {99, "Cmd Rej status", "", 2, 14, 1},
    {100, "Cmd Acc Count", "", 2, 14, 2},
    {101, "Cmd Rej Count", "", 2, 14, 3},
    {102, "Cmd Acc APID", "", 2, 15, 1},
    {103, "Cmd Acc Opcode", "", 2, 15, 2},
    {104, "Cmd Rej APID", "", 2, 15, 3},
    {105, "Cmd Rej Opcode", "", 2, 16, 1},
    {106, "POS_WRT_ECEF1", "km", 2, 16, 2},
    {107, "POS_WRT_ECEF2", "km", 2, 16, 3},
    {108, "POS_WRT_ECEF3", "km", 2, 17, 1},
    {109, "VEL_WRT_ECEF1", "km/s", 2, 17, 2},
    {110, "VEL_WRT_ECEF2", "km/s", 2, 17, 3},
    {111, "VEL_WRT_ECEF3", "km/s", 2, 18, 1},
    {112, "SUN_VEC_BODY1", "", 2, 18, 2},
    {113, "SUN_VEC_BODY2", "", 2, 18, 3},
    {114, "SUN_VEC_BODY3", "", 2, 19, 1},
    {115, "ADCS Track Temp", "C", 2, 19, 2},
    {116, "ADCS Ext Temp", "C", 2, 19, 3},
    {117, "ADCS IMU Temp", "C", 2, 20, 1},
}};

}  // namespace

std::span<const ChannelInfo, kChannelCount> ChannelTable() { return kChannels; }

const ChannelInfo& Channel(int number) {
    if (number < 0 || number >= kChannelCount) {
        throw IndexOutOfRange("channel number outside 0 to 117");
    }
    return kChannels[static_cast<std::size_t>(number)];
}

ChannelLabels::ChannelLabels() { name.fill("Option1"); }

void InitChannelLabels(ChannelLabels& labels) {
    for (const ChannelInfo& c : kChannels) {
        labels.name[static_cast<std::size_t>(c.number)] = c.name;
    }
    for (const ChannelInfo& c : kChannels) {
        if (!c.unit.empty()) labels.unit[static_cast<std::size_t>(c.number)] = c.unit;
    }
}

ChannelGeometry GeometryOf(int channel) {
    const ChannelInfo& c = Channel(channel);
    ChannelGeometry g{};
    if (c.page == 0) {
        g.top = 8160;
        g.nameLeft = 12960;
        g.onTabPage = false;
    } else {
        g.top = 480 + 240 * (c.row - 1);
        g.nameLeft = 120 + 3480 * (c.column - 1);
        g.onTabPage = true;
    }
    g.valueLeft = g.nameLeft + 1920;
    g.unitLeft = g.nameLeft + 2760;
    return g;
}

}  // namespace kelvanor
