// kelvanor-cli --check-limits on a crafted recording: one line per channel out
// of its limits, exit 3 on red, and the shipped limits.ini on the sample pass.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "sample_pass.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

TEST(CheckLimits, LinesAndExitStatus) {
    testing::TempDir dir;
    std::string pass;
    for (int mv : {8000, 8400, 8600, 8000}) {
        BeaconEncoder b = testing::PlausibleBeacon(mv);
        b.SetBatteryMillivolts(mv);
        pass += RecordingEntry("2021-02-04 12:54:56.123 UTC", KissFrame(b.Frame()));
    }
    testing::WriteFile(dir.File("p.kss"), pass);
    testing::WriteFile(dir.File("s.kss"), samples::SimulatedRecording());
    testing::WriteFile(dir.File("red.ini"), "3 = yellow_high 8.3, red_high 8.5  # VOC\r\n9 = nonsense\r\n");
    testing::WriteFile(dir.File("yellow.ini"), "3 = yellow_high 8.3, red_high 8.6\n");
    const std::string stamp = ";2021-02-04 12:54:56.123 UTC;3;EPS Battery VOC;";
    const std::string yellow = "2" + stamp + "8.4;yellow;yellow_high 8.3\n";
    // arguments, exit status, standard output and error
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--limits red.ini p.kss", 3,
         "kelvanor-cli: red.ini line 2: unknown word \"nonsense\"; line ignored\n" + yellow + "3" + stamp +
             "8.6;red;red_high 8.5\n"},
        {"--limits yellow.ini p.kss", 0, yellow + "3" + stamp + "8.6;yellow;yellow_high 8.3\n"},
        {"--limits none.ini p.kss", 1, "kelvanor-cli: cannot read none.ini"},
        {"s.kss", 0, "252;2020-11-29 21:28:23.169 UTC;98;Cmd Status;1;yellow;yellow code 1\n"},
    };
    for (const auto& [arguments, status, text] : cases) {
        const std::string command = "cd " + dir.File("") + " && " KELVANOR_CLI_PATH " --check-limits " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        for (int c; (c = std::fgetc(pipe)) != EOF;) out += char(c);
        const int raw = pclose(pipe);
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, status) << arguments;
        EXPECT_TRUE(out.starts_with(text)) << out;
    }
}

}  // namespace
}  // namespace kelvanor
