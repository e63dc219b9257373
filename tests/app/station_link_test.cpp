// kelvanor-cli's station link against real peers: the replay server on
// 127.0.0.1 in stream mode and killed mid-burst, a socat pseudo-terminal
// pair as a serial TNC, Direwolf's KISS pseudo-terminal fed with audio, and
// the recorder as systemd runs it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

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

int Shell(const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); }
bool Installed(const std::string& program) {
    return Shell("command -v " + program + " >/dev/null") == 0;
}

// A program started in the background, its output sent where `command`
// says; killed when still running at the end.
struct Background {
    explicit Background(const std::string& command) {
        FILE* p = popen((command + " 2>/dev/null & echo $!").c_str(), "r");
        if (std::fscanf(p, "%d", &pid) != 1) pid = -1;
        pclose(p);
    }
    ~Background() {
        if (pid > 0) kill(pid, SIGKILL);
    }
    int pid = -1;
};

// Waits up to 10 s until the file at `path` holds `needle`; returns its text.
std::string Await(const std::string& path, const std::string& needle) {
    std::string text;
    for (int i = 0; i < 200 && (text = testing::ReadFile(path)).find(needle) == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(50ms);
    }
    return text;
}

class StationLink : public ::testing::Test {
protected:
    // The replay server on 127.0.0.1 serving `recording`; returns its port.
    std::string Serve(const std::string& recording, const std::string& options,
                      const std::string& port = "0") {
        const std::string out = dir.File("server" + std::to_string(servers.size()));
        servers.push_back(std::make_unique<Background>(KELVANOR_KISS_SERVER_PATH " --port " + port +
                                                       " " + options + " " + recording + " >" +
                                                       out));
        const std::string line = Await(out, "\n");
        return line.substr(line.rfind(':') + 1, line.find('\n') - line.rfind(':') - 1);
    }
    // kelvanor-cli's live reception, recording into rec/, exporting out.csv,
    // its lines in client.txt; returns its exit status.
    int Client(const std::string& options, const std::string& prefix = "") {
        fs::create_directory(dir.File("rec"));
        return Shell(prefix + KELVANOR_CLI_PATH " --locale C --record-dir " + dir.File("rec") +
                     " --csv " + dir.File("out.csv") + " " + options + " >" +
                     dir.File("client.txt") + " 2>/dev/null");
    }
    // Beacons first..first+count-1 of the simulated pass as a recording.
    std::string Pass(const std::string& name, int first, int count) {
        std::string bytes;
        const auto pass = samples::SimulatedPass(first + count);
        for (int i = first; i < first + count; ++i)
            bytes += RecordingEntry(pass[i].rxTimestamp, pass[i].bytes);
        testing::WriteFile(dir.File(name), bytes);
        return dir.File(name);
    }
    // What an import of `path` exports as CSV.
    std::string CsvOf(const std::string& path) {
        Shell(KELVANOR_CLI_PATH " --locale C --csv " + path + ".csv " + path);
        return testing::ReadFile(path + ".csv");
    }
    std::string RecordingPath() {
        for (const auto& e : fs::directory_iterator(dir.File("rec"))) return e.path().string();
        return "";
    }
    // The bytes received: the recording without the recorder's own records.
    std::string Received() {
        std::string bytes;
        for (const std::string& chunk : testing::RecordedChunks(testing::ReadFile(RecordingPath())))
            bytes += chunk;
        return bytes;
    }

    testing::TempDir dir;
    std::vector<std::unique_ptr<Background>> servers;
};

TEST_F(StationLink, StreamModeGivesTheServedRecordsWhateverTheWrites) {
    const std::string source = Pass("pass.kss", 0, 40);
    const std::string expected = CsvOf(source);
    for (const char* writes : {"--write-size 1", "--write-size 4096", "--burst"}) {
        SCOPED_TRACE(writes);
        fs::remove_all(dir.File("rec"));
        const std::string port = Serve(source, std::string("--rate 0 --timestamps ") + writes);
        EXPECT_EQ(Client("--connect 127.0.0.1:" + port + " --kiss-stream --for 20"),
                  1);  // the server closed
        EXPECT_EQ(testing::ReadFile(dir.File("out.csv")),
                  expected);  // the stream's times, not the clock's
        EXPECT_EQ(CsvOf(RecordingPath()), expected);
    }
}

TEST_F(StationLink, ServerKilledMidBurstAndRestartedEveryLaterFrameRecordedOnce) {
    const std::string port = Serve(Pass("first.kss", 0, 60), "--rate 100 --loop --timestamps");
    auto client = std::async(std::launch::async, [&] {
        return Client("--connect 127.0.0.1:" + port + " --kiss-stream --reconnect --for 7");
    });
    Await(dir.File("client.txt"), "beacon");
    std::this_thread::sleep_for(300ms);
    kill(servers.front()->pid, SIGKILL);
    // The new server's pass outlasts the client: what it sent is a prefix.
    const std::string second = Pass("second.kss", 60, 100);
    Serve(second, "--rate 10 --timestamps", port);
    EXPECT_EQ(client.get(), 0);

    EXPECT_NE(testing::ReadFile(dir.File("client.txt")).find("state Closed; next try in 1 s"),
              std::string::npos);
    const std::string got = testing::ReadFile(dir.File("out.csv"));
    std::istringstream sent(CsvOf(second));
    std::string line;
    std::getline(sent, line);  // heading
    int recorded = 0, missing = 0;
    while (std::getline(sent, line)) {
        const std::size_t at = got.find(line + "\n");
        if (at == std::string::npos) {
            ++missing;
            continue;
        }
        EXPECT_EQ(got.find(line + "\n", at + 1), std::string::npos) << "twice: " << line;
        EXPECT_EQ(missing, 0) << "a gap before " << line;
        ++recorded;
    }
    EXPECT_GT(recorded, 20);
}

TEST_F(StationLink, SerialTncOnASocatPairWithEscapesSplitFramesAndAVanishingDevice) {
    if (!Installed("socat")) GTEST_SKIP() << "socat is not installed";
    const std::string a = dir.File("a"), b = dir.File("b");
    Background socat("socat pty,raw,echo=0,link=" + a + " pty,raw,echo=0,link=" + b +
                     " >/dev/null");
    for (int i = 0; i < 100 && !fs::exists(b); ++i) std::this_thread::sleep_for(50ms);
    auto client = std::async(std::launch::async, [&] {
        return Client("--serial " + b + ":115200 --kiss-stream --for 20");
    });
    Await(dir.File("client.txt"), "state Connected");

    // Packet counter 0x00DBC0C0 puts FEND and FESC into the frame.
    const std::string one = KissFrame(testing::PlausibleBeacon(0x00DBC0C0).Frame());
    const std::string two = KissFrame(testing::PlausibleBeacon(9).Frame());
    const std::string all = one + two + one.substr(0, 120);
    const int tnc = open(a.c_str(), O_WRONLY | O_NOCTTY);
    for (std::size_t at = 0; at < all.size(); at += 150) {
        ASSERT_GT(write(tnc, all.data() + at, std::min<std::size_t>(all.size() - at, 150)), 0);
        std::this_thread::sleep_for(200ms);
    }
    close(tnc);
    kill(socat.pid, SIGTERM);  // the device goes away in the middle of a frame

    EXPECT_EQ(client.get(), 1);
    EXPECT_NE(testing::ReadFile(dir.File("client.txt")).find("state Error"), std::string::npos);
    EXPECT_EQ(Received(), all);
    const std::string csv = testing::ReadFile(dir.File("out.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // heading and the two whole beacons
}

TEST_F(StationLink, DirewolfKissPseudoTerminalFedWithAudio) {
    if (!Installed("direwolf") || !Installed("gen_packets"))
        GTEST_SKIP() << "direwolf is not installed";
    testing::WriteFile(dir.File("frames.txt"),
                       "N0CALL>KELVAN:hello<0xc0><0xdb> world\nN0CALL>KELVAN:second\n");
    ASSERT_EQ(Shell("gen_packets -r 48000 -o " + dir.File("audio.wav") + " " +
                    dir.File("frames.txt") + " >/dev/null"),
              0);
    // Audio from standard input after a pause for the client, no sound card, no network ports.
    testing::WriteFile(dir.File("direwolf.conf"),
                       "ADEVICE stdin null\nARATE 48000\nCHANNEL 0\nMYCALL N0CALL\nMODEM "
                       "1200\nAGWPORT 0\nKISSPORT 0\n");
    Background direwolf("(sleep 3; tail -c +45 " + dir.File("audio.wav") +
                        "; head -c 96000 /dev/zero) | direwolf -c " + dir.File("direwolf.conf") +
                        " -p -t 0 -r 48000 -b 16 - >" + dir.File("direwolf.txt"));
    const std::string said = Await(dir.File("direwolf.txt"), "Virtual KISS TNC is available on ");
    const std::size_t at = said.find("/dev/pts/");
    ASSERT_NE(at, std::string::npos) << said;
    // Direwolf ends at the end of its audio, and its terminal with it.
    EXPECT_EQ(Client("--serial " + said.substr(at, said.find_first_of(" \r\n", at) - at) +
                     " --kiss-stream --for 20"),
              1);
    const std::string received = Received();
    EXPECT_NE(received.find("hello\xDB\xDC\xDB\xDD world"),
              std::string::npos);  // escaped by the TNC
    EXPECT_NE(received.find("second"), std::string::npos);
    EXPECT_EQ(std::count(received.begin(), received.end(), kFend), 4);
}

TEST_F(StationLink, RecorderServiceNotifiesAndStopsWholeOnSigterm) {
    const std::string port = Serve(Pass("pass.kss", 0, 30), "--rate 40 --loop --timestamps");
    testing::WriteFile(dir.File("recorder.conf"), "TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + port +
                                                      "\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n");
    // Read only at the end: few enough messages to fit its queue of ten.
    const int notify = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{AF_UNIX, {}};
    dir.File("notify").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    EXPECT_EQ(Client("--config " + dir.File("recorder.conf"),
                     "NOTIFY_SOCKET=" + dir.File("notify") +
                         " WATCHDOG_USEC=3000000 timeout --preserve-status -s TERM 2 "),
              0);
    std::string messages;
    char buffer[512];
    for (ssize_t n; (n = recv(notify, buffer, sizeof buffer, 0)) > 0;)
        messages.append(buffer, n) += '\n';
    close(notify);
#ifdef KELVANOR_HAVE_SYSTEMD
    for (const char* m : {"READY=1\n", "WATCHDOG=1\n", "STATUS=Connected\n", "STOPPING=1\n"}) {
        EXPECT_NE(messages.find(m), std::string::npos) << m;
    }
#endif
    // Every record received is in the recording, which ends whole.
    EXPECT_EQ(CsvOf(RecordingPath()), testing::ReadFile(dir.File("out.csv")));
    EXPECT_NE(testing::ReadFile(dir.File("client.txt")).find("beacon"), std::string::npos);
}

}  // namespace
}  // namespace kelvanor
