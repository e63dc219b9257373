#pragma once

namespace kelvanor {

struct ChartModel;
class RecordStore;

// Rebuilds `chart` as the series of `channel` over records 1..RecordCount,
// as bars or lines. With no record stored nothing changes and false is
// returned.
bool FillChannelChart(ChartModel& chart, const RecordStore& records, int channel, bool bars);

}  // namespace kelvanor
