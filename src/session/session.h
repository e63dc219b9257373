#pragma once

#include <string>
#include <string_view>

#include "acquire/frame_roads.h"
#include "acquire/kiss_stream.h"
#include "browse/scroll_state.h"
#include "channels/change_marks.h"
#include "channels/channel_table.h"
#include "channels/presentation.h"
#include "chart/chart_model.h"
#include "decode/beacon_decoder.h"
#include "decode/frame_bytes.h"
#include "decode/record_store.h"
#include "decode/regional_settings.h"
#include "limits/limit_set.h"

namespace kelvanor {

// Everything one run of the program shares: the frame buffer, the record
// store, the acquisition texts, the browser and the texts the window shows.
// The window, the command-line tool and the tests all drive one of these;
// the window only mirrors its texts onto widgets.
struct Session {
    FrameBytes frameBytes;
    RecordStore records;

    std::string currentRxTimestamp;  // stamped on every record decoded
    std::string currentHexText;      // the frame's bytes after the command byte, as hex
    std::string currentFileName;     // the file being or last imported
    // An installed program's data folder, where exports without a data file
    // go; empty when the program keeps its files beside itself.
    std::string dataFolder;
    int selectedChannel = 0;         // the channel the chart shows

    std::string frameLog;     // the "debug" page's log, CR LF lines
    std::string counterText;  // the record counter beside the scroll bar, "#p / m"
    std::string statusText;   // the status line
    ScrollState scroll;
    ChannelLabels labels;
    RecordDisplay display;
    RegionalSettings regional;

    ChartModel chart;
    bool barChart = true;  // the chart-style box, ticked at start
    std::string chartCaption = kChartFrameCaption;
    int highlightedChannel = -1;  // the value box marked for the chart; none at start
    ChangeMarks changeMarks;      // boxes whose text changed with the last record shown
    LimitSet limits;              // the health limits of limits.ini; empty without the file
    // Live reception cuts frames out of the byte stream (KISS_STREAM=YES)
    // instead of taking every arrival as one frame.
    bool kissStream = false;
    KissStream stream;
    // Told of every frame the roads take (the station's archive), when set;
    // a live arrival's source is `liveSource` (host:port or device).
    FrameTap* tap = nullptr;
    std::string liveSource;

    std::int32_t RecordCount() const { return records.RecordCount(); }

    // The acquisition roads' view of this state: the browser's upper bound
    // follows the record count.
    FrameRoad Road();
};

// Decodes `frame` into the session's store with its current RX timestamp and
// hex text; the browser's upper bound follows the record count.
DecodeResult DecodeBeacon(Session& session, std::string_view frame);

}  // namespace kelvanor
