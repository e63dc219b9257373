// kelvanor-kiss-server feeding kelvanor-cli --connect on 127.0.0.1: what the
// server wrote must come out of the day's recording byte for byte, decoded
// where an arrival held one beacon, even when the client is killed. (A stop
// signal's clean end: the recorder test in station_link_test.)
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "sample_pass.h"
#include "support/live_peers.h"
#include "support/recording_chunks.h"

namespace kelvanor {
namespace {

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

class LiveCliTest : public testing::LivePeers {
protected:
    // Starts the replay server on a recorded pass of `beacons` beacons;
    // returns the port it listens on.
    std::string ServePass(int beacons, const std::string& options) {
        testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(beacons));
        served.clear(), beaconChunks.clear();
        for (const samples::Chunk& c : samples::SimulatedPass(beacons)) {
            served += c.bytes;
            if (c.beacon) beaconChunks.push_back(c.bytes);
        }
        return Serve(dir.File("pass.kss"), options);
    }

    // Walks the client's lines "<RX time> UTC <n> bytes short|recorded|beacon #k"
    // over the day's recording: every arrival not short is a timestamp record
    // and the next n bytes served (the pass over and over with --loop), and
    // is decoded when it is one beacon of the pass. With `whole`, the pass was
    // served once and the recording holds nothing more. Returns the beacons.
    std::size_t ExpectArrivalsRecorded(bool whole) {
        std::size_t rest = 0, offset = 0, k = 0, n = 0, beacons = 0;
        const auto chunks = testing::RecordedChunks(testing::ReadFile(DayFile()), &rest);
        std::istringstream lines(Said());
        std::string looped = served, word, what;
        while (lines >> word >> word >> word >> n >> word && std::getline(lines >> std::ws, what)) {
            while (looped.size() < offset + n) looped += served;
            const std::string chunk = looped.substr(offset, n);
            offset += n;
            if (what == "short") continue;
            EXPECT_TRUE(k < chunks.size() && chunks[k++] == chunk)
                << "arrival ending at " << offset;
            if (std::ranges::count(beaconChunks, chunk) == 1)
                EXPECT_EQ(what.rfind("beacon #", 0), 0u) << what;
            beacons += what.rfind("beacon #", 0) == 0;
        }
        if (whole)
            EXPECT_EQ(std::tie(offset, k, rest), std::make_tuple(served.size(), chunks.size(), 0u));
        return beacons;
    }

    std::string served;
    std::vector<std::string> beaconChunks;
};

// Paced, and 1990 beacons with the pass's other frames (over 2000 frames) as
// fast as the client reads: nothing lost. The server closes after the last.
TEST_F(LiveCliTest, BeaconsAreEachDecodedRecordedAndExported) {
    for (const auto& [beacons, rate] : {std::pair{12, "--rate 10"}, {1990, "--rate 0"}}) {
        SCOPED_TRACE(beacons);
        std::filesystem::remove_all(dir.File("rec"));
        EXPECT_EQ(Client("--connect 127.0.0.1:" + ServePass(beacons, rate) + " --for 60"), 1);
        const std::size_t decoded = ExpectArrivalsRecorded(true);
        // The heading and the beacons.
        EXPECT_EQ(std::ranges::count(testing::ReadFile(dir.File("out.csv")), '\n'), decoded + 1);
        if (beacons == 12) EXPECT_EQ(decoded, 12u);
    }
}

TEST_F(LiveCliTest, KilledMidBurstLeavesARecordingThatImports) {
    const std::string port = ServePass(300, "--rate 0 --loop");
    EXPECT_EQ(Client("--connect 127.0.0.1:" + port + " --for 60",
                     "timeout --preserve-status -s KILL 0.7 "),
              128 + SIGKILL);
    // The arrival being written when killed may follow, whole or cut.
    ExpectArrivalsRecorded(false);
    const std::string out = dir.File("print.txt");
    EXPECT_EQ(testing::Shell(KELVANOR_CLI_PATH " --locale C --print " + DayFile() + ">" + out), 0);
    EXPECT_EQ(testing::ReadFile(out).substr(0, 16), "0;Beacon Packet;");
}

TEST_F(LiveCliTest, RefusedExits1AndSilentServerEndsAfterTheTimeWith0) {
    const std::string gone = SilentListener().port;  // just in use, nobody listens there now
    EXPECT_EQ(Client("--connect 127.0.0.1:" + gone + " --for 5"), 1);
    SilentListener silent;
    EXPECT_EQ(Client("--connect 127.0.0.1:" + silent.port + " --for 1"), 0);
    EXPECT_EQ(Said(), "");
    EXPECT_EQ(std::ranges::count(testing::ReadFile(dir.File("out.csv")), '\n'), 1);  // heading
    EXPECT_EQ(DayFile(), "");  // no recording from either
}

}  // namespace
}  // namespace kelvanor
