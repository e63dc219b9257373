// kelvanor-cli's station link against real peers: the replay server on
// 127.0.0.1 in stream mode and killed mid-burst, a socat pseudo-terminal
// pair as a serial TNC, Direwolf's KISS pseudo-terminal fed with audio, and
// the recorder as systemd runs it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "sample_pass.h"
#include "support/plausible_beacon.h"
#include "support/recording_chunks.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A started program, killed and reaped when still running at the end.
// stdout goes to `outPath` (or /dev/null), stderr to /dev/null; with
// `pipeIn` its stdin is a pipe written through In().
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& outPath = "/dev/null", bool pipeIn = false,
            const std::vector<std::string>& env = {}) {
        int fds[2] = {-1, -1};
        if (pipeIn && pipe2(fds, O_CLOEXEC) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            if (pipeIn) dup2(fds[0], STDIN_FILENO);
            dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
            dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
            for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        if (pipeIn) {
            close(fds[0]);
            m_in = fds[1];
        }
    }
    ~Process() {
        CloseIn();
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            Wait();
        }
    }
    void In(const std::string& bytes) { EXPECT_EQ(write(m_in, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    void CloseIn() {
        if (m_in >= 0) close(m_in);
        m_in = -1;
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
    int m_in = -1;
    bool m_reaped = false;
};

// Waits up to 10 s until the file at `path` holds `needle`; returns its text.
std::string AwaitText(const std::string& path, const std::string& needle) {
    std::string text;
    for (int i = 0; i < 200 && (text = testing::ReadFile(path)).find(needle) == std::string::npos; ++i) {
        std::this_thread::sleep_for(50ms);
    }
    return text;
}

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The recording in `dir` (one day's file).
std::string Recording(const fs::path& dir) {
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() == ".kss") return e.path().string();
    }
    ADD_FAILURE() << "no recording in " << dir;
    return "";
}

// What an import of the recording at `path` exports as CSV.
std::string CsvOf(const std::string& path) {
    const std::string csv = path + ".csv";
    Process({KELVANOR_CLI_PATH, "--locale", "C", "--csv", csv, path}).Wait();
    return testing::ReadFile(csv);
}

// A recording without the recorder's own timestamp records: the bytes received.
std::string Received(const std::string& recording) {
    std::string bytes;
    for (const std::string& chunk : testing::RecordedChunks(recording)) bytes += chunk;
    return bytes;
}

class StationLink : public ::testing::Test {
protected:
    // The replay server serving `recording`; returns its port.
    std::string StartServer(const std::string& recording, std::vector<std::string> options,
                            const std::string& port = "0") {
        const std::string out = dir.File("server" + std::to_string(servers.size()) + ".txt");
        std::vector<std::string> argv{KELVANOR_KISS_SERVER_PATH, "--port", port};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(recording);
        servers.push_back(std::make_unique<Process>(argv, out));
        const std::string line = AwaitText(out, "\n");
        return line.substr(line.rfind(':') + 1, line.find('\n') - line.rfind(':') - 1);
    }
    // kelvanor-cli's live reception with `options`, recording into rec/.
    std::unique_ptr<Process> Client(std::vector<std::string> options, const std::vector<std::string>& env = {}) {
        fs::create_directory(dir.File("rec"));
        std::vector<std::string> argv{KELVANOR_CLI_PATH, "--locale", "C", "--record-dir", dir.File("rec"),
                                      "--csv", dir.File("out.csv")};
        argv.insert(argv.end(), options.begin(), options.end());
        return std::make_unique<Process>(argv, dir.File("client.txt"), false, env);
    }
    std::string Pass(const std::string& name, int first, int count) {
        std::string bytes;
        const auto pass = samples::SimulatedPass(first + count);
        for (int i = first; i < first + count; ++i) bytes += RecordingEntry(pass[i].rxTimestamp, pass[i].bytes);
        testing::WriteFile(dir.File(name), bytes);
        return dir.File(name);
    }

    testing::TempDir dir;
    std::vector<std::unique_ptr<Process>> servers;
};

TEST_F(StationLink, StreamModeGivesTheServedRecordsWhateverTheWrites) {
    const std::string source = Pass("pass.kss", 0, 40);
    const std::string expected = CsvOf(source);
    for (const std::vector<std::string>& writes :
         {std::vector<std::string>{"--write-size", "1"}, {"--write-size", "4096"}, {"--burst"}}) {
        SCOPED_TRACE(writes.front());
        fs::remove_all(dir.File("rec"));
        std::vector<std::string> options{"--rate", "0", "--timestamps"};
        options.insert(options.end(), writes.begin(), writes.end());
        const std::string port = StartServer(source, options);
        EXPECT_EQ(Client({"--connect", "127.0.0.1:" + port, "--kiss-stream", "--for", "20"})->Wait(), 1);
        EXPECT_EQ(testing::ReadFile(dir.File("out.csv")), expected);  // the stream's times, not the clock's
        EXPECT_EQ(CsvOf(Recording(dir.File("rec"))), expected);
    }
}

TEST_F(StationLink, ServerKilledMidBurstAndRestartedEveryLaterFrameRecordedOnce) {
    const std::string port = StartServer(Pass("first.kss", 0, 60), {"--rate", "100", "--loop", "--timestamps"});
    auto client = Client({"--connect", "127.0.0.1:" + port, "--kiss-stream", "--reconnect", "--for", "7"});
    AwaitText(dir.File("client.txt"), "beacon");
    std::this_thread::sleep_for(300ms);
    servers.front()->Signal(SIGKILL);
    // The new server's pass outlasts the client: what it sent is a prefix.
    const std::string second = Pass("second.kss", 60, 100);
    StartServer(second, {"--rate", "10", "--timestamps"}, port);
    EXPECT_EQ(client->Wait(), 0);

    const std::string log = testing::ReadFile(dir.File("client.txt"));
    EXPECT_NE(log.find("state Closed; next try in 1 s"), std::string::npos) << log;
    std::istringstream sent(CsvOf(second)), got(testing::ReadFile(dir.File("out.csv")));
    std::vector<std::string> received;
    for (std::string line; std::getline(got, line);) received.push_back(line);
    std::string line;
    std::getline(sent, line);  // heading
    int frames = 0, missing = 0;
    for (; std::getline(sent, line); ++frames) {
        const auto n = std::count(received.begin(), received.end(), line);
        EXPECT_LE(n, 1) << line;
        if (n == 0) ++missing;
        else EXPECT_EQ(missing, 0) << "a gap before " << line;
    }
    EXPECT_GT(frames - missing, 20);
}

TEST_F(StationLink, SerialTncOnASocatPairWithEscapesSplitFramesAndAVanishingDevice) {
    if (!Installed("socat")) GTEST_SKIP() << "socat is not installed";
    const std::string a = dir.File("a"), b = dir.File("b");
    Process socat({"socat", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
    for (int i = 0; i < 100 && !(fs::exists(a) && fs::exists(b)); ++i) std::this_thread::sleep_for(50ms);
    auto client = Client({"--serial", b + ":115200", "--kiss-stream", "--for", "20"});
    AwaitText(dir.File("client.txt"), "state Connected");

    // Packet counter 0x00DBC0C0 puts FEND and FESC into the frame.
    const std::string one = KissFrame(testing::PlausibleBeacon(0x00DBC0C0).Frame());
    const std::string two = KissFrame(testing::PlausibleBeacon(9).Frame());
    const std::vector<std::string> writes = {one.substr(0, 50), one.substr(50) + two.substr(0, 7),
                                             two.substr(7) + one.substr(0, 120)};
    const int tnc = open(a.c_str(), O_WRONLY | O_NOCTTY);
    ASSERT_GE(tnc, 0);
    for (const std::string& w : writes) {
        ASSERT_EQ(write(tnc, w.data(), w.size()), ssize_t(w.size()));
        std::this_thread::sleep_for(200ms);
    }
    close(tnc);
    socat.Signal(SIGTERM);  // the device goes away in the middle of a frame

    EXPECT_EQ(client->Wait(), 1);
    EXPECT_NE(testing::ReadFile(dir.File("client.txt")).find("state Error"), std::string::npos);
    std::string all;
    for (const std::string& w : writes) all += w;
    EXPECT_EQ(Received(testing::ReadFile(Recording(dir.File("rec")))), all);
    const std::string csv = testing::ReadFile(dir.File("out.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // heading and the two whole beacons
}

TEST_F(StationLink, DirewolfKissPseudoTerminalFedWithAudio) {
    if (!Installed("direwolf") || !Installed("gen_packets")) GTEST_SKIP() << "direwolf is not installed";
    testing::WriteFile(dir.File("frames.txt"), "N0CALL>KELVAN:hello<0xc0><0xdb> world\nN0CALL>KELVAN:second\n");
    ASSERT_EQ(Process({"gen_packets", "-r", "48000", "-o", dir.File("audio.wav"), dir.File("frames.txt")}).Wait(), 0);
    // Audio from standard input, no sound card, no network ports.
    testing::WriteFile(dir.File("direwolf.conf"),
                       "ADEVICE stdin null\nARATE 48000\nCHANNEL 0\nMYCALL N0CALL\nMODEM 1200\nAGWPORT 0\nKISSPORT 0\n");
    Process direwolf({"direwolf", "-c", dir.File("direwolf.conf"), "-p", "-t", "0", "-r", "48000", "-b", "16", "-"},
                     dir.File("direwolf.txt"), true);
    const std::string said = AwaitText(dir.File("direwolf.txt"), "Virtual KISS TNC is available on ");
    const std::size_t at = said.find("/dev/pts/");
    ASSERT_NE(at, std::string::npos) << said;
    auto client = Client({"--serial", said.substr(at, said.find_first_of(" \r\n", at) - at), "--kiss-stream",
                          "--for", "20"});
    AwaitText(dir.File("client.txt"), "state Connected");
    direwolf.In(testing::ReadFile(dir.File("audio.wav")).substr(44) + std::string(96000, '\0'));
    direwolf.CloseIn();  // Direwolf ends at the end of its audio, and its terminal with it

    EXPECT_EQ(client->Wait(), 1);
    const std::string received = Received(testing::ReadFile(Recording(dir.File("rec"))));
    EXPECT_NE(received.find("hello\xDB\xDC\xDB\xDD world"), std::string::npos);  // escaped by the TNC
    EXPECT_NE(received.find("second"), std::string::npos);
    EXPECT_EQ(std::count(received.begin(), received.end(), kFend), 4);
}

TEST_F(StationLink, RecorderServiceNotifiesAndStopsWholeOnSigterm) {
    const std::string port = StartServer(Pass("pass.kss", 0, 30), {"--rate", "40", "--loop", "--timestamps"});
    testing::WriteFile(dir.File("recorder.conf"), "TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + port +
                                                      "\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n");
    const int notify = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.File("notify");
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    auto recorder = Client({"--config", dir.File("recorder.conf")},
                           {"NOTIFY_SOCKET=" + socketPath, "WATCHDOG_USEC=400000"});
    AwaitText(dir.File("client.txt"), "beacon");
    std::this_thread::sleep_for(600ms);
    recorder->Signal(SIGTERM);
    EXPECT_EQ(recorder->Wait(), 0);

    std::string messages;
    char buffer[512];
    for (ssize_t n; (n = recv(notify, buffer, sizeof buffer, 0)) > 0;) messages.append(buffer, n).push_back('\n');
    close(notify);
#ifdef KELVANOR_HAVE_SYSTEMD
    for (const char* m : {"READY=1\n", "WATCHDOG=1\n", "STATUS=Connected\n", "STOPPING=1\n"}) {
        EXPECT_NE(messages.find(m), std::string::npos) << m << " not in\n" << messages;
    }
#endif
    // Every record received is in the recording, which ends whole.
    EXPECT_EQ(CsvOf(Recording(dir.File("rec"))), testing::ReadFile(dir.File("out.csv")));
    EXPECT_NE(testing::ReadFile(dir.File("client.txt")).find("state Closed\n"), std::string::npos);
}

TEST(RecorderUnit, SystemdAnalyzeVerifyAcceptsIt) {
    if (!Installed("systemd-analyze")) GTEST_SKIP() << "systemd-analyze is not installed";
    // The packaged unit, run on the program of this build.
    std::string unit = testing::ReadFile(KELVANOR_RECORDER_UNIT);
    const std::string packaged = "/usr/bin/kelvanor-cli";
    ASSERT_NE(unit.find(packaged), std::string::npos);
    unit.replace(unit.find(packaged), packaged.size(), KELVANOR_CLI_PATH);
    testing::TempDir dir;
    testing::WriteFile(dir.File("kelvanor-recorder.service"), unit);
    // Its manual page is not installed here.
    const std::string command =
        "systemd-analyze verify --man=no " + dir.File("kelvanor-recorder.service") + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    std::string said;
    for (int c; (c = std::fgetc(p)) != EOF;) said.push_back(static_cast<char>(c));
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(said, "");  // a key it does not know is only a warning
}

}  // namespace
}  // namespace kelvanor
