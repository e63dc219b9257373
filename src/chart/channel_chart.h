#pragma once

namespace kelvanor {

struct Session;

// A channel's name button was chosen: select the channel, re-title the chart
// frame, rewrite the record counter, move the highlight, and redraw the
// chart unless `keepChart` (the operator held Shift or the right mouse
// button, pressed anew since the last click).
void Option1_Click(Session& session, int channel, bool keepChart = false);

// The chart-style box was toggled: redraw the selected channel.
void Check1_Click(Session& session, bool barChart);

// Rebuilds the chart of `channel` over records 1..RecordCount, then shows
// record 1. With no record stored nothing changes.
void DrawChannelChart(Session& session, int channel);

}  // namespace kelvanor
