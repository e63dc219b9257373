// The health limits: limits.ini as read, the level of a value at each bound
// and code, record marks with persistence across files and imports with the
// live red notice, the silence watch and where limits.ini is found.
#include <gtest/gtest.h>

#include <cmath>

#include "limits/limit_check.h"
#include "limits/stale_watch.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// Good lines read (equal bounds, persistence 1 included) and every bad one
// named by its line; then each value of a channel in turn, at and just beyond
// each bound and code: its level (-, Y, R) and the bound it crosses there.
TEST(Limits, ReadsTheFileAndJudgesValuesAtEachBoundAndCode) {
    const LimitSet set = ParseLimits(
        "# limits\r\n\r\n3 = red_low 6.0, yellow_low 6.6, yellow_high 8.3, red_high 8.5, "
        "persistence 2  # VOC\r\n0 = allowed 3 4 5, yellow 4\n12 = RED 1 4 8, Yellow 0\n48 "
        "red_high 50\n118 = red_high 1\nx = red_high 1\n47 = red_hgh 1\n47 = red_high\n47 = "
        "red_high 1,5\n47 = red_low 10, red_high 5\n47 = red_high 1, persistence 0\n47 = "
        "persistence 2\n3 = red_high 9\n 47 = yellow_high 80, red_high +1e2, persistence 1\n50 = "
        "red_high 4O\n51 = allowed\n53 = red_high 5, red_high 6\n54 =\n55 = red_high nan\n4 = "
        "red_high 1\n5 = red_low 2, yellow_low 2\n6 = red_high 1, persistence 10000\n7 = red_high 1, "
        "persistence 10001");
    std::string read;  // the lines named, then the channels given limits
    for (const LimitProblem& p : set.problems) read += std::to_string(p.line) + " ";
    for (int c = 0; c < kChannelCount; ++c) read += set.Of(c) ? "c" + std::to_string(c) + " " : "";
    EXPECT_EQ(read, "6 7 8 9 10 11 12 13 14 15 17 18 19 20 21 25 c0 c3 c4 c5 c6 c12 c47 ");
    EXPECT_EQ(std::pair(set.Of(3)->persistence, set.Of(47)->persistence), std::pair(2, 1));
    EXPECT_EQ(ParseLimits("9\n3 = red_high 1\n47 = red_hgh 1\n47 = red_high\n3 = red_high 9")
                  .ProblemText("f"),
              "f line 1: no \"=\"; line ignored; line 3: unknown word \"red_hgh\"; line ignored; "
              "line 4: \"red_high\" takes one number; line ignored; line 5: channel 3 already has "
              "limits on line 2; line ignored");

    auto below = [](double v) { return std::nextafter(v, -INFINITY); };
    auto above = [](double v) { return std::nextafter(v, INFINITY); };
    const std::tuple<int, std::vector<double>, std::string> rows[] = {
        {3,
         {below(6), 6, below(6.6), 6.6, 8.3, above(8.3), 8.5, above(8.5)},
         "Rred_low 6|Yyellow_low 6.6|Yyellow_low 6.6|-|-|Yyellow_high 8.3|Yyellow_high 8.3|"
         "Rred_high 8.5|"},
        {4, {1.5, NAN}, "Rred_high 1|-|"},
        {47, {-1e300, 100, above(100)}, "-|Yyellow_high 80|Rred_high 100|"},
        {0, {3, 4, 2}, "-|Yyellow code 4|Rallowed 3 4 5|"},
        {12, {4, 0}, "Rred code 4|Yyellow code 0|"}};
    for (const auto& [c, values, expected] : rows) {
        const ChannelLimits& l = *set.Of(c);
        std::string got;
        for (double v : values)
            got += std::string("-YR").at(static_cast<int>(LevelOf(l, v))) +
                   BoundText(l, BoundCrossed(l, v, LevelOf(l, v)), v) + "|";
        EXPECT_EQ(got, expected) << c;
    }
    // Red that persisted only as yellow names the bound it crosses there.
    EXPECT_EQ(BoundText(*set.Of(4), BoundCrossed(*set.Of(4), 2, LimitLevel::Yellow), 2),
              "red_high 1");
}

// Persistence counts back across files but not before an import; the red
// notice of a live arrival; the silence watch (STALE_SECONDS) of the link.
TEST(Limits, PersistenceRedNoticeAndSilence) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("a.kss"), testing::VocPass({8000, 8600, 8600, 8400, 8600}));
    testing::WriteFile(dir.File("b.kss"), testing::VocPass({8600, 5000}));
    Session s;
    s.limits = ParseLimits("3 = red_low 6, yellow_high 8.3, red_high 8.5, persistence 2");
    ImportHooks hooks;
    // Channel 3's mark record by record, and the red notice where one is raised.
    auto import = [&](const std::vector<std::string>& files) {
        ResetBeforeImport(s);
        ImportFiles(s, files, ImportKind::KissRecording, hooks);
        std::string marks;
        for (int n = 1; n <= s.RecordCount(); ++n) {
            const LimitMark m = MarkRecord(s.limits, s.records, n)[3];
            marks += "-YR"[static_cast<int>(m.level)] + BoundText(*s.limits.Of(3), m.bound, 0) +
                     RaisedToRedText(s.limits, s.records, n);
        }
        return marks;
    };
    EXPECT_EQ(import({dir.File("a.kss"), dir.File("b.kss")}),
              "--Rred_high 8.5RED: EPS Battery VOC 8.6 (red_high 8.5)Yyellow_high 8.3Yyellow_high "
              "8.3Rred_high 8.5RED: EPS Battery VOC 8.6 (red_high 8.5)Rred_low 6");
    EXPECT_EQ(import({dir.File("b.kss")}), "-Rred_low 6RED: EPS Battery VOC 5 (red_low 6)");
    // No file: no limits and no problem; a folder: a problem of no line; a file: its limits.
    testing::WriteFile(dir.File("l.ini"), "5 = red_high 90\r\n");
    EXPECT_FALSE(ReadLimitsFile(dir.File("none.ini"), s.limits));
    EXPECT_TRUE(ReadLimitsFile(dir.File(""), s.limits));
    EXPECT_EQ(s.limits.problems.at(0).line, 0);
    EXPECT_EQ(s.limits.problems.at(0).text.rfind("cannot read " + dir.File(""), 0), 0u);
    EXPECT_TRUE(ReadLimitsFile(dir.File("l.ini"), s.limits) && s.limits.Of(5) && !s.limits.Of(3));
    // The silence watch counts from the last beacon.
    auto at = [](int sec) { return StaleWatch::TimePoint{} + std::chrono::seconds(sec); };
    StaleWatch watch;  // STALE_SECONDS=60, the link up at 0 s, a beacon at 50 s
    watch.SetSeconds(60);
    watch.Start(at(0));
    watch.Beacon(at(50));
    EXPECT_EQ(watch.Note(at(109)) + "|" + watch.Note(at(125)), "|no beacon for 75 s");
    watch.Stop();  // the link went down
    EXPECT_EQ(watch.Note(at(900)), "");
}

}  // namespace
}  // namespace kelvanor
