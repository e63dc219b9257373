// What a chart redraw and an import do to the session: the chart model, the
// frame caption, the boxes, the record counter and the scroll position.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "chart/chart_model.h"
#include "session/handlers.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// One pass of 120 records: the chart of a channel over all of them, then an
// import over them.
TEST(ImportRefreshTest, ChartOfAChannelAndAnImportEndOnRecordOne) {
    Session session;
    auto store = [&](int packet, const std::string& rxTime) {
        session.currentRxTimestamp = rxTime;
        ASSERT_TRUE(DecodeBeacon(session, testing::PlausibleBeacon(packet).Frame()).Stored());
    };
    // With no records a click re-titles the frame and leaves chart and boxes.
    session.display.value[0] = "before";
    Option1_Click(session, 0);
    EXPECT_EQ(session.chartCaption, "Beacon Packet");  // no unit
    EXPECT_FALSE(session.chart.drawn);
    EXPECT_EQ(session.counterText + " " + session.display.value[0], "#1 / 1 before");

    // The labels are the receive times of day, however short the timestamp.
    const std::string rx[] = {"2020-11-29 ", "2020-11-29 2", "2021-02-04 10:00:01.123 UTC"};
    for (int i = 1; i <= 120; ++i) store(i, i <= 3 ? rx[i - 1] : "2020-11-29 21:20:10.000 UTC");
    session.scroll.SetValue(7);
    Option1_Click(session, 47);
    const ChartModel& chart = session.chart;
    EXPECT_EQ(std::vector(chart.labels.begin(), chart.labels.begin() + 3),
              std::vector<std::string>({"", "2", "10:00:01"}));
    EXPECT_EQ(chart.legend, "EPS Solar 0 Temp");
    EXPECT_EQ(session.chartCaption, "EPS Solar 0 Temp (C)");
    EXPECT_EQ(chart.labelStep, 2);
    EXPECT_EQ(session.counterText + " " + session.display.value[0], "#7 / 120 1");
    EXPECT_EQ(std::pair(chart.bars, chart.lineWidth), std::pair(true, 1.0f));
    Check1_Click(session, false);
    EXPECT_EQ(std::tuple(chart.bars, chart.lineWidth, chart.channel), std::tuple(false, 30.0f, 47));
    Option1_Click(session, 0);
    EXPECT_EQ(std::pair(chart.values.front(), chart.values.back()), std::pair(1.0, 120.0));
    // The label and tick step: automatic up to 100 points, then a fiftieth, halves to even.
    const std::pair<int, int> steps[] = {{100, 0}, {101, 2}, {125, 2},
                                         {126, 3}, {175, 4}, {10000, 200}};
    for (auto [points, step] : steps) EXPECT_EQ(LabelStep(points), step) << points;

    // An import starts afresh at record 1 (what it cannot read: hostile_files_test).
    ScrollTo(session, 25);
    testing::TempDir dir;
    const std::string entry = RecordingEntry("2021-02-04 12:54:56.123 UTC",
                                             KissFrame(testing::PlausibleBeacon(900).Frame()));
    testing::WriteFile(dir.File("a.kss"), entry + entry + entry + entry);
    testing::WriteFile(dir.File("b.KSS"), entry + entry);
    ImportHooks hooks;
    ResetBeforeImport(session);
    const std::vector<std::string> files = {dir.File("a.kss"), dir.File("b.KSS")};
    // Chosen by its name, whatever its case: a recording.
    EXPECT_TRUE(ImportFiles(session, files, KindOfPath(files[1]), hooks).empty());
    EXPECT_EQ(session.counterText + " " + session.display.value[0], "#1 / 6 900");
    EXPECT_EQ(session.currentFileName, dir.File("b.KSS"));
    // The reset empties the count, the frame log and the boxes; the records,
    // the names and the timestamp lines stay.
    session.display.obcCaption = "kept";
    ResetBeforeImport(session);
    EXPECT_TRUE(session.RecordCount() == 0 && session.frameLog.empty());
    for (const std::string& v : session.display.value) EXPECT_EQ(v, "");
    EXPECT_EQ(session.display.obcCaption, "kept");
    EXPECT_EQ(session.labels.name[0], "Beacon Packet");
}

}  // namespace
}  // namespace kelvanor
