// kelvanor-cli end to end, on files in a temporary folder.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "acquire/kiss_framing.h"
#include "kelvanor_version.h"
#include "sample_pass.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

struct CliRun {
    int status;
    std::string out;
};

CliRun Cli(const std::string& arguments) {
    const std::string command = std::string(KELVANOR_CLI_PATH) + " " + arguments + " 2>/dev/null";
    CliRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

class CliTest : public ::testing::Test {
protected:
    CliTest() {
        sample = dir.File("2020-11-29_kelvanor.kss");
        testing::WriteFile(sample, samples::SimulatedRecording());
    }
    testing::TempDir dir;
    std::string sample;
};

TEST_F(CliTest, PrintsTheRecordTheWindowShowsAfterImport) {
    CliRun run = Cli("--locale C --print " + sample);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), 120u);
    EXPECT_EQ(run.out.substr(0, 20), "0;Beacon Packet;4821");
    EXPECT_NE(run.out.find("\n52;State of Charge;0.00;C\n"), std::string::npos);
    EXPECT_NE(run.out.find("OBC Timestamp: 2020-11-29 21:20:00\n"), std::string::npos);
    EXPECT_NE(run.out.find("RX Timestamp: 2020-11-29 21:20:01.141 UTC\n"), std::string::npos);
}

TEST_F(CliTest, RecordOptionMovesTheBrowser) {
    CliRun run = Cli("--locale C --record 300 --print " + sample);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, 22), "0;Beacon Packet;48512;");
    EXPECT_NE(run.out.find("OBC Timestamp: 2020-11-29 21:29:58\n"), std::string::npos);
    EXPECT_EQ(Cli("--record 301 " + sample).status, 2);
    EXPECT_EQ(Cli("--record 0 " + sample).status, 2);
    EXPECT_EQ(Cli("--record x " + sample).status, 2);
}

TEST_F(CliTest, UsageErrorsExitWith2) {
    EXPECT_EQ(Cli("").status, 2);
    EXPECT_EQ(Cli("--bogus " + sample).status, 2);
    EXPECT_EQ(Cli("--csv").status, 2);
    EXPECT_EQ(Cli("--locale xx_NOWHERE " + sample).status, 2);
    EXPECT_EQ(Cli("--help").status, 0);
    CliRun version = Cli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kelvanor-cli " KELVANOR_VERSION "\n");
}

TEST_F(CliTest, UnreadableInputExits1AndTheOthersStillImport) {
    CliRun run = Cli("--locale C --log " + dir.File("missing.kss") + " " + sample);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.out), 300u);
}

TEST_F(CliTest, WritesTheExportsAndFailsOnAnUnwritableOutput) {
    const std::string csv = dir.File("out.csv"), tlm = dir.File("out.tlm");
    ASSERT_EQ(Cli("--locale de_DE --csv " + csv + " --tlm " + tlm + " " + sample).status, 0);
    const std::string csvText = testing::ReadFile(csv);
    EXPECT_EQ(Lines(csvText), 301u);
    EXPECT_NE(csvText.find(";7,823;"), std::string::npos);
    const std::string tlmText = testing::ReadFile(tlm);
    EXPECT_EQ(Lines(tlmText), 62u);
    EXPECT_NE(tlmText.find("EPS Battery VOC     7,823          V   "), std::string::npos);
    EXPECT_EQ(Cli("--csv " + dir.File("no/such/dir.csv") + " " + sample).status, 1);
}

TEST_F(CliTest, SatnogsLogIsNormalisedInMemoryOnly) {
    std::string hex;
    for (const samples::Chunk& c : samples::SimulatedPass()) {
        if (!c.beacon) continue;
        AppendHex(hex, KissUnescape(std::string_view(c.bytes).substr(2, c.bytes.size() - 3)));
        break;
    }
    const std::string log = "timestamp|frame\n2020-11-29 21:20:01|" + hex + "\n";
    const std::string path = dir.File("satnogs.csv");
    testing::WriteFile(path, log);
    CliRun run = Cli("--locale C --print " + path);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, 22), "0;Beacon Packet;48213;");
    EXPECT_NE(run.out.find("RX Timestamp: 2020-11-29 21:20:01\n"), std::string::npos);
    EXPECT_EQ(testing::ReadFile(path), log);
}

}  // namespace
}  // namespace kelvanor
