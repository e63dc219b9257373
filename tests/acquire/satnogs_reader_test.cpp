#include "acquire/satnogs_reader.h"

#include <gtest/gtest.h>

#include <memory>

#include "session/import_sequence.h"
#include "acquire/kiss_framing.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/temp_dir.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

// A SatNOGS line: 19-character time, a separator, the frame without its
// command byte as hex.
std::string Line(const std::string& time, int packet, bool lowerCase = false) {
    std::string hex;
    AppendHex(hex, testing::PlausibleBeacon(packet).Frame().substr(1));
    if (lowerCase) {
        for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return time + "|" + hex;
}

const std::string kHeader = "timestamp|frame";
const std::string kA = Line("2021-02-04 10:00:01", 1);
const std::string kB = Line("2021-02-04 10:00:11", 2);

class SatnogsReaderTest : public ::testing::Test {
protected:
    SatnogsReaderTest() : session(std::make_unique<Session>()) {}
    int Read(std::string text) {
        NormaliseLineEnds(text);
        return ReadSatnogsText(session->Road(), text, hooks);
    }
    double Packet(int n) { return session->records.Record(n).Values[0]; }
    std::unique_ptr<Session> session;
    struct CountingHooks : ImportHooks {
        void ProcessPendingEvents() override { ++events; }
        int events = 0;
    } hooks;
};

TEST(HexToLongTest, PrefixesAndStops) {
    struct Case {
        const char* text;
        std::int32_t expected;
    } cases[] = {{"FF", 255}, {"ff", 255}, {"0x1A", 26}, {"0X1a", 26}, {"&HFF", 255}, {"&hff", 255},
                 {"1G", 1},   {"G1", 0},   {"", 0},      {"\r", 0},    {"A\r", 10},  {"7", 7}};
    for (const Case& c : cases) EXPECT_EQ(HexToLong(c.text), c.expected) << c.text;
}

TEST(RemoveAdjacentDuplicatesTest, DropsLineZeroAndAdjacentRepeatsOnly) {
    std::vector<std::string_view> lines = {"head", "a", "a", "b", "a", "a\r", ""};
    EXPECT_EQ(RemoveAdjacentDuplicates(lines),
              (std::vector<std::string_view>{"a", "b", "a", "a\r", ""}));
    EXPECT_TRUE(RemoveAdjacentDuplicates({"only"}).empty());
    EXPECT_EQ(RemoveAdjacentDuplicates({"a", "a"}), (std::vector<std::string_view>{"a"}));
}

TEST(NormaliseLineEndsTest, OnlyLfOnlyTextsChange) {
    std::string lf = "a\nb\n";
    EXPECT_TRUE(NormaliseLineEnds(lf));
    EXPECT_EQ(lf, "a\r\nb\r\n");
    std::string mixed = "a\r\nb\n";
    EXPECT_FALSE(NormaliseLineEnds(mixed));
    EXPECT_EQ(mixed, "a\r\nb\n");
    EXPECT_FALSE(NormaliseLineEnds(lf));  // a second pass changes nothing
}

TEST_F(SatnogsReaderTest, ThreeIdenticalLinesGiveOneRecord) {
    EXPECT_EQ(Read(kHeader + "\r\n" + kA + "\r\n" + kA + "\r\n" + kA + "\r\n"), 1);
    const std::string counts = "records from SatNOGS: 4\r\nafter removing duplicates: 2\r\n";
    EXPECT_EQ(session->frameLog.substr(0, counts.size()), counts);
}

TEST_F(SatnogsReaderTest, LineOneIsKeptAlsoWhenItRepeatsLineZero) {
    EXPECT_EQ(Read(kA + "\n" + kA + "\n" + kB + "\n"), 2);
    EXPECT_EQ(Packet(1), 2);
    EXPECT_EQ(Packet(2), 1);
}

TEST_F(SatnogsReaderTest, EntriesAreHandledBottomUp) {
    EXPECT_EQ(Read(kHeader + "\n" + kA + "\n" + kB + "\n" + kA + "\n"), 3);
    EXPECT_EQ(Packet(1), 1);  // the last line first
    EXPECT_EQ(Packet(2), 2);
    EXPECT_EQ(Packet(3), 1);
    EXPECT_EQ(session->records.Record(2).RxTime, "2021-02-04 10:00:11");
}

TEST_F(SatnogsReaderTest, LastLineWithoutLineBreakIsNotDecoded) {
    EXPECT_EQ(Read(kHeader + "\r\n" + kA + "\r\n" + kB), 1);
    EXPECT_EQ(Packet(1), 1);
}

TEST_F(SatnogsReaderTest, LowerCaseHexDecodesAndStaysInTheLog) {
    std::string line = Line("2021-02-04 10:00:01", 7, true);
    EXPECT_EQ(Read(kHeader + "\n" + line + "\n"), 1);
    EXPECT_EQ(Packet(1), 7);
    EXPECT_NE(session->frameLog.find("2021-02-04 10:00:01 | " + line.substr(20)),
              std::string::npos);
}

TEST_F(SatnogsReaderTest, WrongLengthLinesArePassedOver) {
    std::string shortLine = kA.substr(0, kA.size() - 2);
    std::string longLine = kA + "00";
    // an LF-only 400-digit line inside a CR LF file converts to 200 bytes
    std::string text = kHeader + "\r\n" + shortLine + "\r\n" + longLine + "\r\n" + kA + "\n" +
                       "garbage\r\n";
    EXPECT_EQ(ReadSatnogsText(session->Road(), text, hooks), 0);
    EXPECT_EQ(session->RecordCount(), 0);
}

TEST_F(SatnogsReaderTest, The10001stBeaconStoresNothing) {
    std::string text = kHeader + "\r\n";
    for (int i = 0; i < 10001; ++i) text += Line("2021-02-04 10:00:01", i % 2) + "\r\n";
    EXPECT_EQ(ReadSatnogsText(session->Road(), text, hooks), 10000);
    EXPECT_EQ(session->RecordCount(), 10000);
    EXPECT_EQ(hooks.events, 100);  // at entries 10000, 9900, ... 100
    EXPECT_EQ(session->counterText, "100");
    // 10001 log lines after the two count lines
    std::size_t lines = 0;
    for (char c : session->frameLog) lines += c == '\n';
    EXPECT_EQ(lines, 2u + 10001u);
}

TEST_F(SatnogsReaderTest, WindowRewritesAnLfOnlyLogOnceAndAtomically) {
    testing::TempDir dir;
    const std::string path = dir.File("pass.csv");
    testing::WriteFile(path, kHeader + "\n" + kA + "\n");
    std::vector<ImportProblem> problems =
        ImportFiles(*session, {path}, ImportKind::SatnogsLog, hooks, /*normaliseOnDisk=*/true);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(testing::ReadFile(path), kHeader + "\r\n" + kA + "\r\n");
    EXPECT_EQ(session->RecordCount(), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
    // the command-line road reads in memory and leaves the file alone
    testing::WriteFile(path, kHeader + "\n" + kA + "\n");
    ImportFiles(*session, {path}, ImportKind::SatnogsLog, hooks);
    EXPECT_EQ(testing::ReadFile(path), kHeader + "\n" + kA + "\n");
}

}  // namespace
}  // namespace kelvanor
