#pragma once

#include <string>
#include <string_view>

#include "acquire/live_arrival.h"

namespace kelvanor {

struct Session;
class UtcClock;

// The event handlers of one run, each over the state the run shares. The
// window calls them for its controls and menu commands; the command-line
// tool and the import and live roads call them the same way.

// The socket's data arrived: the arrival is taken on the live road (decoded
// when it is a beacon, recorded in the day's file in `recordingDir`), its
// outcome goes to the status line, and then, in every case, the counter, the
// scroll bound, the newest record and the chart are refreshed.
ArrivalOutcome HandleArrival(Session& session, std::string_view rawChunk, const UtcClock& clock,
                             const std::string& recordingDir);

// The scroll bar changed (or an import asks for a refresh): rewrite the
// counter text from the position and the upper bound, then show the record
// at the position.
void HScroll1_Change(Session& session);

// Moves the scroll bar (kept within its bounds) and refreshes as above.
void ScrollTo(Session& session, int position);

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

// The chart's hover readout for `record` (empty for one the chart lacks).
std::string ReadoutText(const Session& session, int record);

// The CSV text of every stored record.
std::string CsvText(const Session& session);

// Writes the CSV text of records first..last to `path` and reports it in the
// status line. The current file name is not touched. False with `error` when
// the file could not be written.
bool WriteCsvRange(Session& session, const std::string& path, int first, int last, std::string& error);

// The "Write CSV File" command: the file name from the current file name,
// the file written, and the status line. Returns false with `error` when the
// file could not be written; `path` receives the name used.
bool WriteCSVFile_Click(Session& session, std::string& path, std::string& error);

// The "Write TLM File" command: the file name from the current file name,
// the report of what the display shows written, and the status line.
bool WriteTLMFile_Click(Session& session, std::string& path, std::string& error);

}  // namespace kelvanor
