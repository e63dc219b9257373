// kelvanor-cli end to end, on files in a temporary folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

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

// Runs kelvanor-cli through the shell; its standard error is dropped unless
// the arguments redirect it themselves.
CliRun Cli(const std::string& arguments) {
    const bool ownStderr = arguments.find("2>") != std::string::npos;
    const std::string command = std::string(KELVANOR_CLI_PATH) + " " + arguments + (ownStderr ? "" : " 2>/dev/null");
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

// The peak resident memory, in kB, of a kelvanor-cli run (output dropped).
long PeakRssKb(const std::vector<std::string>& arguments) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(KELVANOR_CLI_PATH)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int raw = 0;
    rusage usage{};
    wait4(pid, &raw, 0, &usage);
    return WIFEXITED(raw) && WEXITSTATUS(raw) == 0 ? usage.ru_maxrss : -1;
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

TEST_F(CliTest, UsageErrorsExitWith2AndWriteNothing) {
    const std::string out = dir.File("out.txt");
    const std::string connect = "--connect 127.0.0.1:8001 --record-dir " + dir.path().string();
    const std::string before = testing::ReadFile(sample);
    const char* fors[] = {"inf", "1e300", "9.3e9", "nan", "0", "-1", "10x"};
    std::vector<std::string> rows = {
        "",
        "--bogus " + sample,
        "--csv",
        "--locale xx_NOWHERE " + sample,
        "--csv " + sample + " " + sample,                       // an output that is an input
        "--tlm " + dir.path().string() + "/./" + "2020-11-29_kelvanor.kss " + sample,
        "--csv " + out + " --tlm " + out + " " + sample,        // both exports to one file
        "--connect 127.0.0.1:73537",                            // beyond the port numbers
        "--connect 127.0.0.1:0",
        "--connect 127.0.0.1:http",                             // no service names
        "--connect 127.0.0.1:",
        "--connect :8001",
    };
    for (const char* f : fors) rows.push_back(connect + " --for " + f);
    for (const std::string& row : rows) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cli(row).status, 2);
    }
    EXPECT_EQ(testing::ReadFile(sample), before);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // the sample alone
    EXPECT_EQ(Cli("--help").status, 0);
    CliRun version = Cli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kelvanor-cli " KELVANOR_VERSION "\n");
}

// Unreadable inputs, FIFOs and endless devices included, are each a problem
// (exit 1); the other inputs are still imported.
TEST_F(CliTest, UnreadableInputExits1AndTheOthersStillImport) {
    ASSERT_EQ(mkfifo(dir.File("f.kss").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir.File("z.kss"));
    CliRun run = Cli("--locale C --log " + dir.File("missing.kss") + " " + dir.File("f.kss") + " " +
                     dir.File("z.kss") + " " + sample + " 2>&1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.out), 300u + 3);
    EXPECT_NE(run.out.find(dir.File("f.kss") + ": not a regular file"), std::string::npos);
}

// A failed write to standard output is exit 1 with a message, for a short
// text (left in the buffer) and a long one (written at once).
TEST_F(CliTest, FullStandardOutputExits1) {
    for (const char* what : {"--print", "--log"}) {
        SCOPED_TRACE(what);
        CliRun run = Cli(std::string("--locale C ") + what + " " + sample + " 2>&1 >/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "kelvanor-cli: cannot write standard output: No space left on device\n");
    }
}

// A SatNOGS log of many short lines takes at most three times its size
// (the text, its CR LF copy) beside the program's own memory.
TEST_F(CliTest, ShortLineLogNeedsAtMostThreeTimesItsSize) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow and quarantine take memory of their own";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer's shadow and quarantine take memory of their own";
#endif
#endif
    const std::string path = dir.File("short-lines.csv");
    std::string log;
    for (int i = 0; i < 10'000'000; ++i) log += i % 2 ? "a\n" : "b\n";
    testing::WriteFile(path, log);
    const long baseline = PeakRssKb({"--locale", "C", sample});
    const long peak = PeakRssKb({"--locale", "C", path});
    ASSERT_GT(baseline, 0);
    EXPECT_LE(peak - baseline, static_cast<long>(3 * log.size() / 1024)) << "peak " << peak << " kB";
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
