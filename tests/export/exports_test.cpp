#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "export/export_name.h"
#include "export/tlm_export.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

std::string Zeros(int n) { return n == 0 ? "" : "0;" + Zeros(n - 1); }

// The current file name up to its first dot, searched over the whole path
// except inside an installed program's data folder; no current file name
// gives the default one (in the data folder), which becomes current. The
// name is never that of a file the last import read (here: pass.csv, also
// spelt otherwise, and pass-2.csv): name-2.ext, name-3.ext, ... instead.
TEST(ExportTest, NamesLayoutsAndAFullDisk) {
    const std::string data = "/home/op/.local/share/kelvanor/";
    std::string cases[][3] = {
        // current, data folder, expected
        {"/my.data/pass1.kss", "", "/my.csv"},
        {"", "", "kelvanor.csv"},
        {data + "2020-11-29_kelvanor.kss", data, data + "2020-11-29_kelvanor.csv"},
        {data + "pass", data, data + "pass.csv"},
        {"/home/op/.local/pass1.kss", data, "/home/op/.csv"},  // elsewhere: the whole path
    };
    for (auto [c, f, want] : cases) EXPECT_EQ(ExportFileName(c, kDefaultCsvName, ".csv", f), want);
    std::string current;
    EXPECT_EQ(ExportFileName(current, kDefaultTlmName, ".tlm", data), data + "lumo4.tlm");
    EXPECT_EQ(ExportFileName(current, kDefaultCsvName, ".csv", data), data + "lumo4.csv");
    testing::TempDir dir;
    const std::string log = dir.File("pass.csv"), other = dir.path().string() + "/./pass.csv";
    testing::WriteFile(log, "x");
    EXPECT_EQ(AvoidFiles(log, {log, dir.File("pass-2.csv")}), dir.File("pass-3.csv"));
    EXPECT_EQ(AvoidFiles(other, {log}), dir.path().string() + "/./pass-2.csv");
    EXPECT_EQ(AvoidFiles("/a.b/pass", {"/a.b/pass"}), "/a.b/pass-2");
    EXPECT_EQ(AvoidFiles("/a/.hidden", {"/a/.hidden"}), "/a/.hidden-2");
    auto session = std::make_unique<Session>();
    // The header names the 118 channels, the hidden one included; a record line
    // is its RX timestamp and every value in channel order, each closed by ";".
    // TLM: title, 54 "=", an empty line, then channels 2k and 2k+1 side by side,
    // 84 bytes a line: name 20, value 15 (a longer value left whole), unit 4, " |  ".
    BeaconRecord& r = *session->records.Append();
    r.RxTime = "2021-02-04 12:54:56.123 UTC";
    r.Values = {48213, 660000.0375, 0, 3.25};
    r.Values[117] = -7;
    const std::string csv = CsvText(*session), header = csv.substr(0, csv.find("\r\n") + 2);
    EXPECT_EQ(header.substr(0, 33), "time;Beacon Packet;TAI Seconds;Sp");
    EXPECT_EQ(header.substr(header.size() - 17), ";ADCS IMU Temp;\r\n");
    EXPECT_EQ(std::count(header.begin(), header.end(), ';'), 119);
    EXPECT_EQ(csv.substr(header.size()),
              "2021-02-04 12:54:56.123 UTC;48213;660000.0375;0;3.25;" + Zeros(113) + "-7;\r\n");
    InitChannelLabels(session->labels);
    session->display.value[53] = "a value longer than 15";
    const std::string tlm = TlmText(session->labels, session->display);
    const std::size_t at = tlm.find("\r\n");  // the end of the title
    EXPECT_EQ(tlm.substr(0, 29), "KELVANOR Telemetry Decoder   ");
    EXPECT_EQ(tlm.substr(at, 60), "\r\n" + std::string(54, '=') + "\r\n\r\n");
    // channels 52 and 53: the hidden channel is reported like any other
    EXPECT_EQ(tlm.substr(at + 60 + 26 * 84, 91),
              "State of Charge                    C    |  EPS CDH Temp        a value longer than "
              "15C   \r\n");
    EXPECT_EQ(tlm.substr(tlm.size() - 44), "|  ADCS IMU Temp                      C   \r\n");
    EXPECT_EQ(tlm.substr(tlm.find("EPS Temp "), 84),  // channels 54 and 55, each with its unit
              "EPS Temp" + std::string(27, ' ') + "C    |  EPS CDH Current" + std::string(20, ' ') +
                  "mA  \r\n");
    // An export replaces its file only once it is whole: on a disk that is full
    // the previous export stays as it was and nothing else is left behind.
    testing::SmallDisk disk(dir.File("disk"), "size=64k");
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    session->currentFileName = disk.Folder() + "/pass1.kss";
    testing::WriteFile(disk.Folder() + "/pass1.csv", "the previous export");
    testing::WriteFile(disk.Folder() + "/filler", std::string(64u << 10, 'x'));
    session->statusText = "before";
    std::string path, error;
    EXPECT_FALSE(WriteCSVFile_Click(*session, path, error));
    EXPECT_EQ(session->statusText, "before");
    EXPECT_EQ(testing::ReadFile(path), "the previous export");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.Folder()), {}), 2);
}

}  // namespace
}  // namespace kelvanor
