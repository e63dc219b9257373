// The chart's exploration arithmetic: the view range and the records it
// covers, the statistics beside the chart, the hover readout and the CSV of
// a record range.
#include <gtest/gtest.h>

#include <cstdio>
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

TEST(ChartViewportTest, CommandsGiveTheViewAndTheRecordsInIt) {
    const Op z40 = {'z', 0.2, 0.5, 50, 5};                          // x 40..60, y 2.5..7.5
    const Op e150 = {'e', 150, 0, 20}, z67 = {'z', 0.1, 1, 75, 0};  // then x 67.5..82.5
    const Op in = {'z', 0.8, 0.8, 120, 3}, out = {'z', 1.25, 1.25, 120, 3};
    const std::vector<Op> tenths(100, Op{'z', 1, 0.1, 5, 0});
    // Each row: a name, the commands, the view after them as "x0 x1 y0 y1 first+count" of the
    // records in view (" z" when zoomed), and the records of a view from 0 to 10 in value.
    const std::tuple<const char*, std::vector<Op>, const char*, int> cases[] = {
        {"no points", {}, "0 0 0 10 1+0", 0},
        {"half about the middle: by centres", {{'z', 0.5, 1, 50}}, "25 75 0 10 26+50 z", 100},
        {"half at the left edge", {{'z', 0.5, 1, 0}}, "0 50 0 10 1+50 z", 100},
        {"half at the right edge", {{'z', 0.5, 1, 100}}, "50 100 0 10 51+50 z", 100},
        {"never below two categories", {{'z', 0.001, 1, 40}}, "39.01 41.01 0 10 40+2 z", 100},
        {"half a category off the left", {{'z', 0.995, 1, 100}}, "0.5 100 0 10 1+100 z", 100},
        {"twice, about 60", {{'z', 0.5, 1, 60}, {'z', 0.5, 1, 60}}, "45 70 0 10 46+25 z", 100},
        {"in and back out", {in, out, out}, "0 300 0 10 1+300", 300},
        {"values down to a millionth", tenths, "0 10 0 1e-05 1+10 z", 10},
        {"pan", {z40, {'p', -15, 1}}, "25 45 3.5 8.5 26+20 z", 100},
        {"pan stops at the low ends", {z40, {'p', -1000, -1000}}, "0 20 0 5 1+20 z", 100},
        {"pan stops at the high ends", {z40, {'p', 1000, 1000}}, "80 100 5 10 81+20 z", 100},
        {"pan by NaN and inf ignored", {z40, {'p', kNaN, kInf}}, "40 60 2.5 7.5 41+20 z", 100},
        {"the whole chart does not pan", {{'p', 30, 3}}, "0 100 0 10 1+100", 100},
        {"unzoomed follows a redraw", {e150}, "0 150 0 20 1+150", 100},
        {"zoomed, one more: stays", {e150, z67, {'e', 151, 0, 20}}, "67.5 82.5 0 20 68+16 z", 100},
        {"zoomed, fewer: pulled in", {e150, z67, {'e', 70, 0, 20}}, "55 70 0 20 56+15 z", 100},
        {"one record shows all", {e150, z67, {'e', 1, 0, 20}}, "0 1 0 20 1+1", 100},
        {"a flat value range gets one unit", {{'e', 10, 5, 5}}, "0 10 5 6 1+10", 10},
        {"zoomed out no further than the values", {{'e', 10, 5, 6}, {'z', 1, 2, 5, 5.5}}, "0 10 5 6 1+10", 10},
        {"a zoom by 0 is ignored", {{'z', 0, 0, 50, 5}}, "0 100 0 10 1+100", 100},
    };
    for (const auto& [name, ops, view, points] : cases) {
        ChartViewport v;
        v.SetExtents(points, 0, 10);
        for (const Op& op : ops)
            op.kind == 'z'   ? v.Zoom(op.a, op.b, op.c, op.d)
            : op.kind == 'p' ? v.Pan(op.a, op.b)
                             : v.SetExtents(static_cast<int>(op.a), op.b, op.c);
        char got[200];
        std::snprintf(got, sizeof got, "%.10g %.10g %.10g %.10g %d+%d%s", v.X0(), v.X1(), v.Y0(),
                      v.Y1(), VisibleRecords(v).first, VisibleRecords(v).Count(),
                      v.Zoomed() ? " z" : "");
        EXPECT_STREQ(got, view) << name;
    }
    // The record under a place on the category axis of 100 records; 0 for none.
    ChartViewport v;
    v.SetExtents(100, 0, 10);
    const std::pair<double, int> places[] = {{-0.01, 0},    {0, 1},   {0.99, 1}, {1, 2},
                                             {99.999, 100}, {100, 0}, {kNaN, 0}, {-kInf, 0}};
    for (auto [x, record] : places) EXPECT_EQ(RecordAt(v, x), record) << x;
}

TEST(ChannelStatsTest, ExtremesAndMeanOfTheFiniteValues) {
    const std::pair<std::vector<double>, const char*> cases[] = {
        // in volts, decimal comma
        {{kNaN, kInf}, "no values"},
        {{1, 2, 2}, "min 1 V   max 2 V   mean 1,66667 V"},
        {{kNaN, -3}, "min -3 V   max -3 V   mean -3 V"},
        {{7.5, kNaN, -2.5, -kInf}, "min -2,5 V   max 7,5 V   mean 2,5 V"},
        {{0.25, 1e-5}, "min 1E-05 V   max 0,25 V   mean 0,125005 V"},
        {{663000000.7, 663000600.2}, "min 663000001 V   max 663000600 V   mean 663000300 V"},
        // The mean of the largest doubles does not overflow to infinity.
        {{1.7e308, 1.7e308}, "min 1,7E+308 V   max 1,7E+308 V   mean 1,7E+308 V"},
        // Six significant digits, but never more than 15 decimals.
        {{1.234567e-11, 2e-11}, "min 1,2346E-11 V   max 2E-11 V   mean 1,6173E-11 V"},
    };
    for (const auto& [values, text] : cases)
        EXPECT_EQ(StatsText(ComputeStats(values), "V", ','), text);
}

// Of a recorded pass of ten records: the hover readout, and the CSV of a record range,
// which is the heading and the matching lines of the whole export.
TEST(ChartSessionTest, ReadoutAndCsvOfARange) {
    Session session;
    ReadKissBytes(session.Road(), samples::SimulatedRecording(10));
    EXPECT_EQ(ReadoutText(session, 1), "");  // nothing charted yet
    DrawChannelChart(session, 3);
    EXPECT_EQ(ReadoutText(session, 1), "#1   2020-11-29 21:20:01.141 UTC   7.823 V");  // the first
    DrawChannelChart(session, 0);
    EXPECT_EQ(ReadoutText(session, 10), "#10   2020-11-29 21:20:19.270 UTC   48222");
    EXPECT_EQ(ReadoutText(session, 0) + ReadoutText(session, 11), "");  // records the chart lacks

    const std::string all = CsvText(session);
    std::vector<std::size_t> starts{0};  // where each line of the whole export begins, and its end
    for (std::size_t at; (at = all.find("\r\n", starts.back())) != std::string::npos;)
        starts.push_back(at + 2);
    ASSERT_EQ(starts.size(), 12u);  // the heading and ten records
    // first, last; and the lines of the whole export, the heading being line 0
    const std::tuple<int, int, int, int> cases[] = {
        {3, 5, 3, 6}, {1, 10, 1, 11}, {-4, 2, 1, 3}, {9, 400, 9, 11}, {6, 5, 1, 1}, {11, 20, 1, 1}};
    for (auto [first, last, from, to] : cases)
        EXPECT_EQ(CsvText(session.records, '.', first, last),
                  all.substr(0, starts[1]) + all.substr(starts[from], starts[to] - starts[from]));
}

}  // namespace
}  // namespace kelvanor
