#include <gtest/gtest.h>

#include <memory>

#include "session/import_sequence.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "session/handlers.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/temp_dir.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

class ImportRefreshTest : public ::testing::Test {
protected:
    ImportRefreshTest() : session(std::make_unique<Session>()) {}

    void Store(int count, int firstPacket = 1) {
        for (int i = 0; i < count; ++i) {
            BeaconEncoder b = testing::PlausibleBeacon(firstPacket + i);
            b.SetRaw(2, 3);
            session->currentRxTimestamp = "2020-11-29 21:20:" + std::to_string(10 + i % 50) + ".000 UTC";
            ASSERT_TRUE(DecodeBeacon(*session, b.Frame()).Stored());
        }
    }

    std::unique_ptr<Session> session;
};

TEST_F(ImportRefreshTest, ResetEmptiesBoxesCountAndLogButKeepsRecords) {
    Store(3);
    ShowRecord(session->records, 2, session->regional, session->display);
    session->display.obcCaption = "kept";
    ResetBeforeImport(*session);
    EXPECT_EQ(session->RecordCount(), 0);
    EXPECT_TRUE(session->frameLog.empty());
    for (const std::string& v : session->display.value) EXPECT_TRUE(v.empty());
    EXPECT_EQ(session->display.obcCaption, "kept");  // the timestamp lines stay
    EXPECT_EQ(session->records.Record(3).Values[0], 3);
    EXPECT_EQ(session->labels.name[0], "Beacon Packet");
}

TEST_F(ImportRefreshTest, ChartOfAChannelOverAllRecords) {
    Store(120);
    session->scroll.SetValue(7);
    Option1_Click(*session, 47);
    const ChartModel& chart = session->chart;
    EXPECT_TRUE(chart.drawn);
    EXPECT_EQ(chart.Points(), 120);
    EXPECT_EQ(chart.legend, "EPS Solar 0 Temp");
    EXPECT_EQ(session->chartCaption, "EPS Solar 0 Temp (C)");
    EXPECT_EQ(chart.labels[0], "21:20:10");
    EXPECT_EQ(chart.labelStep, 2);
    EXPECT_TRUE(chart.bars);
    EXPECT_EQ(chart.lineWidth, 1.0f);
    EXPECT_EQ(session->selectedChannel, 47);
    EXPECT_EQ(session->highlightedChannel, 47);
    EXPECT_EQ(session->counterText, "#7 / 120");
    EXPECT_EQ(session->display.value[0], "1");  // every redraw ends on record 1

    Check1_Click(*session, false);
    EXPECT_FALSE(session->chart.bars);
    EXPECT_EQ(session->chart.lineWidth, 30.0f);
    EXPECT_EQ(session->chart.channel, 47);
    EXPECT_EQ(FrameTitle(0), "Beacon Packet");
}

TEST_F(ImportRefreshTest, LabelStepAndShortTimestamps) {
    EXPECT_EQ(LabelStep(100), 0);
    EXPECT_EQ(LabelStep(101), 2);
    EXPECT_EQ(LabelStep(125), 2);  // 2.5 to even
    EXPECT_EQ(LabelStep(126), 3);
    EXPECT_EQ(LabelStep(175), 4);  // 3.5 to even
    EXPECT_EQ(LabelStep(10000), 200);
    EXPECT_EQ(CategoryLabel("2020-11-29 "), "");
    EXPECT_EQ(CategoryLabel("2020-11-29 21:2"), "21:2");
    EXPECT_EQ(CategoryLabel("2021-02-04 10:00:01"), "10:00:01");
}

TEST_F(ImportRefreshTest, ClickWithNoRecordsLeavesChartAndBoxes) {
    session->display.value[0] = "before";
    Option1_Click(*session, 3);
    EXPECT_FALSE(session->chart.drawn);
    EXPECT_EQ(session->chartCaption, "EPS Battery VOC (V)");
    EXPECT_EQ(session->display.value[0], "before");
    EXPECT_EQ(session->counterText, "#1 / 1");
}

TEST_F(ImportRefreshTest, SuppressedRedrawKeepsTheChartButSelects) {
    Store(5);
    Option1_Click(*session, 0);
    ScrollTo(*session, 4);
    Option1_Click(*session, 3, /*keepChart=*/true);
    EXPECT_EQ(session->chart.channel, 0);
    EXPECT_EQ(session->selectedChannel, 3);
    EXPECT_EQ(session->display.value[0], "4");  // still the record scrolled to
}

TEST_F(ImportRefreshTest, ImportAfterScrollingPullsThePositionToOne) {
    Store(30);
    ScrollTo(*session, 25);
    testing::TempDir dir;
    const BeaconEncoder b = testing::PlausibleBeacon(900);
    std::string file;
    for (int i = 0; i < 4; ++i) file += RecordingEntry("2021-02-04 12:54:56.123 UTC", KissFrame(b.Frame()));
    testing::WriteFile(dir.File("a.kss"), file);
    testing::WriteFile(dir.File("b.KSS"), file.substr(0, file.size() / 2));

    ImportHooks hooks;
    ResetBeforeImport(*session);
    auto problems = ImportFiles(*session, {dir.File("a.kss"), dir.File("b.KSS")},
                                ImportKind::KissRecording, hooks);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(session->RecordCount(), 6);
    EXPECT_EQ(session->scroll.Value(), 1);
    EXPECT_EQ(session->counterText, "#1 / 6");
    EXPECT_EQ(session->display.value[0], "900");
    EXPECT_EQ(session->currentFileName, dir.File("b.KSS"));
    EXPECT_EQ(session->chart.Points(), 6);
    EXPECT_EQ(KindOfPath("x.KsS"), ImportKind::KissRecording);
    EXPECT_EQ(KindOfPath("x.csv"), ImportKind::SatnogsLog);
}

TEST_F(ImportRefreshTest, UnreadableFileIsReportedAndTheRestStillImports) {
    testing::TempDir dir;
    ImportHooks hooks;
    Store(2);
    ResetBeforeImport(*session);
    auto problems =
        ImportFiles(*session, {dir.File("missing.kss")}, ImportKind::KissRecording, hooks);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, dir.File("missing.kss"));
    EXPECT_EQ(session->RecordCount(), 0);
    // the upper bound follows stored records only, so it still says 2
    EXPECT_EQ(session->counterText, "#1 / 2");
}

}  // namespace
}  // namespace kelvanor
