// kelvanor-kiss-server feeding kelvanor-cli --connect on 127.0.0.1: what the
// server wrote must come out of the day's recording byte for byte, decoded
// where an arrival held one beacon, even when the client is killed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "acquire/kiss_framing.h"
#include "sample_pass.h"
#include "support/recording_chunks.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// A started program; killed and reaped when still running at the end.
class Process {
public:
    // Starts `argv`; stdout goes to a pipe when `stdoutPath` is empty, else
    // to that file. stderr goes to /dev/null.
    Process(const std::vector<std::string>& argv, const std::string& stdoutPath = "") {
        int fds[2] = {-1, -1};
        if (stdoutPath.empty() && pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            const int out = stdoutPath.empty() ? fds[1] : open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, STDOUT_FILENO);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        if (stdoutPath.empty()) {
            close(fds[1]);
            m_out = fds[0];
        }
    }
    ~Process() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            Wait();
        }
        if (m_out >= 0) close(m_out);
    }

    // One line of the piped stdout, without its line break.
    std::string ReadLine() {
        std::string line;
        char c;
        while (read(m_out, &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }

    // The exit status, or -1 when ended by a signal.
    int Wait() {
        int raw = 0;
        waitpid(m_pid, &raw, 0);
        m_reaped = true;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    void Signal(int signal) { kill(m_pid, signal); }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    bool m_reaped = false;
};

// The replay server on a port the system chooses, serving `recording`.
class Server {
public:
    Server(const std::string& recording, const std::vector<std::string>& options)
        : m_process(Arguments(recording, options)) {
        const std::string line = m_process.ReadLine();
        const std::size_t colon = line.rfind(':');
        if (line.rfind("listening on ", 0) == 0 && colon != std::string::npos) {
            port = line.substr(colon + 1);
        }
    }
    std::string port;

private:
    static std::vector<std::string> Arguments(const std::string& recording,
                                              const std::vector<std::string>& options) {
        std::vector<std::string> a{KELVANOR_KISS_SERVER_PATH, "--port", "0"};
        a.insert(a.end(), options.begin(), options.end());
        a.push_back(recording);
        return a;
    }
    Process m_process;
};

// One line the client printed per arrival: "<RX time> UTC <n> bytes <what>".
struct ArrivalLine {
    std::size_t bytes = 0;
    std::string what;
};

std::vector<ArrivalLine> ArrivalLines(const std::string& out) {
    std::vector<ArrivalLine> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t utc = line.find(" UTC ");
        if (utc == std::string::npos) continue;
        std::istringstream rest(line.substr(utc + 5));
        ArrivalLine a;
        std::string word;
        rest >> a.bytes >> word;
        std::getline(rest >> std::ws, a.what);
        lines.push_back(a);
    }
    return lines;
}

std::vector<std::string> RecordedChunks(const std::string& recording) {
    std::size_t rest = 0;
    std::vector<std::string> chunks = testing::RecordedChunks(recording, &rest);
    EXPECT_EQ(rest, 0u) << "unparsed bytes at the end of the recording";
    return chunks;
}

std::string OnlyFile(const std::filesystem::path& dir, const std::string& extension) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == extension) found.push_back(entry.path().string());
    }
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? "" : found.front();
}

std::size_t CountLines(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

class LiveCliTest : public ::testing::Test {
protected:
    // Writes a recording of a pass with `beacons` beacons to serve and
    // returns everything the server will send, in order.
    std::string Serve(int beacons) {
        recording = source.File("pass.kss");
        testing::WriteFile(recording, samples::SimulatedRecording(beacons));
        std::string served;
        for (const samples::Chunk& c : samples::SimulatedPass(beacons)) {
            served += c.bytes;
            beaconChunks.push_back(c.beacon ? c.bytes : std::string());
        }
        return served;
    }

    std::vector<std::string> Client(const std::string& port, const std::string& seconds) {
        return {KELVANOR_CLI_PATH, "--connect", "127.0.0.1:" + port, "--for", seconds,
                "--record-dir", received.path().string(), "--csv", received.File("out.csv")};
    }

    // Checks that the recorded chunks are the served stream cut at the
    // arrivals the client reported (short ones left out), and that every
    // arrival holding exactly one beacon was decoded. Returns the number of
    // "beacon #" arrivals.
    int ExpectEveryArrivalRecorded(const std::string& served, const std::vector<ArrivalLine>& lines,
                                   bool wholeStream) {
        const std::vector<std::string> chunks =
            RecordedChunks(testing::ReadFile(OnlyFile(received.path(), ".kss")));
        std::size_t offset = 0, chunk = 0;
        int beacons = 0;
        for (const ArrivalLine& line : lines) {
            if (line.what == "short") {
                offset += line.bytes;
                continue;
            }
            EXPECT_EQ(line.what.find("not recorded"), std::string::npos) << line.what;
            if (chunk >= chunks.size()) {
                ADD_FAILURE() << "arrival " << chunk << " missing from the recording";
                return beacons;
            }
            const std::string& bytes = chunks[chunk++];
            EXPECT_EQ(bytes.size(), line.bytes);
            EXPECT_EQ(bytes, served.substr(offset, bytes.size())) << "arrival " << chunk;
            offset += bytes.size();
            const bool oneBeacon =
                std::find(beaconChunks.begin(), beaconChunks.end(), bytes) != beaconChunks.end();
            if (oneBeacon) EXPECT_EQ(line.what.rfind("beacon #", 0), 0u) << line.what;
            beacons += line.what.rfind("beacon #", 0) == 0;
        }
        EXPECT_EQ(chunk, chunks.size());
        if (wholeStream) EXPECT_EQ(offset, served.size());
        return beacons;
    }

    testing::TempDir source, received;
    std::string recording;
    std::vector<std::string> beaconChunks;
};

TEST_F(LiveCliTest, PacedBeaconsAreEachDecodedRecordedAndExported) {
    const std::string served = Serve(12);
    Server server(recording, {"--rate", "40"});
    ASSERT_FALSE(server.port.empty());

    Process client(Client(server.port, "30"), received.File("stdout.txt"));
    EXPECT_EQ(client.Wait(), 1);  // the server closes after the last frame

    const std::vector<ArrivalLine> lines = ArrivalLines(testing::ReadFile(received.File("stdout.txt")));
    EXPECT_EQ(ExpectEveryArrivalRecorded(served, lines, true), 12);
    EXPECT_EQ(OnlyFile(received.path(), ".kss").substr(received.path().string().size() + 1 + 10),
              "_kelvanor.kss");
    EXPECT_EQ(CountLines(testing::ReadFile(received.File("out.csv"))), 13u);  // heading + 12
}

TEST_F(LiveCliTest, TwoThousandFramesAsFastAsTheClientReadsLoseNothing) {
    const std::string served = Serve(1990);
    ASSERT_GE(std::count(beaconChunks.begin(), beaconChunks.end(), std::string()) + 1990, 2000);
    Server server(recording, {"--rate", "0"});
    ASSERT_FALSE(server.port.empty());

    Process client(Client(server.port, "60"), received.File("stdout.txt"));
    EXPECT_EQ(client.Wait(), 1);

    const std::vector<ArrivalLine> lines = ArrivalLines(testing::ReadFile(received.File("stdout.txt")));
    ASSERT_FALSE(lines.empty());
    const int decoded = ExpectEveryArrivalRecorded(served, lines, true);
    EXPECT_EQ(CountLines(testing::ReadFile(received.File("out.csv"))),
              static_cast<std::size_t>(decoded) + 1);
}

TEST_F(LiveCliTest, KilledMidBurstLeavesARecordingThatImports) {
    const std::string served = Serve(300);
    Server server(recording, {"--rate", "0", "--loop"});
    ASSERT_FALSE(server.port.empty());

    Process client(Client(server.port, "60"), received.File("stdout.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    client.Signal(SIGKILL);
    EXPECT_EQ(client.Wait(), -1);

    // Every arrival the client reported is in the recording, in order; the
    // one it was writing when killed may follow, whole or cut.
    const std::string path = OnlyFile(received.path(), ".kss");
    const std::string contents = testing::ReadFile(path);
    const std::vector<ArrivalLine> lines = ArrivalLines(testing::ReadFile(received.File("stdout.txt")));
    ASSERT_FALSE(lines.empty());
    std::string looped = served;
    std::size_t offset = 0, at = 0;
    for (const ArrivalLine& line : lines) {
        if (line.what == "short") {
            offset += line.bytes;
            continue;
        }
        ASSERT_TRUE(testing::IsTimestampRecordAt(contents, at));
        while (looped.size() < offset + line.bytes) looped += served;
        ASSERT_EQ(contents.compare(at + 30, line.bytes, looped, offset, line.bytes), 0);
        at += 30 + line.bytes;
        offset += line.bytes;
    }

    FILE* pipe = popen((std::string(KELVANOR_CLI_PATH) + " --locale C --print " + path + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buf[4096];
    std::string out;
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    EXPECT_EQ(out.substr(0, 16), "0;Beacon Packet;");
}

// A listening socket on 127.0.0.1 that never accepts; the system completes
// connections to it all the same, and nothing is ever sent.
struct SilentListener {
    SilentListener() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd, 4);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = std::to_string(ntohs(a.sin_port));
    }
    ~SilentListener() { close(fd); }
    int fd;
    std::string port;
};

TEST_F(LiveCliTest, RefusedConnectionExits1WithoutARecording) {
    std::string port;
    {
        SilentListener gone;  // a port that was just in use and nobody listens on now
        port = gone.port;
    }
    Process client(Client(port, "5"), received.File("stdout.txt"));
    EXPECT_EQ(client.Wait(), 1);
    EXPECT_EQ(testing::ReadFile(received.File("stdout.txt")), "");
    for (const auto& entry : std::filesystem::directory_iterator(received.path())) {
        EXPECT_NE(entry.path().extension(), ".kss");
    }
}

TEST_F(LiveCliTest, SilentServerEndsAfterTheTimeWithStatus0) {
    SilentListener silent;
    Process client(Client(silent.port, "1"), received.File("stdout.txt"));
    EXPECT_EQ(client.Wait(), 0);
    EXPECT_EQ(testing::ReadFile(received.File("stdout.txt")), "");
    EXPECT_EQ(CountLines(testing::ReadFile(received.File("out.csv"))), 1u);  // the heading only
}

TEST_F(LiveCliTest, StopSignalEndsWithStatus0AndTheExport) {
    Serve(20);
    Server server(recording, {"--rate", "20", "--loop"});
    ASSERT_FALSE(server.port.empty());
    Process client(Client(server.port, "60"), received.File("stdout.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    client.Signal(SIGTERM);
    EXPECT_EQ(client.Wait(), 0);
    const std::vector<ArrivalLine> lines = ArrivalLines(testing::ReadFile(received.File("stdout.txt")));
    ASSERT_FALSE(lines.empty());
    EXPECT_GE(CountLines(testing::ReadFile(received.File("out.csv"))), 2u);
}

}  // namespace
}  // namespace kelvanor
