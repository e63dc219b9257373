// The health limits: limits.ini as read, the level of a value at each bound,
// the marks of records with persistence across files and imports, the live
// red notice, the silence watch and where the file and STALE_SECONDS come from.
#include <gtest/gtest.h>

#include <cmath>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "app/shell/conf_ini.h"
#include "app/shell/program_paths.h"
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
        "# limits\r\n\r\n"
        "3 = red_low 6.0, yellow_low 6.6, yellow_high 8.3, red_high 8.5, persistence 2  # VOC\r\n"
        "2 = allowed 3 4 5\n12 = RED 1 4 8 12 16, Yellow 0\n"
        "48 red_high 50\n118 = red_high 1\nx = red_high 1\n47 = red_hgh 1\n47 = red_high\n"
        "47 = red_high 1,5\n47 = red_low 10, red_high 5\n47 = persistence 0\n47 = persistence 2\n"
        "3 = red_high 9\n 47 = yellow_high 80, red_high +1e2, persistence 3\n50 = red_high 4O\n"
        "51 = allowed\n53 = red_high 5, red_high 6\n54 =\n55 = red_high nan");
    std::vector<int> lines, channels;
    for (const LimitProblem& p : set.problems) lines.push_back(p.line);
    for (int c = 0; c < kChannelCount; ++c)
        if (set.Of(c)) channels.push_back(c);
    EXPECT_EQ(lines, std::vector<int>({6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21}));
    EXPECT_EQ(channels, std::vector<int>({2, 3, 12, 47}));
    const ChannelLimits& voc = *set.Of(3);
    EXPECT_EQ(std::tuple(*voc.redLow, *voc.yellowLow, *voc.yellowHigh, *voc.redHigh, voc.persistence),
              std::tuple(6.0, 6.6, 8.3, 8.5, 2));
    EXPECT_EQ(std::tuple(*set.Of(47)->redHigh, set.Of(47)->persistence, set.Of(47)->redLow.has_value()),
              std::tuple(100.0, 3, false));
    EXPECT_EQ(set.Of(12)->yellowCodes, std::vector<double>({0}));
    EXPECT_TRUE(set.ProblemText("limits.ini")
                    .starts_with("limits.ini line 6: no \"=\"; line ignored; line 7: \"118\" is not a channel"));
    EXPECT_NE(set.ProblemText("f").find("line 15: channel 3 already has limits on line 3"), std::string::npos);
    EXPECT_TRUE(ParseLimits("# nothing\n").Empty());
}

TEST(Limits, ValuesOnABoundAreInsideItCodesMatchExactly) {
    const LimitSet set = ParseLimits(
        "3 = red_low 6, yellow_low 6.6, yellow_high 8.3, red_high 8.5\n4 = red_high 1\n"
        "2 = allowed 3 4 5, yellow 4\n12 = red 1 4 8 12 16, yellow 0\n");
    auto below = [](double v) { return std::nextafter(v, -INFINITY); };
    auto above = [](double v) { return std::nextafter(v, INFINITY); };
    // channel, value, level, bound crossed at that level
    const std::tuple<int, double, LimitLevel, std::string> rows[] = {
        {3, below(6), LimitLevel::Red, "red_low 6"},     {3, 6, LimitLevel::Yellow, "yellow_low 6.6"},
        {3, below(6.6), LimitLevel::Yellow, "yellow_low 6.6"}, {3, 6.6, LimitLevel::None, ""},
        {3, 8.3, LimitLevel::None, ""},                  {3, above(8.3), LimitLevel::Yellow, "yellow_high 8.3"},
        {3, 8.5, LimitLevel::Yellow, "yellow_high 8.3"}, {3, above(8.5), LimitLevel::Red, "red_high 8.5"},
        {3, NAN, LimitLevel::None, ""},                  {4, 1, LimitLevel::None, ""},
        {4, 1.5, LimitLevel::Red, "red_high 1"},         {2, 3, LimitLevel::None, ""},
        {2, 4, LimitLevel::Yellow, "yellow code 4"},     {2, 2, LimitLevel::Red, "allowed 3 4 5"},
        {2, 3.5, LimitLevel::Red, "allowed 3 4 5"},      {12, 4, LimitLevel::Red, "red code 4"},
        {12, 0, LimitLevel::Yellow, "yellow code 0"},    {12, 2, LimitLevel::None, ""},
    };
    for (const auto& [c, v, level, bound] : rows) {
        SCOPED_TRACE(std::to_string(c) + " = " + LimitNumber(v));
        EXPECT_EQ(LevelOf(*set.Of(c), v), level);
        EXPECT_EQ(BoundText(*set.Of(c), BoundCrossed(*set.Of(c), v, level), v), bound);
    }
    // A red value that persisted only as yellow names the bound it crosses there.
    EXPECT_EQ(BoundText(*set.Of(4), BoundCrossed(*set.Of(4), 2, LimitLevel::Yellow), 2), "red_high 1");
}

TEST(Limits, PersistenceCountsBackAcrossFilesButNotBeforeAnImport) {
    testing::TempDir dir;
    auto recording = [&](const std::string& name, std::initializer_list<int> millivolts) {
        std::string bytes;
        for (int mv : millivolts) {
            BeaconEncoder b = testing::PlausibleBeacon();
            b.SetBatteryMillivolts(mv);
            bytes += RecordingEntry("2021-02-04 12:54:56.123 UTC", KissFrame(b.Frame()));
        }
        testing::WriteFile(dir.File(name), bytes);
        return dir.File(name);
    };
    Session s;
    s.limits = ParseLimits("3 = red_low 6, yellow_high 8.3, red_high 8.5, persistence 2");
    ImportHooks hooks;
    ResetBeforeImport(s);
    ImportFiles(s, {recording("a.kss", {8000, 8600, 8600, 8400, 8600}), recording("b.kss", {8600, 5000, 5000})},
                ImportKind::KissRecording, hooks);
    auto marks = [&] {
        std::string text;
        for (int n = 1; n <= s.RecordCount(); ++n) {
            const LimitMark m = MarkRecord(s.limits, s.records, n)[3];
            text += m.level == LimitLevel::None ? "-" : m.level == LimitLevel::Red ? "R" : "Y";
        }
        return text;
    };
    EXPECT_EQ(marks(), "--RYYRRR");
    EXPECT_EQ(BoundText(*s.limits.Of(3), MarkOf(s.limits, s.records, 5, 3).bound, 8.6), "yellow_high 8.3");
    EXPECT_EQ(CountMarks(MarkRecord(s.limits, s.records, 7)).red, 1);
    const std::string raised[] = {"", "", "RED: EPS Battery VOC 8.6 (red_high 8.5)", "", "", "RED: EPS Battery VOC 8.6 (red_high 8.5)", "", ""};
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(RaisedToRedText(s.limits, s.records, n), raised[n - 1]) << n;
    ResetBeforeImport(s);
    ImportFiles(s, {dir.File("b.kss")}, ImportKind::KissRecording, hooks);
    EXPECT_EQ(marks(), "-RR");
    EXPECT_EQ(CountMarks(MarkRecord(s.limits, s.records, 0)).red, 0);  // live data before any beacon
}

TEST(Limits, SilenceWatchAndWhereTheFileAndTheSettingComeFrom) {
    using std::chrono::seconds;
    const StaleWatch::TimePoint t0{};
    StaleWatch watch;
    watch.Start(t0);
    EXPECT_EQ(watch.Note(t0 + seconds(1000)), "");  // off without STALE_SECONDS
    watch.SetSeconds(60);
    EXPECT_EQ(watch.Note(t0 + seconds(59)), "");
    EXPECT_EQ(watch.Note(t0 + seconds(60)), "no beacon for 60 s");
    watch.Beacon(t0 + seconds(50));
    EXPECT_EQ(watch.Note(t0 + seconds(109)), "");
    EXPECT_EQ(watch.Note(t0 + seconds(125)), "no beacon for 75 s");
    watch.Stop();
    watch.Beacon(t0 + seconds(200));  // no link: a beacon starts nothing
    EXPECT_EQ(watch.Note(t0 + seconds(900)), "");

    for (const auto& [line, stale, problems] :
         {std::tuple("STALE_SECONDS = 120", 120, 0u), std::tuple("stale_seconds=2m", 0, 1u),
          std::tuple("STALE_SECONDS=-5", 0, 1u), std::tuple("TCP_PORT=1", 0, 0u)}) {
        const Configuration c = ParseConfiguration(line, "/p/");
        EXPECT_EQ(std::pair(c.staleSeconds, c.problems.size()), std::pair(stale, std::size_t{problems})) << line;
    }

    // limits.ini is looked for as conf.ini is, each on its own.
    const std::string user = "/h/.config/kelvanor/", shared = "/usr/share/kelvanor/";
    for (const auto& [present, expected] :
         {std::pair(std::vector<std::string>{user + "conf.ini", shared + "conf.ini", shared + "limits.ini"},
                    shared + "limits.ini"),
          std::pair(std::vector<std::string>{shared + "conf.ini", user + "limits.ini", shared + "limits.ini"},
                    user + "limits.ini"),
          std::pair(std::vector<std::string>{shared + "conf.ini"}, user + "limits.ini")}) {
        PathFacts facts{"/usr/bin/", false, "/h/.config/", "/h/.local/share/",
                        [&](const std::string& p) { return std::count(present.begin(), present.end(), p) > 0; }};
        EXPECT_EQ(ChooseProgramPaths(facts).limitsIni, expected);
    }
    EXPECT_EQ(PathsBesideProgram("/b/").limitsIni, "/b/limits.ini");
}

}  // namespace
}  // namespace kelvanor
