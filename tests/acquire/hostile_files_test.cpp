// Files nobody should feed the importer, and what it must make of them:
// never a crash, never a record from a frame that is not whole, and the
// file after it in the selection still imported.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "sample_pass.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "support/special_file.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// The pass's SatNOGS log with CR LF line ends: the heading, then a line per beacon.
std::string CrLfLog(int n) {
    std::string out;
    for (char c : samples::SimulatedSatnogsLog(n)) out += c == '\n' ? "\r\n" : std::string(1, c);
    return out;
}

// Each file is imported with a good one after it (3 records): the file's
// outcome, then the good file imported all the same. Records -1: any
// number; `calls`: the fewest pending-event runs during the read.
struct Case {
    std::string name, path;
    int kind, records, calls = 0;  // kind: 0 a recording, 1 a SatNOGS log
    const char* problem = nullptr;
};

class ImportOutcomes : public ::testing::Test {
protected:
    std::string File(const std::string& bytes) {  // a new file holding `bytes`
        const std::string path = dir.File(std::to_string(++files));
        testing::WriteFile(path, bytes);
        return path;
    }
    void ExpectOutcomes(const std::vector<Case>& cases) {
        const ImportKind kinds[] = {ImportKind::KissRecording, ImportKind::SatnogsLog};
        const std::string good[] = {File(samples::SimulatedRecording(3)), File(CrLfLog(3))};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + (c.kind ? " as a log" : " as a recording"));
            auto session = std::make_unique<Session>();
            struct : ImportHooks {
                void ProcessPendingEvents() override { ++calls; }
                int calls = 0;
            } hooks;
            ResetBeforeImport(*session);
            const auto out = ImportFiles(*session, {c.path, good[c.kind]}, kinds[c.kind], hooks);
            ASSERT_EQ(out.size(), c.problem ? 1u : 0u);
            if (c.problem) EXPECT_EQ(out[0].path + ": " + out[0].reason, c.path + ": " + c.problem);
            if (c.records >= 0) EXPECT_EQ(session->RecordCount(), c.records);
            EXPECT_EQ(session->scroll.Maximum(), session->RecordCount());
            EXPECT_GE(hooks.calls, c.calls);  // pending events ran all through the read
            EXPECT_EQ(session->currentFileName, good[c.kind]);
        }
    }
    testing::TempDir dir;
    int files = 0;
};

// Files of many megabytes: noise, pieces without an end, a store that fills.
using HostileFilesTest = ImportOutcomes;
TEST_F(HostileFilesTest, ManyMegabytesOfNoiseOrWithoutAnEnd) {
    std::string noise(100u << 20, '\0'), huge = samples::SimulatedRecording(1000);
    for (std::mt19937 random(20201129); char& c : noise) c = static_cast<char>(random());
    for (const std::size_t one = huge.size(); huge.size() < 500 * one;) huge += huge.substr(0, one);
    const std::string noisy = File(noise);
    ExpectOutcomes({
        {"one 16 MB piece without FEND", File(std::string(16u << 20, '\x55')), 0, 3},
        {"FEND, then 16 MB without another", File("\xC0" + std::string(16u << 20, '\0')), 0, 3},
        {"500000 beacons: the store fills and stops", File(huge), 0, 10000, 500000 / 100},
        {"100 MB of random bytes", noisy, 0, -1},
        {"100 MB of random bytes", noisy, 1, -1},
    });
}

// Small damaged files, and whatever is not a regular file: refused at once
// on either road, without following a link, waiting on a FIFO or blocking
// ("vanished" is gone before the read). The socket stays bound to the end.
TEST_F(ImportOutcomes, DamagedFilesAndWhatIsNoRegularFile) {
    const std::string pass = samples::SimulatedRecording(5), text = CrLfLog(5);
    // where the last beacon's chunk starts; the first entry; the end of the second
    const std::size_t last = pass.size() - samples::SimulatedPass(5).back().bytes.size();
    const std::size_t e1 = text.find('\n') + 1, e2 = text.find('\r', text.find('\n', e1));
    std::vector<Case> cases = {
        {"empty recording", File(""), 0, 3},
        {"only FEND bytes", File(std::string(100000, '\xC0')), 0, 3},
        {"cut inside the last frame", File(pass.substr(0, last + 120)), 0, 4 + 3},
        {"cut inside the last timestamp record", File(pass.substr(0, last - 15)), 0, 4 + 3},
        {"empty log", File(""), 1, 3},
        {"log with a BOM before the heading", File("\xEF\xBB\xBF" + text), 1, 5 + 3},
        // a NUL inside the address field, not checked on this road
        {"log with NUL in an address", File(text.substr(0, e1 + 22) + '\0' + text.substr(e1 + 23)),
         1, 5 + 3},
        {"log with a 1 MB line",
         File(text.substr(0, e2) + std::string(1u << 20, 'A') + text.substr(e2)), 1, 4 + 3},
        {"log of NUL bytes", File(std::string(1u << 20, '\0')), 1, 3},
        {"log whose last line has no line break", File(text.substr(0, text.size() - 2)), 1, 4 + 3},
    };
    MakeSpecial(testing::Special::Socket, dir.File("socket"));
    MakeSpecial(testing::Special::Fifo, dir.File("fifo"));
    MakeSpecial(testing::Special::Folder, dir.File("folder"));
    MakeSpecial(testing::Special::Link, dir.File("zero"), "/dev/zero");
    for (int kind : {0, 1})
        for (std::string s : {"zero", "fifo", "socket", "folder", "/dev/null", "vanished"})
            cases.push_back({s, s[0] == '/' ? s : dir.File(s), kind, 3, 0,
                             s == "vanished" ? "No such file or directory" : "not a regular file"});
    ExpectOutcomes(cases);
}

}  // namespace
}  // namespace kelvanor
