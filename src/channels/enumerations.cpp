#include <cmath>
#include <span>

#include "channels/presentation.h"

namespace kelvanor {

namespace {

struct Code {
    int code;
    const char* text;
};

constexpr Code kSpacecraftMode[] = {{0, "BOOT"},    {1, "PHOENIX"},    {2, "SAFE"}, {3, "CHARGING"},
                                    {4, "SCIENCE"}, {5, "TRANSITION"}, {6, "TEST"}};
constexpr Code kAdcsMode[] = {{0, "SUN POINT"}, {1, "FINE REF POINT"}};
constexpr Code kSafeModeReason[] = {{0, "BOOT"},          {1, "COMMAND"},
                                    {4, "ATTITUDE INVALID"}, {8, "TIME INVALID"},
                                    {12, "ATTITUDE TIME INVALID"}, {16, "REFS INVALID"}};
// "RATE TOO HIGH" follows the five codes without a gap, as code 6.
constexpr Code kAttitudeStatus[] = {{0, "OK"},           {1, "PENDING"},
                                    {2, "BAD"},          {3, "TO FEW STARS"},
                                    {4, "QUEST FAILED"}, {5, "RESIDUALS TOO HIGH"},
                                    {6, "RATE TOO HIGH"}};
constexpr Code kSunPointState[] = {{2, "SEARCH INIT"}, {3, "SEARCHING"}, {4, "WAITING"},
                                   {5, "CONVERGING"},  {6, "ON SUN"},    {7, "NOT ACTIVE"}};
constexpr Code kLastCommandApid[] = {{2, "S-BAND"}, {3, "EPS"}, {4, "CIP"}, {5, "UHF"}};
constexpr Code kUhfReason[] = {{0, "NOMINAL"},           {1, "VOLTAGE ANOMALY"},
                               {2, "SELF-TEST ANOMALY UHF"}, {5, "AFC NOT ACTIVE"},
                               {6, "FREQUENCY ANOMALY"}, {7, "SWD NOT ACTIVE"}};
constexpr Code kAdcsGpsReason[] = {{0, "NOMINAL"}, {1, "VOLTAGE ANOMALY"}};
constexpr Code kCipReason[] = {
    {0, "NOMINAL"}, {1, "VOLTAGE/CURRENT ANOMALY"}, {2, "CIP OVER TEMPERATURE"}};
constexpr Code kCommandStatus[] = {{0, "OK"},
                                   {1, "BAD APID"},
                                   {2, "BAD OPCODE"},
                                   {3, "BAD DATA"},
                                   {7, "NO CMD DATA"},
                                   {8, "CMD SRVC OVERRUN"},
                                   {9, "CMD APID OVERRUN"},
                                   {12, "TABLES BUSY"},
                                   {13, "FLASH NOT ARMED"},
                                   {14, "THRUSTERS DISABLED"},
                                   {15, "ATT ERR TOO HIGH"},
                                   {16, "ASYNC REFUSED"}};

std::span<const Code> ListOf(int channel) {
    switch (channel) {
        case 2: return kSpacecraftMode;
        case 11: return kAdcsMode;
        case 12: return kSafeModeReason;
        case 14: return kAttitudeStatus;
        case 15: return kSunPointState;
        case 28: return kLastCommandApid;
        case 40: return kUhfReason;
        case 42: return kAdcsGpsReason;
        case 46: return kCipReason;
        case 98:
        case 99: return kCommandStatus;
        default: return {};
    }
}

}  // namespace

const char* EnumerationText(int channel, double value) {
    for (const Code& c : ListOf(channel)) {
        if (value == c.code) return c.text;
    }
    return nullptr;
}

}  // namespace kelvanor
