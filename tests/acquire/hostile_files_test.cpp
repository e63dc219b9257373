// Files nobody should feed the importer, and what it must make of them:
// never a crash, never a record from a frame that is not whole, and the
// other files of the selection still imported.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <cstring>
#include <fstream>
#include <random>

#include "acquire/file_io.h"
#include "session/import_sequence.h"
#include "acquire/kiss_framing.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string out(n, '\0');
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        const std::uint64_t v = random();
        std::memcpy(out.data() + i, &v, 8);
    }
    return out;
}

// The sample pass of `beacons` beacons whose last chunk is a beacon, as a
// recording, with the offset where that last chunk starts.
struct Pass {
    std::string recording;
    std::size_t lastChunk;
    int beacons;
};

Pass SamplePass(int beacons) {
    Pass p{samples::SimulatedRecording(beacons), 0, beacons};
    const std::vector<samples::Chunk> chunks = samples::SimulatedPass(beacons);
    EXPECT_TRUE(chunks.back().beacon);
    p.lastChunk = p.recording.size() - chunks.back().bytes.size();
    return p;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

// The pass's SatNOGS log lines with CR LF: the heading, then the entries.
std::vector<std::string> LogLines(int beacons) {
    std::vector<std::string> lines;
    const std::string log = samples::SimulatedSatnogsLog(beacons);
    std::size_t start = 0;
    for (std::size_t lf; (lf = log.find('\n', start)) != std::string::npos; start = lf + 1) {
        lines.push_back(log.substr(start, lf - start));
    }
    return lines;
}

struct FileCase {
    const char* name;
    ImportKind kind;
    std::string contents;
    int records;
};

class HostileFilesTest : public ::testing::Test {
protected:
    HostileFilesTest() : session(std::make_unique<Session>()) {}

    std::vector<ImportProblem> Import(const std::vector<std::string>& paths, ImportKind kind) {
        ResetBeforeImport(*session);
        ImportHooks hooks;
        return ImportFiles(*session, paths, kind, hooks);
    }

    testing::TempDir dir;
    std::unique_ptr<Session> session;
};

TEST_F(HostileFilesTest, EachFileGivesItsOutcome) {
    const Pass pass = SamplePass(5);
    const std::vector<std::string> log = LogLines(5);
    auto withLine = [&](std::size_t i, const std::string& line) {
        std::vector<std::string> l = log;
        l[i] = line;
        return Lines(l);
    };
    std::string nulInAddress = log[1], nonHexInAddress = log[1];
    nulInAddress[22] = '\0';       // inside the address field, not checked on this road
    nonHexInAddress[24] = 'Z';
    const std::vector<FileCase> cases = {
        {"empty recording", ImportKind::KissRecording, "", 0},
        {"only FEND bytes", ImportKind::KissRecording, Repeat('\xC0', 100000), 0},
        {"one 16 MB piece without FEND", ImportKind::KissRecording, Repeat('\x55', 16u << 20), 0},
        {"FEND, then 16 MB without another", ImportKind::KissRecording, "\xC0" + Repeat('\x00', 16u << 20), 0},
        {"cut inside the last frame", ImportKind::KissRecording, pass.recording.substr(0, pass.lastChunk + 120),
         pass.beacons - 1},
        {"cut inside the last timestamp record", ImportKind::KissRecording,
         pass.recording.substr(0, pass.lastChunk - 15), pass.beacons - 1},
        {"whole pass", ImportKind::KissRecording, pass.recording, pass.beacons},
        {"empty log", ImportKind::SatnogsLog, "", 0},
        {"log with a BOM before the heading", ImportKind::SatnogsLog, "\xEF\xBB\xBF" + Lines(log), 5},
        {"log with NUL in an address", ImportKind::SatnogsLog, withLine(1, nulInAddress), 5},
        {"log with a non-hex digit in an address", ImportKind::SatnogsLog, withLine(1, nonHexInAddress), 5},
        {"log with a 1 MB line", ImportKind::SatnogsLog, withLine(2, log[2] + Repeat('A', 1u << 20)), 4},
        {"log of NUL bytes", ImportKind::SatnogsLog, Repeat('\0', 1u << 20), 0},
        {"log whose last line has no line break", ImportKind::SatnogsLog,
         Lines(log).substr(0, Lines(log).size() - 2), 4},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.kind == ImportKind::KissRecording ? "case.kss" : "case.csv");
        testing::WriteFile(path, c.contents);
        EXPECT_TRUE(Import({path}, c.kind).empty());
        EXPECT_EQ(session->RecordCount(), c.records);
    }
}

TEST_F(HostileFilesTest, HundredMegabytesOfRandomBytesOnBothRoads) {
    const std::string path = dir.File("random.bin");
    testing::WriteFile(path, RandomBytes(100u << 20, 20201129));
    for (ImportKind kind : {ImportKind::KissRecording, ImportKind::SatnogsLog}) {
        EXPECT_TRUE(Import({path}, kind).empty());
        EXPECT_LE(session->RecordCount(), 10000);
        // The display was refreshed as after any file.
        EXPECT_EQ(session->counterText.empty(), false);
    }
}

TEST_F(HostileFilesTest, VanishedFilesAreProblemsTheOthersImport) {
    const std::string good = dir.File("good.kss");
    testing::WriteFile(good, samples::SimulatedRecording(3));
    const std::string vanished = dir.File("vanished.kss");
    testing::WriteFile(vanished, samples::SimulatedRecording(3));
    std::filesystem::remove(vanished);  // chosen in the dialog, gone before the read

    const auto problems = Import({vanished, good, good}, ImportKind::KissRecording);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, vanished);
    EXPECT_EQ(session->RecordCount(), 6);
    EXPECT_EQ(session->currentFileName, good);
}

// Only regular files are read: a link to an endless device, a FIFO nobody
// writes to, a socket, a folder or a device is refused at once on either
// road, and the file after it is still imported.
TEST_F(HostileFilesTest, SpecialFilesAreRefusedWithoutBlockingOnBothRoads) {
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.File("socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::filesystem::create_symlink("/dev/zero", dir.File("zero"));
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir.File("folder"));
    const std::string good = dir.File("good");
    for (ImportKind kind : {ImportKind::KissRecording, ImportKind::SatnogsLog}) {
        testing::WriteFile(good, kind == ImportKind::KissRecording ? samples::SimulatedRecording(3)
                                                                   : Lines(LogLines(3)));
        for (const std::string& special :
             {dir.File("zero"), dir.File("fifo"), socketPath, dir.File("folder"), std::string("/dev/null")}) {
            SCOPED_TRACE(special);
            const auto problems = Import({special, good}, kind);
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_EQ(problems[0].path, special);
            EXPECT_EQ(problems[0].reason, kNotRegularFile);
            EXPECT_EQ(session->RecordCount(), 3);
        }
    }
    close(sock);
}

TEST_F(HostileFilesTest, A500000BeaconRecordingFillsTheStoreAndStops) {
    const std::string path = dir.File("huge.kss");
    const std::string one = samples::SimulatedRecording(1000);
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 500; ++i) out << one;
    }
    struct CountingHooks : ImportHooks {
        void ProcessPendingEvents() override { ++calls; }
        int calls = 0;
    } hooks;
    ResetBeforeImport(*session);
    EXPECT_TRUE(ImportFiles(*session, {path}, ImportKind::KissRecording, hooks).empty());
    EXPECT_EQ(session->RecordCount(), 10000);
    EXPECT_EQ(session->scroll.Maximum(), 10000);
    // Pending events ran all through the read, not only between files.
    EXPECT_GE(hooks.calls, 500000 / 100);
}

}  // namespace
}  // namespace kelvanor
