// kelvanor-cli's station link against real peers: the replay server on
// 127.0.0.1 in stream mode and killed mid-burst, a socat pseudo-terminal
// pair as a serial TNC, Direwolf's KISS pseudo-terminal fed with audio, and
// the recorder as systemd runs it.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "sample_pass.h"
#include "support/live_peers.h"
#include "support/plausible_beacon.h"
#include "support/recording_chunks.h"

namespace kelvanor {
namespace {

using namespace std::chrono_literals;

using testing::Await, testing::Background, testing::PlausibleBeacon, testing::Shell;

// Beacons first..first+count-1 of the simulated pass as a recording in `dir`.
std::string Pass(const testing::TempDir& dir, const std::string& name, int first, int count) {
    std::string bytes;
    const auto pass = samples::SimulatedPass(first + count);
    for (int i = first; i < first + count; ++i)
        bytes += RecordingEntry(pass[i].rxTimestamp, pass[i].bytes);
    testing::WriteFile(dir.File(name), bytes);
    return dir.File(name);
}

// The bytes received: the recording without the recorder's own records.
std::string Received(const std::string& recording) {
    const auto chunks = testing::RecordedChunks(testing::ReadFile(recording));
    return std::accumulate(chunks.begin(), chunks.end(), std::string());
}

using StationLink = testing::LivePeers;

// The stream's times, not the clock's, whatever the writes; the recording re-imports.
TEST_F(StationLink, StreamModeGivesTheServedRecordsWhateverTheWrites) {
    const std::string source = Pass(dir, "pass.kss", 0, 40), expected = CsvOf(source);
    for (const char* writes : {"--write-size 1", "--write-size 4096", "--burst"}) {
        SCOPED_TRACE(writes);
        std::filesystem::remove_all(dir.File("rec"));
        const std::string port = Serve(source, std::string("--rate 0 --timestamps ") + writes);
        EXPECT_EQ(Client("--connect 127.0.0.1:" + port + " --kiss-stream --for 20"), 1);  // closed
        EXPECT_EQ(testing::ReadFile(dir.File("out.csv")), expected);
        EXPECT_EQ(CsvOf(), expected);
    }
}

TEST_F(StationLink, ServerKilledMidBurstAndRestartedEveryLaterFrameRecordedOnce) {
    const std::string port = Serve(Pass(dir, "first.kss", 0, 60), "--rate 100 --loop --timestamps");
    auto client = ClientAsync("--connect 127.0.0.1:" + port + " --kiss-stream --reconnect --for 7");
    Await(dir.File("client.txt"), "beacon");
    std::this_thread::sleep_for(300ms);
    kill(servers.front()->pid, SIGKILL);
    // The new server's pass outlasts the client: what it sent is a prefix.
    const std::string second = Pass(dir, "second.kss", 60, 100);
    Serve(second, "--rate 10 --timestamps", port);
    EXPECT_EQ(client.get(), 0);
    EXPECT_NE(Said().find("state Closed; next try in 1 s"), std::string::npos);

    // From the new server's first frame on, its frames each once, in order.
    const std::string got = testing::ReadFile(dir.File("out.csv")), sent = CsvOf(second);
    const std::string data = sent.substr(sent.find('\n') + 1);  // after the heading
    const std::size_t from = got.find(data.substr(0, data.find('\n') + 1));
    ASSERT_NE(from, got.npos);
    EXPECT_EQ(got.substr(from), data.substr(0, got.size() - from));
    EXPECT_GT(std::count(got.begin() + from, got.end(), '\n'), 20);
}

TEST_F(StationLink, SerialTncOnASocatPairWithEscapesSplitFramesAndAVanishingDevice) {
    if (Shell("command -v socat >/dev/null") != 0) GTEST_SKIP() << "socat is not installed";
    const std::string a = dir.File("a"), b = dir.File("b");
    Background socat("socat pty,raw,echo=0,link=" + a + " pty,raw,echo=0,link=" + b);
    for (int i = 0; i < 100 && !std::filesystem::exists(b); ++i) std::this_thread::sleep_for(50ms);
    auto client = ClientAsync("--serial " + b + ":115200 --kiss-stream --for 20");
    Await(dir.File("client.txt"), "state Connected");
    // Packet counter 0x00DBC0C0 puts FEND and FESC into the frame.
    const std::string one = KissFrame(PlausibleBeacon(0x00DBC0C0).Frame());
    const std::string all = one + KissFrame(PlausibleBeacon(9).Frame()) + one.substr(0, 120);
    const int tnc = open(a.c_str(), O_WRONLY | O_NOCTTY);
    for (std::size_t at = 0; at < all.size(); at += 150) {  // frames split across writes
        ASSERT_GT(write(tnc, all.data() + at, std::min<std::size_t>(all.size() - at, 150)), 0);
        std::this_thread::sleep_for(200ms);
    }
    close(tnc);
    kill(socat.pid, SIGTERM);  // the device goes away in the middle of a frame

    EXPECT_EQ(client.get(), 1);
    EXPECT_NE(Said().find("state Error"), std::string::npos);
    EXPECT_EQ(Received(DayFile()), all);
    // The heading and the two whole beacons.
    EXPECT_EQ(std::ranges::count(testing::ReadFile(dir.File("out.csv")), '\n'), 3);
}

TEST_F(StationLink, DirewolfKissPseudoTerminalFedWithAudio) {
    if (Shell("command -v direwolf >/dev/null && command -v gen_packets >/dev/null") != 0)
        GTEST_SKIP() << "direwolf is not installed";
    const std::string frames = dir.File("f"), audio = dir.File("a.wav"), conf = dir.File("c");
    testing::WriteFile(frames, "N0CALL>KELVAN:hello<0xc0><0xdb> world\nN0CALL>KELVAN:second\n");
    ASSERT_EQ(Shell("gen_packets -r 48000 -o " + audio + " " + frames + " >/dev/null"), 0);
    // Audio from standard input after a pause for the client, no sound card, no network ports.
    testing::WriteFile(conf, "ADEVICE stdin null\nMODEM 1200\nAGWPORT 0\nKISSPORT 0\n");
    Background direwolf("(sleep 3; tail -c +45 " + audio +
                        "; head -c 96000 /dev/zero) | direwolf -c " + conf +
                        " -p -t 0 -r 48000 -b 16 - >" + dir.File("direwolf.txt"));
    const std::string said = Await(dir.File("direwolf.txt"), "Virtual KISS TNC is available on ");
    const std::size_t at = said.find("/dev/pts/");
    ASSERT_NE(at, std::string::npos) << said;
    const std::string pty = said.substr(at, said.find_first_of(" \r\n", at) - at);
    // Direwolf ends at the end of its audio, and its terminal with it.
    EXPECT_EQ(Client("--serial " + pty + " --kiss-stream --for 20"), 1);
    const std::string received = Received(DayFile());
    EXPECT_EQ(std::ranges::count(received, kFend), 4);
    EXPECT_NE(received.find("hello\xDB\xDC\xDB\xDD world"), std::string::npos);  // TNC's escapes
    EXPECT_NE(received.find("second"), std::string::npos);
}

TEST_F(StationLink, RecorderServiceNotifiesAndStopsWholeOnSigterm) {
    const std::string port = Serve(Pass(dir, "pass.kss", 0, 30), "--rate 40 --loop --timestamps");
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
    for (const char* m : {"READY=1\n", "WATCHDOG=1\n", "STATUS=Connected\n", "STOPPING=1\n"})
        EXPECT_NE(messages.find(m), std::string::npos) << m;
#endif
    // Every record received is in the recording, which ends whole.
    EXPECT_EQ(CsvOf(), testing::ReadFile(dir.File("out.csv")));
    EXPECT_NE(Said().find("beacon"), std::string::npos);
}

}  // namespace
}  // namespace kelvanor
