#include "session/handlers.h"

#include "acquire/file_io.h"
#include "acquire/frame_tap.h"
#include "channels/presentation.h"
#include "chart/channel_chart.h"
#include "export/csv_export.h"
#include "export/export_name.h"
#include "export/tlm_export.h"
#include "session/session.h"

namespace kelvanor {

ArrivalOutcome HandleArrival(Session& session, std::string_view rawChunk, const UtcClock& clock,
                             const std::string& recordingDir) {
    if (session.tap != nullptr) session.tap->BeginSource(session.liveSource);
    ArrivalOutcome outcome = session.kissStream
                                 ? ReceiveStreamArrival(session.Road(), session.stream, rawChunk, clock, recordingDir)
                                 : ReceiveArrival(session.Road(), rawChunk, clock, recordingDir);
    if (session.tap != nullptr) session.tap->EndSource();
    if (outcome.handled) session.statusText = outcome.statusText;
    const int count = session.RecordCount();
    session.counterText = CounterText(session.scroll.Value(), count);
    session.scroll.SetMaximum(count);
    ShowRecord(session.records, count, session.regional, session.display);
    Option1_Click(session, session.selectedChannel, false);
    return outcome;
}

void HScroll1_Change(Session& session) {
    session.counterText = session.scroll.CounterText();
    ShowRecord(session.records, session.scroll.Value(), session.regional, session.display);
}

void ScrollTo(Session& session, int position) {
    session.scroll.SetValue(position);
    HScroll1_Change(session);
}

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
    // Every redraw ends by showing record 1.
    if (FillChannelChart(session.chart, session.records, channel, session.barChart)) {
        ShowRecord(session.records, 1, session.regional, session.display);
    }
}

std::string ReadoutText(const Session& session, int record) {
    return ReadoutText(session.chart, session.records, record, session.regional.decimalSeparator);
}

std::string CsvText(const Session& session) {
    return CsvText(session.records, session.regional.decimalSeparator, 1, session.RecordCount());
}

namespace {

bool WriteExport(Session& session, const std::string& path, const std::string& text, std::string& error) {
    if (!WriteWholeFile(path, text, error)) return false;
    session.statusText = path + " has been written";
    return true;
}

}  // namespace

bool WriteCsvRange(Session& session, const std::string& path, int first, int last, std::string& error) {
    return WriteExport(session, path, CsvText(session.records, session.regional.decimalSeparator, first, last),
                       error);
}

bool WriteCSVFile_Click(Session& session, std::string& path, std::string& error) {
    path = ExportFileName(session.currentFileName, kDefaultCsvName, ".csv", session.dataFolder);
    return WriteExport(session, path, CsvText(session), error);
}

bool WriteTLMFile_Click(Session& session, std::string& path, std::string& error) {
    path = ExportFileName(session.currentFileName, kDefaultTlmName, ".tlm", session.dataFolder);
    return WriteExport(session, path, TlmText(session.labels, session.display), error);
}

}  // namespace kelvanor
