#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "channels/presentation.h"
#include "export/csv_export.h"
#include "export/export_name.h"
#include "export/tlm_export.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

TEST(ExportNameTest, UpToTheFirstDotOfThePath) {
    struct Case {
        std::string current, expected;
    } cases[] = {
        {"/logs/pass1.kss", "/logs/pass1.csv"},
        {"/my.data/pass1.kss", "/my.csv"},
        {"/logs/pass1", "/logs/pass1.csv"},
        {"", "kelvanor.csv"},
        {"lumo4.tlm", "lumo4.csv"},
    };
    for (Case c : cases) EXPECT_EQ(ExportFileName(c.current, kDefaultCsvName, ".csv"), c.expected);
    std::string empty;
    EXPECT_EQ(ExportFileName(empty, kDefaultCsvName, ".csv"), "kelvanor.csv");
    EXPECT_EQ(empty, "kelvanor.csv");  // the default becomes the current file name
    EXPECT_EQ(ExportFileName(empty, kDefaultTlmName, ".tlm"), "kelvanor.tlm");
}

TEST(ExportNameTest, InsideAnInstalledProgramsDataFolder) {
    const std::string data = "/home/op/.local/share/kelvanor/";
    struct Case {
        std::string current, expected;
    } cases[] = {
        {"", data + "kelvanor.csv"},  // the default is made in the data folder
        {data + "2020-11-29_kelvanor.kss", data + "2020-11-29_kelvanor.csv"},
        {data + "pass", data + "pass.csv"},
        {"/logs/pass1.kss", "/logs/pass1.csv"},  // elsewhere the whole-path rule holds
        {"/home/op/.local/pass1.kss", "/home/op/.csv"},
    };
    for (Case c : cases) EXPECT_EQ(ExportFileName(c.current, kDefaultCsvName, ".csv", data), c.expected);
    std::string current;
    ExportFileName(current, kDefaultTlmName, ".tlm", data);
    EXPECT_EQ(current, data + "lumo4.tlm");
    EXPECT_EQ(ExportFileName(current, kDefaultCsvName, ".csv", data), data + "lumo4.csv");
}

TEST(ExportNameTest, NeverAFileTheLastImportRead) {
    testing::TempDir dir;
    const std::string log = dir.File("pass.csv");
    testing::WriteFile(log, "x");
    const std::vector<std::string> read{log, dir.File("pass-2.csv")};
    EXPECT_EQ(AvoidFiles(dir.File("pass.tlm"), read), dir.File("pass.tlm"));
    EXPECT_EQ(AvoidFiles(log, read), dir.File("pass-3.csv"));
    const std::string sameFile = dir.path().string() + "/./pass.csv";  // another spelling
    EXPECT_EQ(AvoidFiles(sameFile, {log}), dir.path().string() + "/./pass-2.csv");
    EXPECT_EQ(AvoidFiles("/a.b/pass", {"/a.b/pass"}), "/a.b/pass-2");
    EXPECT_EQ(AvoidFiles("/a/.hidden", {"/a/.hidden"}), "/a/.hidden-2");
}

class ExportTest : public ::testing::Test {
protected:
    ExportTest() : session(std::make_unique<Session>()) { InitChannelLabels(session->labels); }
    std::unique_ptr<Session> session;
};

TEST_F(ExportTest, CsvHeaderAloneWithNoRecords) {
    std::string csv = CsvText(*session);
    ASSERT_EQ(csv.substr(csv.size() - 2), "\r\n");
    EXPECT_EQ(csv.find("\r\n"), csv.size() - 2);
    EXPECT_EQ(csv.substr(0, 33), "time;Beacon Packet;TAI Seconds;Sp");
    EXPECT_NE(csv.find(";EPS Solar 2 Temp;State of Charge;EPS CDH Temp;"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.size() - 17), ";ADCS IMU Temp;\r\n");
    std::size_t fields = 0;
    for (char c : csv) fields += c == ';';
    EXPECT_EQ(fields, 119u);
}

TEST_F(ExportTest, CsvRecordLinesByteForByte) {
    BeaconRecord& r = *session->records.Append();
    r.RxTime = "2021-02-04 12:54:56.123 UTC";
    r.Values.fill(0);
    r.Values[0] = 48213;
    r.Values[1] = 660000.0375;
    r.Values[3] = 3.25;
    r.Values[106] = -0.00002;
    r.Values[117] = 1.5e16;
    std::string expected = "2021-02-04 12:54:56.123 UTC;48213;660000.0375;0;3.25;";
    for (int c = 4; c < 106; ++c) expected += "0;";
    expected += "-2E-05;";
    for (int c = 107; c < 117; ++c) expected += "0;";
    expected += "1.5E+16;\r\n";
    std::string csv = CsvText(*session);
    EXPECT_EQ(csv.substr(csv.find("\r\n") + 2), expected);

    session->regional = RegionalSettings::CommaDecimal();
    csv = CsvText(*session);
    EXPECT_NE(csv.find(";0;3,25;0;"), std::string::npos);
}

TEST_F(ExportTest, WriteCsvFileSetsNamesAndStatus) {
    testing::TempDir dir;
    session->currentFileName = dir.File("pass1.kss");
    std::string path, error;
    ASSERT_TRUE(WriteCSVFile_Click(*session, path, error)) << error;
    EXPECT_EQ(path, dir.File("pass1.csv"));
    EXPECT_EQ(session->statusText, dir.File("pass1.csv") + " has been written");
    EXPECT_EQ(testing::ReadFile(path), CsvText(*session));
    session->currentFileName = "/nonexistent-dir/x.kss";
    EXPECT_FALSE(WriteCSVFile_Click(*session, path, error));
    EXPECT_FALSE(error.empty());
}

// An export replaces its file only once it is whole: on a disk that is full
// the previous export stays as it was and nothing else is left behind.
TEST_F(ExportTest, FailedExportOnAFullDiskKeepsThePreviousOne) {
    testing::TempDir dir;
    testing::SmallDisk disk(dir.File("disk"), "size=64k");
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    session->currentFileName = disk.Folder() + "/pass1.kss";
    std::string path, error;
    ASSERT_TRUE(WriteCSVFile_Click(*session, path, error)) << error;
    const std::string previous = testing::ReadFile(path);
    testing::WriteFile(disk.Folder() + "/filler", std::string(64u << 10, 'x'));
    for (int i = 0; i < 20; ++i) session->records.Append()->RxTime = "2021-02-04 12:54:56.123 UTC";

    session->statusText = "before";
    EXPECT_FALSE(WriteCSVFile_Click(*session, path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(session->statusText, "before");
    EXPECT_EQ(testing::ReadFile(path), previous);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(disk.Folder())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "pass1.csv"}));
}

TEST(PadRightTest, PadsButNeverCuts) {
    EXPECT_EQ(PadRight("ab", 4), "ab  ");
    EXPECT_EQ(PadRight("abcd", 4), "abcd");
    EXPECT_EQ(PadRight("abcdef", 4), "abcdef");
    EXPECT_EQ(PadRight("", 3), "   ");
}

TEST_F(ExportTest, TlmReportLayout) {
    session->display.value[0] = "48213";
    session->display.value[1] = "660000.0375";
    session->display.value[53] = "a value longer than 15";
    std::string tlm = TlmText(session->labels, session->display);
    std::vector<std::string> lines;
    std::size_t start = 0, crlf;
    while ((crlf = tlm.find("\r\n", start)) != std::string::npos) {
        lines.push_back(tlm.substr(start, crlf - start));
        start = crlf + 2;
    }
    EXPECT_EQ(start, tlm.size());
    ASSERT_EQ(lines.size(), 62u);
    EXPECT_EQ(lines[0].substr(0, 29), "KELVANOR Telemetry Decoder   ");
    EXPECT_EQ(lines[1], std::string(54, '='));
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "Beacon Packet" + std::string(7, ' ') + "48213" + std::string(10 + 4, ' ') +
                            " |  " + "TAI Seconds" + std::string(9, ' ') + "660000.0375" +
                            std::string(4 + 4, ' '));
    EXPECT_EQ(lines[3].size(), 82u);
    // channels 52 and 53: the hidden channel is reported like any other
    EXPECT_EQ(lines[3 + 26].substr(0, 43), "State of Charge                    C    |  ");
    EXPECT_EQ(lines[3 + 26].substr(43), "EPS CDH Temp        a value longer than 15C   ");
    EXPECT_EQ(lines[61].substr(0, 20), "ADCS Ext Temp       ");
}

TEST_F(ExportTest, WriteTlmWithNoDataFileUsesTheDefaultName) {
    testing::TempDir dir;
    std::error_code ec;
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::string path, error;
    EXPECT_TRUE(WriteTLMFile_Click(*session, path, error));
    EXPECT_EQ(path, "lumo4.tlm");
    EXPECT_EQ(session->currentFileName, "lumo4.tlm");
    EXPECT_TRUE(WriteCSVFile_Click(*session, path, error));
    EXPECT_EQ(path, "lumo4.csv");
    EXPECT_TRUE(std::filesystem::exists(dir.File("lumo4.tlm")));
    std::filesystem::current_path(old, ec);
}

}  // namespace
}  // namespace kelvanor
