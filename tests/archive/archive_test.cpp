// The station's archive: each frame once, ranges loaded as an import loads,
// and files it must not use left alone.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <memory>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "archive/archive_load.h"
#include "archive/archive_tap.h"
#include "session/handlers.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/small_disk.h"
#include "support/stepping_clock.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

using testing::TempDir;
using testing::ReadFile;
using testing::WriteFile;

std::string Beacon(int packet) { return testing::PlausibleBeacon(packet).Frame(); }

// A recording of `packets`, each behind its own time stamp "<day> <time>".
std::string Recording(const std::vector<std::pair<int, std::string>>& packets) {
    std::string out;
    for (const auto& [packet, time] : packets) {
        out += RecordingEntry("2026-12-01 " + time + " UTC", KissFrame(Beacon(packet)));
    }
    return out;
}

// A SatNOGS log of `packets` received at "2026-12-01 <time>".
std::string SatnogsLog(const std::vector<std::pair<int, std::string>>& packets) {
    std::string out = "timestamp|frame\r\n";
    for (const auto& [packet, time] : packets) {
        std::string hex;
        AppendHex(hex, std::string_view(Beacon(packet)).substr(1));
        out += "2026-12-01 " + time + "|" + hex + "\r\n";
    }
    return out;
}

struct Station {
    TempDir dir;
    std::string path = dir.File("archive.sqlite");
    std::vector<std::string> messages;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<ArchiveTap> tap;
    ImportHooks hooks;

    Station() { Reopen(); }
    void Reopen() {
        tap.reset();
        std::string error;
        auto archive = Archive::Open(path, true, error);
        ASSERT_NE(archive, nullptr) << error;
        tap = std::make_unique<ArchiveTap>(std::move(archive), [this](const std::string& m) { messages.push_back(m); },
                                           [] { return 1765000000000LL; });
        session->tap = tap.get();
    }
    // Imports `contents` as one file named `name`.
    void Import(const std::string& name, const std::string& contents) {
        WriteFile(dir.File(name), contents);
        ImportFiles(*session, {dir.File(name)}, KindOfPath(name), hooks);
    }
    ArchiveStats Stats() {
        ArchiveStats stats;
        std::string error;
        EXPECT_TRUE(tap->archive()->Stats(stats, error)) << error;
        return stats;
    }
};

TEST(Archive, StoresEachReceptionOnce) {
    using Files = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* name;
        Files files;
        std::int64_t frames, duplicates;
    } rows[] = {
        {"one recording", {{"a.kss", Recording({{1, "10:00:00.250"}, {2, "10:00:05.000"}})}}, 2, 0},
        {"the same recording twice",
         {{"a.kss", Recording({{1, "10:00:00.250"}, {2, "10:00:05.000"}})},
          {"b.kss", Recording({{1, "10:00:00.250"}, {2, "10:00:05.000"}})}},
         2, 2},
        {"a recording and the SatNOGS log of its beacons",
         {{"a.kss", Recording({{1, "10:00:00.250"}, {2, "10:00:05.000"}})},
          {"a.csv", SatnogsLog({{1, "10:00:00"}, {2, "10:00:05"}})}},
         2, 2},
        {"three stations 2 s apart",
         {{"a.csv", SatnogsLog({{1, "10:00:00"}})},
          {"b.csv", SatnogsLog({{1, "10:00:02"}})},
          {"c.kss", Recording({{1, "10:00:04.000"}})}},
         1, 2},
        {"10 s apart is the same beacon, 10.001 s is not",
         {{"a.kss", Recording({{1, "10:00:00.000"}})},
          {"b.kss", Recording({{1, "10:00:10.000"}, {1, "09:59:49.999"}})}},
         2, 1},
        {"other bytes at the same time", {{"a.kss", Recording({{1, "10:00:00.000"}, {2, "10:00:00.000"}})}}, 2, 0},
        {"a frame of another station is kept, not as a beacon",
         {{"a.kss", RecordingEntry("2026-12-01 10:00:00.000 UTC", KissFrame(std::string("\0OTHER 0STATION1 hello", 22)))}},
         1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Station station;
        for (const auto& [name, contents] : row.files) station.Import(name, contents);
        const ArchiveStats stats = station.Stats();
        EXPECT_EQ(stats.frames, row.frames);
        EXPECT_EQ(stats.duplicates, row.duplicates);
        EXPECT_TRUE(station.messages.empty());
    }
}

TEST(Archive, RangeLoadsTheBeaconsInsideOldestFirstWithTheirOwnTimes) {
    Station station;
    station.Import("a.kss", Recording({{1, "10:00:00.250"}, {2, "10:01:00.000"}, {5, "10:04:00.000"}}));
    station.Import("b.csv", SatnogsLog({{4, "10:03:00"}, {3, "10:02:00"}}));
    testing::SteppingClock clock(testing::TimePoint(std::chrono::milliseconds(*ParseUtcTime("2026-12-01 10:05:00"))));
    station.session->liveSource = "localhost:8001";
    HandleArrival(*station.session, KissFrame(Beacon(6)), clock, station.dir.File(""));
    // A frame the stream cut without a beacon address is not loaded.
    station.Import("c.kss", RecordingEntry("2026-12-01 10:02:30.000 UTC", KissFrame(Beacon(9).replace(1, 5, "OTHER"))));

    const auto at = [](const char* time) { return UtcMilliseconds(std::string("2026-12-01 ") + time); };
    const struct {
        TimeRange range;
        std::vector<std::pair<int, std::string>> expected;  // packet, RX timestamp
    } rows[] = {
        {{}, {{1, "2026-12-01 10:00:00.250 UTC"}, {2, "2026-12-01 10:01:00.000 UTC"}, {3, "2026-12-01 10:02:00"},
              {4, "2026-12-01 10:03:00"}, {5, "2026-12-01 10:04:00.000 UTC"}, {6, "2026-12-01 10:05:00.000 UTC"}}},
        {{at("10:01:00"), at("10:04:00")}, {{2, "2026-12-01 10:01:00.000 UTC"}, {3, "2026-12-01 10:02:00"}, {4, "2026-12-01 10:03:00"}}},
        {{at("10:00:00.251"), std::nullopt}, {{2, ""}, {3, ""}, {4, ""}, {5, ""}, {6, ""}}},
        {{std::nullopt, at("10:00:00.251")}, {{1, ""}}},
        {{at("11:00:00"), std::nullopt}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.expected.size()) + " beacons");
        const RangeLoad load = LoadArchiveRange(*station.session, *station.tap->archive(), row.range, station.hooks);
        EXPECT_EQ(load.error, "");
        EXPECT_FALSE(load.more);
        ASSERT_EQ(station.session->RecordCount(), static_cast<int>(row.expected.size()));
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            const BeaconRecord& r = station.session->records.Record(static_cast<int>(i) + 1);
            EXPECT_EQ(r.Values[0], row.expected[i].first);
            if (!row.expected[i].second.empty()) EXPECT_EQ(r.RxTime, row.expected[i].second);
        }
    }
}

TEST(Archive, RangeOfMoreThanTheStoreHoldsLoadsTheNewest) {
    Station station;
    std::string error;
    Archive& archive = *station.tap->archive();
    ASSERT_TRUE(archive.Begin(error));
    for (int i = 0; i <= kLargestRangeLoad; ++i) {
        const std::string frame = Beacon(i);
        archive.Add({frame, 1000LL * i, RxTimeForm::Recorder, true, 0}, 1, 0, error);
    }
    ASSERT_TRUE(archive.Commit(error));
    const RangeLoad load = LoadArchiveRange(*station.session, archive, {}, station.hooks);
    EXPECT_TRUE(load.more);
    EXPECT_EQ(load.loaded, kLargestRangeLoad);
    EXPECT_EQ(station.session->records.Record(1).Values[0], 1);
    EXPECT_EQ(station.session->records.Record(kLargestRangeLoad).Values[0], kLargestRangeLoad);
    EXPECT_NE(station.session->statusText.find("holds more"), std::string::npos);
}

// A file the archive cannot use is refused with its reason and stays as it was.
TEST(Archive, RefusesFilesItMustNotUseAndLeavesThemAlone) {
    TempDir dir;
    const std::string text = dir.File("notes.txt"), foreign = dir.File("other.sqlite");
    WriteFile(text, std::string(5000, 'x'));
    sqlite3* db = nullptr;
    sqlite3_open(foreign.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES (1);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string foreignBytes = ReadFile(foreign);
    // A read-only file system stands for a file the program may not write
    // (which root could write whatever its mode).
    testing::SmallDisk readOnly(dir.File("ro"), "size=64k");
    if (readOnly.Mounted()) {
        std::string error;
        Archive::Open(readOnly.Folder() + "/a.sqlite", true, error);
        mount("tmpfs", readOnly.Folder().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
    }
    const struct {
        std::string path;
        const char* reason;
        bool writable;
    } rows[] = {
        {text, "not a KELVANOR archive (file is not a database)", true},
        {foreign, "a database of another program", true},
        {dir.File("missing.sqlite"), "does not exist", false},
        {dir.path().string(), "is not a file", true},
        {readOnly.Folder() + "/a.sqlite", "read-only", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        if (row.path.rfind(readOnly.Folder(), 0) == 0 && !readOnly.Mounted()) continue;
        std::string error;
        EXPECT_EQ(Archive::Open(row.path, row.writable, error), nullptr);
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
    EXPECT_EQ(ReadFile(text), std::string(5000, 'x'));
    EXPECT_EQ(ReadFile(foreign), foreignBytes);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.sqlite")));
}

TEST(Archive, FullDiskIsToldOnceAndTheImportGoesOn) {
    TempDir dir;
    testing::SmallDisk disk(dir.File("disk"), "size=96k");
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    Station station;
    station.path = disk.Folder() + "/archive.sqlite";
    station.Reopen();
    std::vector<std::pair<int, std::string>> packets;
    for (int i = 0; i < 2000; ++i) packets.emplace_back(i, "10:00:00.000");
    station.Import("big.kss", Recording(packets));
    station.Import("more.kss", Recording({{1, "11:00:00.000"}}));
    EXPECT_EQ(station.session->RecordCount(), 2001);
    ASSERT_EQ(station.messages.size(), 1u);
    EXPECT_NE(station.messages[0].find("full"), std::string::npos) << station.messages[0];
    EXPECT_FALSE(station.tap->Working());
    // What was committed before is still there and whole.
    std::string error;
    ArchiveStats stats;
    auto archive = Archive::Open(station.path, false, error);
    ASSERT_NE(archive, nullptr) << error;
    EXPECT_TRUE(archive->Stats(stats, error));
    EXPECT_EQ(stats.frames, 0);
}

}  // namespace
}  // namespace kelvanor
