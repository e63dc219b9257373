#pragma once

#include <string>
#include <vector>

#include "chart/chart_readout.h"

namespace kelvanor {

// What the channel chart shows after its last redraw: one series over all
// records, labelled with each record's receive time of day. The window draws
// it; nothing here knows about pixels.
struct ChartModel {
    bool drawn = false;            // false until the first redraw
    int channel = 0;               // the channel charted
    std::vector<double> values;    // point r-1 = channel value of record r
    std::vector<std::string> labels;  // characters 12..19 of each RxTime
    std::string legend;            // the channel's name
    bool bars = true;              // bar chart, else line chart
    float lineWidth = 1;           // 1 for bars, 30 for lines (chart units)
    int labelStep = 0;             // 0: automatic spacing; k: every k-th category
    ChannelStats stats;            // over all the points, made with every redraw

    int Points() const { return static_cast<int>(values.size()); }
};

// The label and tick step for n points: automatic (0) up to 100, above that
// n / 50 rounded to the nearest whole number, halves to even.
int LabelStep(int points);

// Characters 12 to 19 (1-based) of an RX timestamp: its time of day.
std::string CategoryLabel(const std::string& rxTime);

// The chart frame's caption: the name, plus " (unit)" when there is a unit.
std::string FrameTitle(int channel);

inline constexpr const char* kChartFrameCaption = "graphical value";

}  // namespace kelvanor
