// kelvanor-cli --connect forwarding the beacons it receives to a telemetry
// database that the test starts on 127.0.0.1 (tests/support/sids_server.py,
// which checks the fields as such a server does and answers as scripted).
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <sstream>

#include "acquire/kiss_framing.h"
#include "forward/forward_queue.h"
#include "kelvanor_version.h"
#include "sample_pass.h"
#include "support/live_peers.h"

namespace kelvanor {
namespace {

// A socket on 127.0.0.1 that listens and never accepts nor sends.
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

// A port on 127.0.0.1 that nothing listens on (for now).
std::string FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return std::to_string(ntohs(a.sin_port));
}

class SidsCliTest : public testing::LivePeers {
protected:
    // (Re)starts the database on `port` with the first answers scripted.
    void StartDatabase(const std::string& answers = "") {
        const std::string out = dir.File("db.out");
        std::remove(out.c_str());
        database = std::make_unique<testing::Background>("python3 " SIDS_SERVER_PATH " --log " + dir.File("db.log") +
                                                         " --port " + port + " --answers '" + answers + "' >" + out);
        testing::Await(out, "\n");
    }
    // The replay server on a pass of `beacons` beacons, all at once, each
    // behind the time stamp it was recorded with (--kiss-stream takes them).
    std::string ServePass(int beacons) {
        testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(beacons));
        return Serve(dir.File("pass.kss"), "--rate 0 --timestamps");
    }
    std::string Options(const std::string& kiss, double seconds, bool stream = true) {
        return (stream ? "--kiss-stream" : "") + std::string(" --connect 127.0.0.1:") + kiss + " --for " + std::to_string(seconds) + " --sids http://127.0.0.1:" + port +
               "/api/telemetry/ --norad 99999 --callsign N0CALL --latitude 49.73145 --longitude -8.95564";
    }
    // The requests the database took: the answer and the fields, in order.
    std::vector<std::vector<std::string>> Requests() {
        std::vector<std::vector<std::string>> requests;
        std::istringstream lines(testing::ReadFile(dir.File("db.log")));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            requests.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
        }
        return requests;
    }
    // The timestamp and hex of every beacon of a pass, as a database reads them.
    static std::vector<std::string> Frames(int beacons) {
        std::vector<std::string> frames;
        for (const samples::Chunk& c : samples::SimulatedPass(beacons)) {
            if (!c.beacon) continue;
            std::string frame = c.rxTimestamp.substr(0, 23) + "Z ";
            frame[10] = 'T';
            AppendHex(frame, KissUnescape(c.bytes.substr(1, c.bytes.size() - 2)).substr(1));
            frames.push_back(frame);
        }
        return frames;
    }
    // The answers and the frames (as indexes into `frames`) of the requests.
    std::pair<std::vector<std::string>, std::vector<int>> Answers(const std::vector<std::string>& frames) {
        std::pair<std::vector<std::string>, std::vector<int>> seen;
        for (const auto& r : Requests()) {
            seen.first.push_back(r[0]);
            const std::string frame = r.at(3) + " " + r.at(4);
            seen.second.push_back(static_cast<int>(std::find(frames.begin(), frames.end(), frame) - frames.begin()));
        }
        return seen;
    }

    std::string port = FreePort();
    SilentListener silent;
    std::unique_ptr<testing::Background> database;
};

TEST_F(SidsCliTest, OneLiveBeaconIsOneRequestWithItsFieldsAndADryRunSendsNothing) {
    StartDatabase();
    testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(1));
    // One arrival, one frame, stamped with the clock (1: the replay server closes after the pass).
    ASSERT_EQ(Client(Options(Serve(dir.File("pass.kss"), "--rate 0"), 1, false)), 1);
    // The record's RX time, "yyyy-MM-dd HH:mm:ss.mmm UTC", as the database reads it.
    std::string rx = testing::ReadFile(dir.File("out.csv"));
    rx = rx.substr(rx.find('\n') + 1, 23);
    rx[10] = 'T';
    const std::vector<std::string> expected{"201",     "99999",    "N0CALL",    rx + "Z",        Frames(1)[0].substr(25),
                                            "longLat", "8.95564W", "49.73145N", KELVANOR_VERSION};
    EXPECT_EQ(Requests(), std::vector<std::vector<std::string>>{expected});

    ASSERT_EQ(Client(Options(Serve(dir.File("pass.kss"), "--rate 0"), 1, false) + " --sids-dry-run"), 1);
    EXPECT_NE(Said().find("SiDS dry run: POST http://127.0.0.1:" + port + "/api/telemetry/ noradID=99999&source=N0CALL"),
              std::string::npos);
    EXPECT_EQ(Requests().size(), 1u);
}

// Each frame leaves the queue on 200/201 only, in order: 5xx and a server
// that never answers are tried again, a refusal (400) is set aside.
TEST_F(SidsCliTest, AnswersOfTheDatabaseInTurn) {
    const struct {
        std::string answers, options;
        int beacons;
        std::vector<std::string> seen;
        std::vector<int> frames;
    } cases[] = {
        {"500,500", "", 1, {"500", "500", "201"}, {0, 0, 0}},
        {"400", "", 3, {"400", "201", "201"}, {0, 1, 2}},
        {"hang", " --sids-timeout 1", 1, {"hang", "201"}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers);
        port = FreePort();
        std::remove(dir.File("db.log").c_str());
        StartDatabase(c.answers);
        ASSERT_EQ(Client(Options(ServePass(c.beacons), 1) + c.options), 1);
        EXPECT_EQ(Answers(Frames(c.beacons)), std::make_pair(c.seen, c.frames));
    }
    // The refused frame is kept with the server's text.
    EXPECT_EQ(testing::Shell("grep -q ' UTC 400 refused | noradID=99999&' " + dir.File("rec/sids-*.refused")), 0);
}

TEST_F(SidsCliTest, AKilledClientSendsWhatItQueuedOnceAndAnAcceptedFrameAtMostOnceMore) {
    std::filesystem::create_directory(dir.File("rec"));
    const std::string queue = QueueStem(dir.File("rec"), "http://127.0.0.1:" + port + "/api/telemetry/") + ".queue";
    const auto killedAfter = [&](const std::string& kiss, const std::string& file, const std::string& needle) {
        testing::Background client(KELVANOR_CLI_PATH " --record-dir " + dir.File("rec") + " " + Options(kiss, 60) + " >" +
                                   dir.File("client.txt"));
        testing::Await(file, needle);
        kill(client.pid, SIGKILL);
    };
    // The database is down: the beacon is queued, then the client killed.
    killedAfter(ServePass(1), queue, "noradID=");
    // The next run sends it and is killed while the database takes its time to answer.
    StartDatabase("slow");
    killedAfter(silent.port, dir.File("db.log"), "slow");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(Client(Options(silent.port, 1)), 0);
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(Answers(Frames(1)), std::make_pair(std::vector<std::string>{"slow", "201"}, std::vector{0, 0}));
    EXPECT_EQ(requests[0][3], requests[1][3]);  // the same reception, once more and no more
}

TEST_F(SidsCliTest, ABurstOf200WhileTheDatabaseIsDownArrivesWholeInOrder) {
    auto client = ClientAsync(Options(ServePass(200), 6));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    StartDatabase();
    ASSERT_EQ(client.get(), 1);
    std::vector<int> order(200);
    std::iota(order.begin(), order.end(), 0);
    EXPECT_EQ(Answers(Frames(200)), std::make_pair(std::vector<std::string>(200, "201"), order));
}

}  // namespace
}  // namespace kelvanor
