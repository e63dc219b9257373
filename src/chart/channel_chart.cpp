#include "chart/channel_chart.h"

#include "channels/channel_table.h"
#include "chart/chart_model.h"
#include "decode/record_store.h"

namespace kelvanor {

bool FillChannelChart(ChartModel& chart, const RecordStore& records, int channel, bool bars) {
    const int n = records.RecordCount();
    if (n == 0) return false;
    const ChannelInfo& info = Channel(channel);
    chart.drawn = true;
    chart.channel = info.number;
    chart.legend = info.name;
    chart.labelStep = LabelStep(n);
    chart.bars = bars;
    chart.lineWidth = bars ? 1.0f : 30.0f;
    chart.values.resize(static_cast<std::size_t>(n));
    chart.labels.resize(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r) {
        const BeaconRecord& record = records.Record(r);
        chart.values[static_cast<std::size_t>(r) - 1] =
            record.Values[static_cast<std::size_t>(info.number)];
        chart.labels[static_cast<std::size_t>(r) - 1] = CategoryLabel(record.RxTime);
    }
    chart.stats = ComputeStats(chart.values);
    return true;
}

}  // namespace kelvanor
