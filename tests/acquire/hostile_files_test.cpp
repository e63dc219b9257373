// Files nobody should feed the importer, and what it must make of them:
// never a crash, never a record from a frame that is not whole, and the
// file after it in the selection still imported.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <random>

#include "sample_pass.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "support/special_file.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(n, '\0');
    for (char& c : out) c = static_cast<char>(random());
    return out;
}

// The pass's SatNOGS log with CR LF line ends: the heading, then a line per beacon.
std::string CrLfLog(int beacons) {
    std::string out;
    for (char c : samples::SimulatedSatnogsLog(beacons)) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

struct CountingHooks : ImportHooks {
    void ProcessPendingEvents() override { ++calls; }
    int calls = 0;
};

// Each file is imported with a good one after it (3 records): the file's
// outcome, then the good file imported all the same. Records -1: at most
// the store's 10000; `calls`: the fewest pending-event runs during the read.
TEST(HostileFilesTest, EachFileGivesItsOutcomeAndTheNextStillImports) {
    testing::TempDir dir;
    auto file = [&, n = 0](const std::string& contents) mutable {  // a new file holding `contents`
        const std::string path = dir.File("file" + std::to_string(++n));
        return testing::WriteFile(path, contents), path;
    };
    const std::string pass = samples::SimulatedRecording(5), random = file(RandomBytes(100u << 20, 20201129));
    const std::size_t last = pass.size() - samples::SimulatedPass(5).back().bytes.size();  // a beacon's chunk
    const std::string text = CrLfLog(5);
    const std::size_t entry1 = text.find('\n') + 1, entry2End = text.find('\r', text.find('\n', entry1));
    std::string nulInAddress = text, nonHexInAddress = text, longLine = text;
    nulInAddress[entry1 + 22] = '\0';  // inside the address field, not checked on this road
    nonHexInAddress[entry1 + 24] = 'Z';
    longLine.insert(entry2End, std::string(1u << 20, 'A'));
    std::string huge;
    for (const std::string one = samples::SimulatedRecording(1000); huge.size() < 500 * one.size();) huge += one;
    using K = ImportKind;
    // clang-format off
    struct Case { std::string name; K kind; std::string path; int records; const char* problem = nullptr; int calls = 0; };
    std::vector<Case> cases = {
        {"empty recording", K::KissRecording, file(""), 3},
        {"only FEND bytes", K::KissRecording, file(std::string(100000, '\xC0')), 3},
        {"one 16 MB piece without FEND", K::KissRecording, file(std::string(16u << 20, '\x55')), 3},
        {"FEND, then 16 MB without another", K::KissRecording, file("\xC0" + std::string(16u << 20, '\0')), 3},
        {"cut inside the last frame", K::KissRecording, file(pass.substr(0, last + 120)), 4 + 3},
        {"cut inside the last timestamp record", K::KissRecording, file(pass.substr(0, last - 15)), 4 + 3},
        {"whole pass", K::KissRecording, file(pass), 5 + 3},
        {"500000 beacons: the store fills and stops", K::KissRecording, file(huge), 10000, nullptr, 500000 / 100},
        {"100 MB of random bytes", K::KissRecording, random, -1},
        {"empty log", K::SatnogsLog, file(""), 3},
        {"log with a BOM before the heading", K::SatnogsLog, file("\xEF\xBB\xBF" + text), 5 + 3},
        {"log with NUL in an address", K::SatnogsLog, file(nulInAddress), 5 + 3},
        {"log with a non-hex digit in an address", K::SatnogsLog, file(nonHexInAddress), 5 + 3},
        {"log with a 1 MB line", K::SatnogsLog, file(longLine), 4 + 3},
        {"log of NUL bytes", K::SatnogsLog, file(std::string(1u << 20, '\0')), 3},
        {"log whose last line has no line break", K::SatnogsLog, file(text.substr(0, text.size() - 2)), 4 + 3},
        {"100 MB of random bytes", K::SatnogsLog, random, -1},
    };
    // clang-format on
    // Only regular files are read: what else is chosen is refused at once on
    // either road, without following a link, waiting on a FIFO or blocking.
    const int sock = MakeSpecial(testing::Special::Socket, dir.File("socket"));
    MakeSpecial(testing::Special::Fifo, dir.File("fifo"));
    MakeSpecial(testing::Special::Folder, dir.File("folder"));
    MakeSpecial(testing::Special::Link, dir.File("zero"), "/dev/zero");
    for (K kind : {K::KissRecording, K::SatnogsLog}) {
        for (std::string s : {"zero", "fifo", "socket", "folder", "/dev/null", "vanished"}) {  // vanished: gone before the read
            cases.push_back({s, kind, s[0] == '/' ? s : dir.File(s), 3, s == "vanished" ? "No such file or directory" : "not a regular file"});
        }
    }
    const std::string good[] = {file(samples::SimulatedRecording(3)), file(CrLfLog(3))};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + (c.kind == K::KissRecording ? " as a recording" : " as a log"));
        auto session = std::make_unique<Session>();
        CountingHooks hooks;
        const std::string& next = good[c.kind == K::KissRecording ? 0 : 1];
        ResetBeforeImport(*session);
        const auto problems = ImportFiles(*session, {c.path, next}, c.kind, hooks);
        ASSERT_EQ(problems.size(), c.problem ? 1u : 0u);
        if (c.problem) EXPECT_EQ(problems[0].path + ": " + problems[0].reason, c.path + ": " + c.problem);
        if (c.records >= 0) EXPECT_EQ(session->RecordCount(), c.records);
        EXPECT_LE(session->RecordCount(), 10000);
        EXPECT_EQ(session->scroll.Maximum(), session->RecordCount());
        EXPECT_GE(hooks.calls, c.calls);  // pending events ran all through the read
        EXPECT_EQ(session->currentFileName, next);
    }
    close(sock);
}

}  // namespace
}  // namespace kelvanor
