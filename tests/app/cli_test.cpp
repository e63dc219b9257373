// kelvanor-cli end to end, run in a temporary folder that holds the sample
// recording as p.kss.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <tuple>
#include <vector>

#include "sample_pass.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

struct CliTest : ::testing::Test {
    CliTest() { testing::WriteFile(dir.File("p.kss"), samples::SimulatedRecording()); }
    // Runs "kelvanor-cli --locale C ARGUMENTS" in the folder (a later --locale
    // wins) through the shell and returns the exit status; standard error is
    // dropped unless the arguments redirect it themselves.
    int Cli(const std::string& arguments) {
        const std::string cd = "cd " + dir.File("") + " && " KELVANOR_CLI_PATH " --locale C ";
        const char* quiet = arguments.find("2>") == std::string::npos ? " 2>/dev/null" : "";
        FILE* pipe = popen((cd + arguments + quiet).c_str(), "r");
        for (int c = (out.clear(), 0); (c = std::fgetc(pipe)) != EOF;) out += char(c);
        const int raw = pclose(pipe);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    testing::TempDir dir;
    std::string out;  // the standard output of the last run
};

TEST_F(CliTest, UsageErrorsExitStatusOutputAndExports) {
    // Usage errors, an output that names an input or both exports one file
    // included, exit 2 and write nothing (the folder holds p.kss alone, as it
    // was); so do ports and run times out of range. A build tree keeps its files
    // beside the program.
    for (std::string row :
         {"", "--bogus p.kss", "--csv", "--locale xx_NOWHERE p.kss", "--record 301 p.kss",
          "--record 0 p.kss", "--record x p.kss", "--csv p.kss p.kss", "--tlm ./p.kss p.kss",
          "--csv o --tlm o p.kss", "--connect 127.0.0.1:73537", "--connect 127.0.0.1:0",
          "--connect 127.0.0.1:http", "--connect 127.0.0.1:", "--connect :8001",
          "--from 2020-11-29 --archive a", "--archive a --from 2020-13-29T21:00:00Z",
          "--archive a --to '2020-11-29 24:00:00'", "--archive a --from 2020/11/29T21:00:00Z",
          "--archive a --to '2020-11-29 2x:00:00'", "--archive a --to 2020-11-29T21:00:00 p.kss",
          "--from 2020-11-29T21:00:00Z p.kss"})
        EXPECT_EQ(Cli(row), 2) << row;
    for (const char* f : {"inf", "1e300", "9.3e9", "nan", "0", "-1", "10x"})
        EXPECT_EQ(Cli(std::string("--connect 127.0.0.1:8001 --record-dir . --for ") + f), 2) << f;
    EXPECT_EQ(testing::ReadFile(dir.File("p.kss")), samples::SimulatedRecording());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // The record the window shows after the import (the first, or --record N);
    // unreadable inputs, FIFOs and endless devices included, are each a problem
    // (exit 1) and the others are still imported; a failed write to standard
    // output is exit 1, for a short text (left in the buffer) and a long one; an
    // LF-only SatNOGS log is read with CR LF in memory, the file left as it is;
    // both exports in the regional form, and an unwritable one is exit 1.
    const std::string log = samples::SimulatedSatnogsLog(1), first = "0;Beacon Packet;48213;";
    const std::string c52 = "\n52;State of Charge;0.00;C\n",
                      voc = "EPS Battery VOC     7,823          V   ";
    ASSERT_EQ(mkfifo(dir.File("f").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir.File("z"));
    testing::WriteFile(dir.File("s.csv"), log);
    const std::string obc = "OBC Timestamp: 2020-11-29 21:", rx = "RX Timestamp: 2020-11-29 21:";
    const std::string no = "kelvanor-cli: cannot ", full = "write standard output: No space left";
    const std::string bin = std::filesystem::canonical(KELVANOR_CLI_PATH).parent_path().string();
    // arguments, exit status, lines of output, texts in it (the first starts it)
    const std::tuple<std::string, int, long, std::vector<std::string>> cases[] = {
        {"--print p.kss", 0, 120, {first, c52, obc + "20:00\n", rx + "20:01.141 UTC\n"}},
        {"--record 300 --print p.kss", 0, 120, {"0;Beacon Packet;48512;", obc + "29:58\n"}},
        {"--log m f z p.kss 2>&1", 1, 303, {no + "read m", no + "read f: not a regular file"}},
        {"--print p.kss 2>&1 >/dev/full", 1, 1, {no + full + " on device\n"}},
        {"--log p.kss 2>&1 >/dev/full", 1, 1, {no + full + " on device\n"}},
        {"--print s.csv && cat s.csv", 0, 122, {first, rx + "20:01\n", log}},  // the log unchanged
        {"--locale de_DE --csv c --tlm t p.kss && cat c t", 0, 301 + 62, {"time;", ";7,823;", voc}},
        {"--csv no/such/dir.csv p.kss", 1, 0, {""}},
        // The archive: a recording imported twice is stored once; a range
        // loads as an import does, with its reception times.
        {"--archive a.sqlite p.kss p.kss && " KELVANOR_CLI_PATH " --archive-stats a.sqlite", 0, 5,
         {"frames: 308\nbeacons: 300\nfirst reception: 2020-11-29 21:20:01.141 UTC\n",
          "last reception: 2020-11-29 21:29:59.247 UTC\nduplicates dropped: 308\n"}},
        {"--archive a.sqlite --from '2020-11-29 21:29:00' --to 2020-11-29T21:29:02Z --print 2>&1",
         0, 121, {"kelvanor-cli: 1 beacons loaded from a.sqlite\n", rx + "29:01.171 UTC\n"}},
        {"--help", 0, 54, {"usage: ", "Recordings without --record-dir go to " + bin + "/\n"}},
    };
    for (const auto& [arguments, status, lines, texts] : cases) {
        EXPECT_EQ(Cli(arguments), status) << arguments;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), lines) << arguments;
        EXPECT_TRUE(out.starts_with(texts[0])) << out.substr(0, 80);
        for (const std::string& t : texts) EXPECT_NE(out.find(t), std::string::npos) << t;
    }
}

// --check-limits: a line per channel out of its limits in each record, exit 3
// on red, a bad line told and skipped; the shipped limits.ini, found beside
// the program, finds no red in the sample pass.
TEST_F(CliTest, CheckLimitsLinesAndExitStatus) {
    testing::WriteFile(dir.File("v.kss"), testing::VocPass({8000, 8400, 8600, 8000}));
    testing::WriteFile(dir.File("r.ini"), "3 = yellow_high 8.3, red_high 8.5  # VOC\r\n9 = x\r\n");
    const std::string v = ";2021-02-04 12:54:56.123 UTC;3;EPS Battery VOC;";
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--check-limits --limits r.ini v.kss 2>&1", 3,
         "kelvanor-cli: r.ini line 2: unknown word \"x\"; line ignored\n2" + v +
             "8.4;yellow;yellow_high 8.3\n3" + v + "8.6;red;red_high 8.5\n"},
        // The same records loaded from the archive instead of the file.
        {"--archive a.sqlite v.kss && " KELVANOR_CLI_PATH
         " --locale C --check-limits --limits r.ini --archive a.sqlite 2>/dev/null", 3,
         "2" + v + "8.4;yellow;yellow_high 8.3\n3" + v + "8.6;red;red_high 8.5\n"},
        {"--check-limits p.kss", 0,
         "252;2020-11-29 21:28:23.169 UTC;98;Cmd Status;1;yellow;yellow"}};
    for (const auto& [arguments, status, text] : cases) {
        EXPECT_EQ(Cli(arguments), status) << arguments;
        EXPECT_TRUE(out.starts_with(text)) << out;
    }
}

}  // namespace
}  // namespace kelvanor
