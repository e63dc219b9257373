// The chart's exploration arithmetic: the view range and the records it
// covers, the statistics beside the chart, the hover readout and the CSV of
// a record range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "acquire/kiss_file_reader.h"
#include "session/handlers.h"
#include "chart/chart_readout.h"
#include "chart/chart_viewport.h"
#include "decode/number_text.h"
#include "export/csv_export.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ChartViewport View(int points, double yMin = 0, double yMax = 10) {
    ChartViewport v;
    v.SetExtents(points, yMin, yMax);
    return v;
}

TEST(ChartViewportTest, WholeChartCoversEveryRecord) {
    for (int n : {1, 2, 100, 10000}) {
        const ChartViewport v = View(n);
        EXPECT_FALSE(v.Zoomed());
        const RecordSpan s = VisibleRecords(v);
        EXPECT_EQ(s.first, 1) << n;
        EXPECT_EQ(s.last, n) << n;
    }
    EXPECT_TRUE(VisibleRecords(View(0)).Empty());
}

TEST(ChartViewportTest, ZoomKeepsTheAnchorAndCountsRecordsByTheirCentres) {
    struct Case {
        double fx, anchor;
        double x0, x1;
        int first, last;
    };
    const Case cases[] = {
        {0.5, 50, 25, 75, 26, 75},     // centres 25.5 .. 74.5
        {0.5, 0, 0, 50, 1, 50},        // anchored at the left edge
        {0.5, 100, 50, 100, 51, 100},  // and at the right one
        {0.251, 10, 7.49, 32.59, 8, 33},
        {0.001, 40, 39.01, 41.01, 40, 41},  // never below two categories
        {4, 30, 0, 100, 1, 100},       // never beyond the whole chart
    };
    for (const Case& c : cases) {
        ChartViewport v = View(100);
        v.Zoom(c.fx, 1, c.anchor, 5);
        EXPECT_NEAR(v.X0(), c.x0, 1e-9) << c.fx << " at " << c.anchor;
        EXPECT_NEAR(v.X1(), c.x1, 1e-9) << c.fx << " at " << c.anchor;
        const RecordSpan s = VisibleRecords(v);
        EXPECT_EQ(s.first, c.first) << c.fx << " at " << c.anchor;
        EXPECT_EQ(s.last, c.last) << c.fx << " at " << c.anchor;
    }
}

TEST(ChartViewportTest, ZoomingBackOutEndsUnzoomed) {
    ChartViewport v = View(300);
    v.Zoom(0.8, 0.8, 120, 3);
    EXPECT_TRUE(v.Zoomed());
    v.Zoom(1.25, 1.25, 120, 3);
    v.Zoom(1.25, 1.25, 120, 3);
    EXPECT_FALSE(v.Zoomed());
    EXPECT_EQ(VisibleRecords(v).Count(), 300);
}

TEST(ChartViewportTest, ValueZoomAndItsFloor) {
    ChartViewport v = View(10, -5, 5);
    v.Zoom(1, 0.5, 5, 0);
    EXPECT_DOUBLE_EQ(v.Y0(), -2.5);
    EXPECT_DOUBLE_EQ(v.Y1(), 2.5);
    EXPECT_EQ(VisibleRecords(v).Count(), 10);  // the x range is untouched
    for (int i = 0; i < 100; ++i) v.Zoom(1, 0.1, 5, 1);
    EXPECT_NEAR(v.Y1() - v.Y0(), 10e-6, 1e-12);
    EXPECT_GE(v.Y0(), -5);
}

TEST(ChartViewportTest, PanStopsAtTheEdges) {
    ChartViewport v = View(100, 0, 10);
    v.Zoom(0.2, 0.5, 50, 5);  // x 40..60, y 2.5..7.5
    v.Pan(-15, 1);
    EXPECT_DOUBLE_EQ(v.X0(), 25);
    EXPECT_DOUBLE_EQ(v.Y0(), 3.5);
    v.Pan(-1000, -1000);
    EXPECT_DOUBLE_EQ(v.X0(), 0);
    EXPECT_DOUBLE_EQ(v.X1(), 20);
    EXPECT_DOUBLE_EQ(v.Y0(), 0);
    v.Pan(1000, 1000);
    EXPECT_DOUBLE_EQ(v.X1(), 100);
    EXPECT_DOUBLE_EQ(v.Y1(), 10);
    v.Pan(kNaN, kInf);  // ignored
    EXPECT_DOUBLE_EQ(v.X1(), 100);
    EXPECT_DOUBLE_EQ(v.Y1(), 10);
    // The whole chart cannot be panned.
    ChartViewport whole = View(100);
    whole.Pan(30, 3);
    EXPECT_FALSE(whole.Zoomed());
}

TEST(ChartViewportTest, NewExtentsAfterARedraw) {
    ChartViewport v = View(100);
    v.SetExtents(150, 0, 20);  // unzoomed: follows the chart
    EXPECT_EQ(VisibleRecords(v).last, 150);
    EXPECT_DOUBLE_EQ(v.Y1(), 20);

    v.Zoom(0.1, 1, 75, 0);  // 67.5..82.5
    v.SetExtents(151, 0, 20);  // a live arrival: the zoomed place stays
    EXPECT_DOUBLE_EQ(v.X0(), 67.5);
    EXPECT_DOUBLE_EQ(v.X1(), 82.5);
    v.SetExtents(70, 0, 20);  // fewer records: pulled back inside
    EXPECT_DOUBLE_EQ(v.X1(), 70);
    EXPECT_DOUBLE_EQ(v.X0(), 55);
    v.SetExtents(1, 0, 20);  // one record: shows all of it
    EXPECT_DOUBLE_EQ(v.X0(), 0);
    EXPECT_DOUBLE_EQ(v.X1(), 1);
    v.Reset();
    EXPECT_FALSE(v.Zoomed());
}

TEST(ChartViewportTest, RecordAtAPosition) {
    const ChartViewport v = View(100);
    const struct {
        double x;
        int record;
    } cases[] = {{-0.01, 0}, {0, 1}, {0.99, 1}, {1, 2}, {99.999, 100}, {100, 0}, {kNaN, 0}, {-kInf, 0}};
    for (const auto& c : cases) EXPECT_EQ(RecordAt(v, c.x), c.record) << c.x;
    EXPECT_EQ(RecordAt(View(0), 0), 0);
}

TEST(ChannelStatsTest, ExtremesAndMeanOfTheFiniteValues) {
    const struct {
        std::vector<double> values;
        int count;
        double min, max, mean;
    } cases[] = {
        {{}, 0, 0, 0, 0},
        {{kNaN, kInf}, 0, 0, 0, 0},
        {{-3}, 1, -3, -3, -3},
        {{1, 2, 3, 4}, 4, 1, 4, 2.5},
        {{7.5, kNaN, -2.5, -kInf}, 2, -2.5, 7.5, 2.5},
        {{1.7e308, 1.7e308}, 2, 1.7e308, 1.7e308, 1.7e308},  // no overflow to infinity
    };
    for (const auto& c : cases) {
        const ChannelStats s = ComputeStats(c.values);
        EXPECT_EQ(s.count, c.count);
        EXPECT_EQ(s.min, c.min);
        EXPECT_EQ(s.max, c.max);
        EXPECT_DOUBLE_EQ(s.mean, c.mean);
    }
}

TEST(ChannelStatsTest, Text) {
    EXPECT_EQ(StatsText(ComputeStats(std::vector<double>{}), "V", '.'), "no values");
    EXPECT_EQ(StatsText(ComputeStats(std::vector<double>{1, 2, 2}), "V", '.'),
              "min 1 V   max 2 V   mean 1.66667 V");
    EXPECT_EQ(StatsText(ComputeStats(std::vector<double>{0.25, 1e-5}), "", ','),
              "min 1E-05   max 0,25   mean 0,125005");
    EXPECT_EQ(StatsText(ComputeStats(std::vector<double>{663000000.7, 663000600.2}), "s", '.'),
              "min 663000001 s   max 663000600 s   mean 663000300 s");
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>();
        ReadKissBytes(session->Road(), samples::SimulatedRecording(10));
    }
    std::unique_ptr<Session> session;
};

TEST_F(SessionTest, ReadoutNamesRecordTimeAndValueWithUnit) {
    EXPECT_EQ(ReadoutText(*session, 1), "");  // nothing charted yet
    DrawChannelChart(*session, 3);
    const BeaconRecord& r = session->records.Record(4);
    EXPECT_EQ(ReadoutText(*session, 4), "#4   " + r.RxTime + "   " + kelvanor::NumberText(r.Values[3]) + " V");
    DrawChannelChart(*session, 0);
    EXPECT_EQ(ReadoutText(*session, 10), "#10   " + session->records.Record(10).RxTime + "   " +
                                             kelvanor::NumberText(session->records.Record(10).Values[0]));
    EXPECT_EQ(ReadoutText(*session, 0), "");
    EXPECT_EQ(ReadoutText(*session, 11), "");
}

TEST_F(SessionTest, CsvOfARangeIsTheMatchingSliceOfTheExport) {
    const std::string all = CsvText(*session);
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            out.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return out;
    };
    const auto full = lines(all);
    ASSERT_EQ(full.size(), 11u);
    const struct {
        int first, last;
        std::size_t from, count;  // lines of the full export
    } cases[] = {{3, 5, 3, 3}, {1, 10, 1, 10}, {-4, 2, 1, 2}, {9, 400, 9, 2}, {6, 5, 0, 0}, {11, 20, 0, 0}};
    for (const auto& c : cases) {
        const auto part = lines(CsvText(session->records, '.', c.first, c.last));
        ASSERT_EQ(part.size(), c.count + 1) << c.first << ".." << c.last;
        EXPECT_EQ(part[0], full[0]);
        for (std::size_t i = 0; i < c.count; ++i) EXPECT_EQ(part[i + 1], full[c.from + i]);
    }
}

TEST_F(SessionTest, RangeFileKeepsCrLfAndLeavesTheCurrentFileName) {
    testing::TempDir dir;
    session->currentFileName = "/data/pass.kss";
    std::string error;
    const std::string path = dir.File("part.csv");
    ASSERT_TRUE(WriteCsvRange(*session, path, 2, 4, error)) << error;
    EXPECT_EQ(testing::ReadFile(path), CsvText(session->records, '.', 2, 4));
    EXPECT_EQ(session->statusText, path + " has been written");
    EXPECT_EQ(session->currentFileName, "/data/pass.kss");
    EXPECT_FALSE(WriteCsvRange(*session, dir.File("no/such/dir.csv"), 1, 1, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kelvanor
