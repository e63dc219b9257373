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

TEST(Limits, ReadsGoodLinesAndNamesEveryBadOneByItsLine) {
    const LimitSet set = ParseLimits(
        "# limits\r\n\r\n3 = red_low 6.0, yellow_low 6.6, yellow_high 8.3, red_high 8.5, "
        "persistence 2  # VOC\r\n0 = allowed 3 4 5\n12 = RED 1 4 8, Yellow 0\n48 red_high 50\n"
        "118 = red_high 1\nx = red_high 1\n47 = red_hgh 1\n47 = red_high\n47 = red_high 1,5\n"
        "47 = red_low 10, red_high 5\n47 = red_high 1, persistence 0\n47 = persistence 2\n3 = "
        "red_high 9\n"
        " 47 = yellow_high 80, red_high +1e2, persistence 3\n50 = red_high 4O\n51 = allowed\n"
        "53 = red_high 5, red_high 6\n54 =\n55 = red_high nan");
    std::vector<int> lines, channels;
    for (const LimitProblem& p : set.problems) lines.push_back(p.line);
    for (int c = 0; c < kChannelCount; ++c)
        if (set.Of(c)) channels.push_back(c);
    EXPECT_EQ(lines, std::vector<int>({6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21}));
    EXPECT_EQ(channels, std::vector<int>({0, 3, 12, 47}));
    const ChannelLimits &voc = *set.Of(3), &solar = *set.Of(47);
    EXPECT_EQ(std::tuple(*voc.redLow, *voc.yellowLow, *voc.yellowHigh, *voc.redHigh,
                         voc.persistence, *solar.redHigh, solar.persistence, !solar.redLow),
              std::tuple(6.0, 6.6, 8.3, 8.5, 2, 100.0, 3, true));
    for (const char* problem :
         {"; line 9: unknown word \"red_hgh\"; line ignored; line 10: \"red_high\"",
          "; line 15: channel 3 already has limits on line 3;"})
        EXPECT_NE(set.ProblemText("f").find(problem), std::string::npos) << problem;
    EXPECT_EQ(ParseLimits("9").ProblemText("f"), "f line 1: no \"=\"; line ignored");
}

TEST(Limits, ValuesOnABoundAreInsideItCodesMatchExactly) {
    const LimitSet set = ParseLimits(
        "3 = red_low 6, yellow_low 6.6, yellow_high 8.3, red_high 8.5\n4 = red_high 1\n"
        "2 = allowed 3 4 5, yellow 4\n12 = red 1 4 8 12 16, yellow 0\n");
    auto below = [](double v) { return std::nextafter(v, -INFINITY); };
    auto above = [](double v) { return std::nextafter(v, INFINITY); };
    using L = LimitLevel;
    // channel, value, level, bound crossed at that level
    const std::tuple<int, double, L, std::string> rows[] = {
        {3, below(6), L::Red, "red_low 6"},
        {3, 6, L::Yellow, "yellow_low 6.6"},
        {3, below(6.6), L::Yellow, "yellow_low 6.6"},
        {3, 6.6, L::None, ""},
        {3, 8.3, L::None, ""},
        {3, above(8.3), L::Yellow, "yellow_high 8.3"},
        {3, 8.5, L::Yellow, "yellow_high 8.3"},
        {3, above(8.5), L::Red, "red_high 8.5"},
        {3, NAN, L::None, ""},
        {4, 1.5, L::Red, "red_high 1"},
        {2, 3, L::None, ""},
        {2, 4, L::Yellow, "yellow code 4"},
        {2, 2, L::Red, "allowed 3 4 5"},
        {12, 4, L::Red, "red code 4"},
        {12, 0, L::Yellow, "yellow code 0"}};
    for (const auto& [c, v, level, bound] : rows) {
        const ChannelLimits& l = *set.Of(c);
        EXPECT_EQ(LevelOf(l, v), level) << c << " = " << v;
        EXPECT_EQ(BoundText(l, BoundCrossed(l, v, level), v), bound) << c << " = " << v;
    }
    // Red that persisted only as yellow names the bound it crosses there.
    EXPECT_EQ(BoundText(*set.Of(4), BoundCrossed(*set.Of(4), 2, L::Yellow), 2), "red_high 1");
}

TEST(Limits, PersistenceCountsBackAcrossFilesButNotBeforeAnImport) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("a.kss"), testing::VocPass({8000, 8600, 8600, 8400, 8600}));
    testing::WriteFile(dir.File("b.kss"), testing::VocPass({8600, 5000}));
    Session s;
    // Channel 0, the packet counter, is yellow in every record.
    s.limits = ParseLimits(
        "3 = red_low 6, yellow_high 8.3, red_high 8.5, persistence 2\n0 = yellow_low 1e9");
    ImportHooks hooks;
    // Channel 3's mark record by record, and the red notice where one is raised.
    auto import = [&](const std::vector<std::string>& files) {
        ResetBeforeImport(s);
        ImportFiles(s, files, ImportKind::KissRecording, hooks);
        std::string marks;
        for (int n = 1; n <= s.RecordCount(); ++n) {
            const LimitMark m = MarkRecord(s.limits, s.records, n)[3];
            marks += std::string("-YR").at(static_cast<int>(m.level)) +
                     BoundText(*s.limits.Of(3), m.bound, 0) +
                     RaisedToRedText(s.limits, s.records, n);
        }
        return marks;
    };
    EXPECT_EQ(import({dir.File("a.kss"), dir.File("b.kss")}),
              "--Rred_high 8.5RED: EPS Battery VOC 8.6 (red_high 8.5)Yyellow_high 8.3Yyellow_high "
              "8.3Rred_high 8.5RED: EPS Battery VOC 8.6 (red_high 8.5)Rred_low 6");
    EXPECT_EQ(import({dir.File("b.kss")}), "-Rred_low 6RED: EPS Battery VOC 5 (red_low 6)");
    const LimitCounts counts = CountMarks(MarkRecord(s.limits, s.records, 2));
    EXPECT_EQ(std::pair(counts.red, counts.yellow), std::pair(1, 1));
    EXPECT_FALSE(ReadLimitsFile(dir.File("none.ini"), s.limits));  // no file: no limits, no problem
}

TEST(Limits, SilenceWatchCountsFromTheLastBeacon) {
    auto at = [](int s) { return StaleWatch::TimePoint{} + std::chrono::seconds(s); };
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
