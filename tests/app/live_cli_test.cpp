// kelvanor-kiss-server feeding kelvanor-cli --connect on 127.0.0.1: what the
// server wrote must come out of the day's recording byte for byte, decoded
// where an arrival held one beacon, even when the client is killed.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "sample_pass.h"
#include "support/recording_chunks.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// Runs a shell command line; returns its exit status.
int Shell(const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); }

// A socket on 127.0.0.1 that listens and never accepts: the system completes
// connections to it all the same, and nothing is ever sent.
struct SilentListener {
    SilentListener() {
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t len = sizeof a;
        bind(fd, reinterpret_cast<sockaddr*>(&a), len);
        listen(fd, 4);
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = std::to_string(ntohs(a.sin_port));
    }
    ~SilentListener() { close(fd); }
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    std::string port;
};

class LiveCliTest : public ::testing::Test {
protected:
    ~LiveCliTest() override { Shell("kill $(cat " + dir.File("server.pid") + ") 2>/dev/null"); }  // the replay server

    // Starts the replay server on a recorded pass of `beacons` beacons;
    // returns the port it listens on.
    std::string Serve(int beacons, const std::string& options) {
        testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(beacons));
        for (const samples::Chunk& c : samples::SimulatedPass(beacons)) {
            served += c.bytes;
            if (c.beacon) beaconChunks.push_back(c.bytes);
        }
        const std::string out = dir.File("server.txt");  // "listening on ADDR:PORT" once ready
        Shell(std::string(KELVANOR_KISS_SERVER_PATH) + " --port 0 " + options + " " + dir.File("pass.kss") + " >" + out +
              " 2>/dev/null & echo $! >" + dir.File("server.pid") + "; timeout 5 sh -c 'until grep -q : " + out + "; do sleep 0.01; done'");
        const std::string line = testing::ReadFile(out);
        return std::to_string(std::stoi(line.substr(line.rfind(':') + 1)));
    }

    // kelvanor-cli receiving for `seconds` (under `timeout` with `stop`, the
    // signal and the delay, when given); returns its exit status.
    int Client(const std::string& port, const std::string& seconds, const std::string& stop = "") {
        return Shell((stop.empty() ? "" : "timeout --preserve-status " + stop + " ") + KELVANOR_CLI_PATH + " --connect 127.0.0.1:" +
                     port + " --for " + seconds + " --record-dir " + recordings.path().string() + " --csv " +
                     dir.File("out.csv") + " >" + dir.File("stdout.txt") + " 2>/dev/null");
    }

    std::size_t CsvLines() { return std::ranges::count(testing::ReadFile(dir.File("out.csv")), '\n'); }

    std::string DayFile() {  // the recording the client made, or ""
        const std::filesystem::directory_iterator it(recordings.path()), end;
        return it == end ? "" : it->path().string();
    }

    // Walks the client's lines "<RX time> UTC <n> bytes short|recorded|beacon #k"
    // over the day's recording: every arrival not short is a timestamp record
    // and the next n bytes served (the pass over and over with --loop), and
    // is decoded when it is one beacon of the pass. With `whole`, the pass was
    // served once and the recording holds nothing more. Returns the beacons.
    std::size_t ExpectArrivalsRecorded(bool whole) {
        std::size_t rest = 0, offset = 0, k = 0, n = 0, beacons = 0;
        const std::vector<std::string> chunks = testing::RecordedChunks(testing::ReadFile(DayFile()), &rest);
        std::istringstream lines(testing::ReadFile(dir.File("stdout.txt")));
        std::string looped = served, word, what;
        while (lines >> word >> word >> word >> n >> word && std::getline(lines >> std::ws, what)) {
            while (looped.size() < offset + n) looped += served;
            const std::string chunk = looped.substr(offset, n);
            offset += n;
            if (what == "short") continue;
            EXPECT_TRUE(k < chunks.size() && chunks[k++] == chunk) << "arrival ending at byte " << offset;
            if (std::ranges::count(beaconChunks, chunk) == 1) EXPECT_EQ(what.rfind("beacon #", 0), 0u) << what;
            beacons += what.rfind("beacon #", 0) == 0;
        }
        if (whole) EXPECT_EQ(std::make_tuple(offset, k, rest), std::make_tuple(served.size(), chunks.size(), 0u));
        return beacons;
    }

    testing::TempDir dir, recordings;  // the client records alone in `recordings`
    std::string served;
    std::vector<std::string> beaconChunks;
};

TEST_F(LiveCliTest, PacedBeaconsAreEachDecodedRecordedAndExported) {
    const std::string port = Serve(12, "--rate 10");
    EXPECT_EQ(Client(port, "30"), 1);  // the server closes after the last frame
    EXPECT_EQ(ExpectArrivalsRecorded(true), 12u);
    EXPECT_EQ(CsvLines(), 13u);  // heading + 12
}

TEST_F(LiveCliTest, TwoThousandFramesAsFastAsTheClientReadsLoseNothing) {
    // 1990 beacons and the pass's other frames: over 2000 frames.
    const std::string port = Serve(1990, "--rate 0");
    EXPECT_EQ(Client(port, "60"), 1);
    EXPECT_EQ(ExpectArrivalsRecorded(true) + 1, CsvLines());
}

TEST_F(LiveCliTest, KilledMidBurstLeavesARecordingThatImports) {
    const std::string port = Serve(300, "--rate 0 --loop");
    EXPECT_EQ(Client(port, "60", "-s KILL 0.7"), 128 + SIGKILL);
    ExpectArrivalsRecorded(false);  // the arrival being written when killed may follow, whole or cut
    EXPECT_EQ(Shell(std::string(KELVANOR_CLI_PATH) + " --locale C --print " + DayFile() + " >" + dir.File("print.txt") +
                    " && head -c 16 " + dir.File("print.txt") + " | grep -qx '0;Beacon Packet;'"), 0);
}

TEST_F(LiveCliTest, StopSignalEndsWithStatus0AndTheExport) {
    const std::string port = Serve(20, "--rate 20 --loop");
    EXPECT_EQ(Client(port, "60", "-s TERM 0.5"), 0);
    EXPECT_GE(CsvLines(), 2u);
}

TEST_F(LiveCliTest, RefusedExits1AndSilentServerEndsAfterTheTimeWith0) {
    const std::string gone = SilentListener().port;  // just in use, nobody listens there now
    EXPECT_EQ(Client(gone, "5"), 1);
    SilentListener silent;
    EXPECT_EQ(Client(silent.port, "1"), 0);
    EXPECT_EQ(testing::ReadFile(dir.File("stdout.txt")), "");
    EXPECT_EQ(CsvLines(), 1u);  // the heading only
    EXPECT_EQ(DayFile(), "");  // no recording from either
}

}  // namespace
}  // namespace kelvanor
