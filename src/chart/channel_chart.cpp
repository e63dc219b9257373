#include "chart/channel_chart.h"

#include "channels/channel_table.h"
#include "chart/chart_model.h"
#include "session/session.h"

namespace kelvanor {

void Option1_Click(Session& session, int channel, bool keepChart) {
    const ChannelInfo& info = Channel(channel);  // IndexOutOfRange for a bad number
    session.selectedChannel = info.number;
    session.chartCaption = FrameTitle(info.number);
    session.counterText = session.scroll.CounterText();
    session.highlightedChannel = info.number;
    if (!keepChart) DrawChannelChart(session, info.number);
}

void Check1_Click(Session& session, bool barChart) {
    session.barChart = barChart;
    DrawChannelChart(session, session.selectedChannel);
}

void DrawChannelChart(Session& session, int channel) {
    const int n = session.RecordCount();
    if (n == 0) return;
    const ChannelInfo& info = Channel(channel);
    ChartModel& chart = session.chart;
    chart.drawn = true;
    chart.channel = info.number;
    chart.legend = info.name;
    chart.labelStep = LabelStep(n);
    chart.bars = session.barChart;
    chart.lineWidth = session.barChart ? 1.0f : 30.0f;
    chart.values.resize(static_cast<std::size_t>(n));
    chart.labels.resize(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r) {
        const BeaconRecord& record = session.records.Record(r);
        chart.values[static_cast<std::size_t>(r) - 1] =
            record.Values[static_cast<std::size_t>(info.number)];
        std::string& label = chart.labels[static_cast<std::size_t>(r) - 1];
        if (record.RxTime.size() < 12) {
            label.clear();
        } else {
            label.assign(record.RxTime, 11, 8);
        }
    }
    chart.stats = ComputeStats(chart.values);
    ShowRecord(session.records, 1, session.regional, session.display);
}

}  // namespace kelvanor
