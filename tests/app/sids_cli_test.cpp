// kelvanor-cli --connect forwarding the beacons it receives to a telemetry
// database that the test starts on 127.0.0.1 (tests/support/sids_server.py,
// which checks the fields as such a server does and answers as scripted).
#include <algorithm>
#include <sstream>

#include "acquire/kiss_framing.h"
#include "forward/forward_queue.h"
#include "sample_pass.h"
#include "support/live_peers.h"

namespace kelvanor {
namespace {

class SidsCliTest : public testing::LivePeers {
protected:
    // (Re)starts the database on its port (any free one at first).
    void StartDatabase(const std::string& options = "") {
        database.reset();
        const std::string out = dir.File("db" + std::to_string(starts++));
        database = std::make_unique<testing::Background>("python3 " SIDS_SERVER_PATH " --log " +
                                                         dir.File("db.log") + " --port " + port +
                                                         " " + options + " >" + out);
        port = testing::AwaitPort(out);
    }
    // The replay server on a pass of `beacons` beacons, all at once, each
    // behind the time stamp it was recorded with (--kiss-stream takes them).
    std::string ServePass(int beacons) {
        testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(beacons));
        return Serve(dir.File("pass.kss"), "--rate 0 --timestamps");
    }
    std::string Options(const std::string& kiss) {
        return "--kiss-stream --for 1 --connect 127.0.0.1:" + kiss +
               " --sids http://127.0.0.1:" + port +
               "/api/ --norad 99999 --callsign N0CALL --latitude 49.73 --longitude -8.95";
    }
    // Each request the database took, in order, as its answer and the number
    // of the pass's beacon whose timestamp and frame it carries (the pass's
    // length for none).
    std::vector<std::string> Answers(int beacons) {
        std::vector<std::string> frames, seen;
        for (const samples::Chunk& c : samples::SimulatedPass(beacons)) {
            std::string frame = c.rxTimestamp.substr(0, 23) + "Z ";
            frame[10] = 'T';
            AppendHex(frame, KissUnescape(c.bytes.substr(1, c.bytes.size() - 2)).substr(1));
            if (c.beacon) frames.push_back(frame);
        }
        std::istringstream log(testing::ReadFile(dir.File("db.log")));
        for (std::string answer, norad, call, time, frame;
             log >> answer >> norad >> call >> time >> frame; log.ignore(1 << 16, '\n')) {
            const auto at = std::ranges::find(frames, time + " " + frame) - frames.begin();
            seen.push_back(answer + " " + std::to_string(at));
        }
        return seen;
    }

    std::string port = "0";
    int starts = 0;
    std::unique_ptr<testing::Background> database;
};

// One live beacon is one request, a dry run prints it and sends nothing; a
// frame leaves the queue on 201 only, in order: 5xx is tried again, a refusal
// (400) is set aside with the server's text, and a burst of 200 while the
// network is down arrives whole, in order, when it comes back.
TEST_F(SidsCliTest, AnswersOfTheDatabaseInTurn) {
    std::vector<std::string> all;
    for (int i = 0; i < 200; ++i) all.push_back("201 " + std::to_string(i));
    // database's options, client's, beacons in the pass, answers
    const std::tuple<std::string, std::string, int, std::vector<std::string>> cases[] = {
        {"", "", 1, {"201 0"}},  // (every field as a database reads it: the window's test)
        {"--answers 500,500", "", 1, {"500 0", "500 0", "201 0"}},
        {"--answers 400", "", 3, {"400 0", "201 1", "201 2"}},
        {"--down 2.5", "", 200, all},
        {"", " --sids-dry-run", 1, {}},
    };
    for (const auto& [answers, dry, beacons, seen] : cases) {
        SCOPED_TRACE(answers + dry);
        std::remove(dir.File("db.log").c_str());
        StartDatabase(answers);
        ASSERT_EQ(Client(Options(ServePass(beacons)) + dry), 1);  // 1: the pass ended
        EXPECT_EQ(Answers(beacons), seen);
    }
    const std::string request =
        "SiDS dry run: POST http://127.0.0.1:" + port + "/api/ noradID=99999&";
    EXPECT_NE(Said().find(request), std::string::npos);
    const std::string refused = dir.File("rec/sids-*.refused");  // with the server's text
    EXPECT_EQ(testing::Shell("grep -q ' UTC 400 refused | noradID=99999&' " + refused), 0);
}

TEST_F(SidsCliTest, AKilledClientSendsWhatItQueuedOnceAndAnAcceptedFrameAtMostOnceMore) {
    StartDatabase();
    database.reset();  // down
    const std::string queue =
        QueueStem(dir.File("rec"), "http://127.0.0.1:" + port + "/api/") + ".queue";
    const auto killedAfter = [&](const std::string& kiss, const std::string& file,
                                 const std::string& needle) {
        std::filesystem::create_directory(dir.File("rec"));
        testing::Background client(KELVANOR_CLI_PATH " --record-dir " + dir.File("rec") + " " +
                                   Options(kiss) + " >" + dir.File("client.txt"));
        testing::Await(file, needle);
        kill(client.pid, SIGKILL);
    };
    killedAfter(ServePass(1), queue, "noradID=");                            // queued, not sent
    testing::WriteFile(queue, testing::ReadFile(queue) + "noradID=5&vers");  // and a line cut short
    StartDatabase("--answers slow");
    // Now on a peer that sends nothing (the database's port).
    killedAfter(port, dir.File("db.log"), "slow");  // sent, killed before the answer came
    ASSERT_EQ(Client(Options(port)), 0);
    EXPECT_EQ(Answers(1), (std::vector<std::string>{"slow 0", "201 0"}));  // once more, no more
}

}  // namespace
}  // namespace kelvanor
