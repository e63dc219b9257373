// The chart's exploration arithmetic: the view range and the records it
// covers, the statistics beside the chart, the hover readout and the CSV of
// a record range.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "acquire/kiss_file_reader.h"
#include "chart/chart_readout.h"
#include "chart/chart_viewport.h"
#include "export/csv_export.h"
#include "sample_pass.h"
#include "session/handlers.h"
#include "session/session.h"

namespace kelvanor {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// One command to the view: zoom by (a, b) about (c, d), pan by (a, b), or new
// extents of a points from b to c.
struct Op {
    char kind;  // 'z', 'p' or 'e'
    double a = 0, b = 0, c = 0, d = 0;
};

struct ViewCase {
    const char* name;
    int points;  // of a view from 0 to 10 in value
    std::vector<Op> ops;
    double x0, x1, y0, y1;
    int first, count;  // the records in view
    bool zoomed;
};

TEST(ChartViewportTest, CommandsGiveTheViewAndTheRecordsInIt) {
    const Op zoomTo40 = {'z', 0.2, 0.5, 50, 5};                           // x 40..60, y 2.5..7.5
    const Op to150 = {'e', 150, 0, 20}, zoomTo67 = {'z', 0.1, 1, 75, 0};  // then x 67.5..82.5
    const Op zoomOut = {'z', 1.25, 1.25, 120, 3};
    // clang-format off
    const ViewCase cases[] = {
        {"no points", 0, {}, 0, 0, 0, 10, 1, 0, false},
        {"half about the middle: by centres", 100, {{'z', 0.5, 1, 50}}, 25, 75, 0, 10, 26, 50, true},
        {"half at the left edge", 100, {{'z', 0.5, 1, 0}}, 0, 50, 0, 10, 1, 50, true},
        {"half at the right edge", 100, {{'z', 0.5, 1, 100}}, 50, 100, 0, 10, 51, 50, true},
        {"never below two categories", 100, {{'z', 0.001, 1, 40}}, 39.01, 41.01, 0, 10, 40, 2, true},
        {"half a category off the left", 100, {{'z', 0.995, 1, 100}}, 0.5, 100, 0, 10, 1, 100, true},
        {"twice, about another place", 100, {{'z', 0.5, 1, 60}, {'z', 0.5, 1, 60}}, 45, 70, 0, 10, 46, 25, true},
        {"in and back out", 300, {{'z', 0.8, 0.8, 120, 3}, zoomOut, zoomOut}, 0, 300, 0, 10, 1, 300, false},
        {"values down to a millionth", 10, std::vector<Op>(100, Op{'z', 1, 0.1, 5, 0}), 0, 10, 0, 1e-5, 1, 10, true},
        {"pan", 100, {zoomTo40, {'p', -15, 1}}, 25, 45, 3.5, 8.5, 26, 20, true},
        {"pan stops at the low ends", 100, {zoomTo40, {'p', -1000, -1000}}, 0, 20, 0, 5, 1, 20, true},
        {"pan stops at the high ends", 100, {zoomTo40, {'p', 1000, 1000}}, 80, 100, 5, 10, 81, 20, true},
        {"pan by NaN and inf ignored", 100, {zoomTo40, {'p', kNaN, kInf}}, 40, 60, 2.5, 7.5, 41, 20, true},
        {"the whole chart does not pan", 100, {{'p', 30, 3}}, 0, 100, 0, 10, 1, 100, false},
        {"unzoomed follows a redraw", 100, {{'e', 150, 0, 20}}, 0, 150, 0, 20, 1, 150, false},
        {"zoomed, a record arrives: it stays", 100, {to150, zoomTo67, {'e', 151, 0, 20}}, 67.5, 82.5, 0, 20, 68, 16, true},
        {"zoomed, fewer records: pulled inside", 100, {to150, zoomTo67, {'e', 70, 0, 20}}, 55, 70, 0, 20, 56, 15, true},
        {"one record shows all of it", 100, {to150, zoomTo67, {'e', 1, 0, 20}}, 0, 1, 0, 20, 1, 1, false},
        {"a flat value range gets one unit", 10, {{'e', 10, 5, 5}}, 0, 10, 5, 6, 1, 10, false},
        {"a zoom by 0 is ignored", 100, {{'z', 0, 0, 50, 5}}, 0, 100, 0, 10, 1, 100, false},
    };
    // clang-format on
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChartViewport v;
        v.SetExtents(c.points, 0, 10);
        for (const Op& op : c.ops) {
            if (op.kind == 'z') v.Zoom(op.a, op.b, op.c, op.d);
            if (op.kind == 'p') v.Pan(op.a, op.b);
            if (op.kind == 'e') v.SetExtents(static_cast<int>(op.a), op.b, op.c);
        }
        const double got[] = {v.X0(), v.X1(), v.Y0(), v.Y1()}, want[] = {c.x0, c.x1, c.y0, c.y1};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "of x0 x1 y0 y1: " << i;
        EXPECT_EQ(std::tuple(VisibleRecords(v).first, VisibleRecords(v).Count(), v.Zoomed()),
                  std::tuple(c.first, c.count, c.zoomed));
    }
}

TEST(ChartViewportTest, RecordAtAPosition) {
    ChartViewport v;
    v.SetExtents(100, 0, 10);
    const std::pair<double, int> cases[] = {{-0.01, 0},    {0, 1},   {0.99, 1}, {1, 2},
                                            {99.999, 100}, {100, 0}, {kNaN, 0}, {-kInf, 0}};
    for (auto [x, record] : cases) EXPECT_EQ(RecordAt(v, x), record) << x;
}

TEST(ChannelStatsTest, ExtremesAndMeanOfTheFiniteValues) {
    const struct {
        std::vector<double> values;
        const char* text;  // in volts, with a decimal comma
    } cases[] = {
        {{kNaN, kInf}, "no values"},
        {{1, 2, 2}, "min 1 V   max 2 V   mean 1,66667 V"},
        {{7.5, kNaN, -2.5, -kInf}, "min -2,5 V   max 7,5 V   mean 2,5 V"},
        {{0.25, 1e-5}, "min 1E-05 V   max 0,25 V   mean 0,125005 V"},
        {{663000000.7, 663000600.2}, "min 663000001 V   max 663000600 V   mean 663000300 V"},
        // The mean of the largest doubles does not overflow to infinity.
        {{1.7e308, 1.7e308}, "min 1,7E+308 V   max 1,7E+308 V   mean 1,7E+308 V"},
    };
    for (const auto& c : cases) EXPECT_EQ(StatsText(ComputeStats(c.values), "V", ','), c.text);
}

struct SessionTest : ::testing::Test {
    SessionTest() { ReadKissBytes(session.Road(), samples::SimulatedRecording(10)); }
    Session session;
};

TEST_F(SessionTest, ReadoutNamesRecordTimeAndValueWithUnit) {
    EXPECT_EQ(ReadoutText(session, 1), "");  // nothing charted yet
    DrawChannelChart(session, 3);
    EXPECT_EQ(ReadoutText(session, 1), "#1   2020-11-29 21:20:01.141 UTC   7.823 V");  // the first
    DrawChannelChart(session, 0);
    EXPECT_EQ(ReadoutText(session, 10), "#10   2020-11-29 21:20:19.270 UTC   48222");
    EXPECT_EQ(ReadoutText(session, 0) + ReadoutText(session, 11), "");  // records the chart lacks
}

TEST_F(SessionTest, CsvOfARangeIsTheHeadingAndTheMatchingLinesOfTheExport) {
    const std::string all = CsvText(session);
    std::vector<std::size_t> starts{0};  // where each line of the whole export begins, and its end
    for (std::size_t at; (at = all.find("\r\n", starts.back())) != std::string::npos;)
        starts.push_back(at + 2);
    ASSERT_EQ(starts.size(), 12u);  // the heading and ten records
    const struct {
        int first, last;
        std::size_t from, to;  // lines of the whole export, the heading being line 0
    } cases[] = {{3, 5, 3, 6},    {1, 10, 1, 11}, {-4, 2, 1, 3},
                 {9, 400, 9, 11}, {6, 5, 1, 1},   {11, 20, 1, 1}};
    const std::string heading = all.substr(0, starts[1]);
    for (const auto& c : cases) {
        const std::string lines = all.substr(starts[c.from], starts[c.to] - starts[c.from]);
        EXPECT_EQ(CsvText(session.records, '.', c.first, c.last), heading + lines) << c.first;
    }
}

}  // namespace
}  // namespace kelvanor
