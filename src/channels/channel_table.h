#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "decode/record_store.h"

namespace kelvanor {

// One telemetry channel: its display name, unit text and place on the
// window's channel pages. Names repeat (5/52, 63/64, 75/76, 91/92), so a
// channel is always identified by its number.
struct ChannelInfo {
    int number;
    std::string_view name;
    std::string_view unit;  // "V", "mA", "C", "km", "km/s" or empty
    int page;               // 1 or 2; 0 for channel 52, which is on no page
    int row;                // 1..20 on its page; 0 for channel 52
    int column;             // 1..3 on its page; 0 for channel 52
};

// The 118 channels, indexed by channel number.
std::span<const ChannelInfo, kChannelCount> ChannelTable();
const ChannelInfo& Channel(int number);  // IndexOutOfRange outside 0..117

inline constexpr std::string_view kPageCaptions[3] = {
    "Main | FSW | CDH", "EPS | UHF | S-Band | CIP | ADCS", "debug"};

// The captions of the channel name buttons and unit labels as the window
// shows them. Before the first InitChannelLabels every name reads "Option1"
// and every unit is empty.
struct ChannelLabels {
    ChannelLabels();
    std::array<std::string, kChannelCount> name;
    std::array<std::string, kChannelCount> unit;
};

// Puts every channel's name on its button, then every unit that is not empty
// on its label; labels of channels without a unit are left as they are.
void InitChannelLabels(ChannelLabels& labels);

// Where a channel's three controls sit, in twips.
struct ChannelGeometry {
    int top;
    int nameLeft;
    int valueLeft;
    int unitLeft;
    bool onTabPage;  // false for channel 52: relative to the window itself
};
inline constexpr int kNameButtonWidth = 1815, kNameButtonHeight = 255;
inline constexpr int kValueBoxWidth = 735, kValueBoxHeight = 285;
inline constexpr int kUnitLabelWidth = 495, kUnitLabelHeight = 255;

ChannelGeometry GeometryOf(int channel);

}  // namespace kelvanor
