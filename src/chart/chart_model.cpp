#include "chart/chart_model.h"

#include <cmath>

#include "channels/channel_table.h"

namespace kelvanor {

int LabelStep(int points) {
    if (points <= 100) return 0;
    return static_cast<int>(std::nearbyint(points / 50.0));
}

std::string CategoryLabel(const std::string& rxTime) {
    if (rxTime.size() < 12) return {};
    return rxTime.substr(11, 8);
}

std::string FrameTitle(int channel) {
    const ChannelInfo& c = Channel(channel);
    std::string title(c.name);
    if (!c.unit.empty()) title.append(" (").append(c.unit).append(")");
    return title;
}

}  // namespace kelvanor
