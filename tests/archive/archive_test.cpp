// The station's archive: each frame once, ranges loaded as an import loads,
// files it must not use left alone, and a process killed while it adds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <random>

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

using namespace testing;
using Receptions =
    std::vector<std::pair<int, std::string>>;  // packet, "HH:mm:ss[.mmm]" on 2026-12-01

std::string Beacon(int packet) { return PlausibleBeacon(packet).Frame(); }

std::string Recording(const Receptions& packets) {
    std::string out;
    for (const auto& [packet, time] : packets)
        out += RecordingEntry("2026-12-01 " + time + " UTC", KissFrame(Beacon(packet)));
    return out;
}

std::string SatnogsLog(const Receptions& packets) {
    std::string out = "timestamp|frame\r\n";
    for (const auto& [packet, time] : packets) {
        out += "2026-12-01 " + time + "|";
        AppendHex(out, std::string_view(Beacon(packet)).substr(1));
        out += "\r\n";
    }
    return out;
}

// Frames / duplicates / beacons stored.
std::string Counts(Archive& archive) {
    ArchiveStats s;
    std::string error;
    EXPECT_TRUE(archive.Stats(s, error)) << error;
    return std::to_string(s.frames) + "/" + std::to_string(s.duplicates) + "/" +
           std::to_string(s.beacons);
}

// The first column of the first row of `sql` on the file at `path`, as text.
std::string Sql(const std::string& path, const char* sql, int flags = SQLITE_OPEN_READONLY) {
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    std::string out =
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW
            ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
            : "";
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

// A session whose roads add to an archive (by default a.sqlite in its folder).
struct Station {
    explicit Station(const std::string& path = "") {
        tap = std::make_unique<ArchiveTap>(
            Archive::Open(path.empty() ? dir.File("a.sqlite") : path, true, error),
            [this](const std::string& m) { messages.push_back(m); });
        session->tap = tap.get();
    }
    TempDir dir;
    std::vector<std::string> messages;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::string error;
    std::unique_ptr<ArchiveTap> tap;
    ImportHooks hooks;
    void Import(const std::string& name, const std::string& contents) {
        WriteFile(dir.File(name), contents);
        ImportFiles(*session, {dir.File(name)}, KindOfPath(name), hooks);
    }
};

TEST(Archive, StoresEachReceptionOnce) {
    const Receptions pass = {{1, "10:00:00.250"}, {2, "10:00:05.000"}};
    // The files imported, then frames / duplicates / beacons stored (the
    // same recording twice, and other stations' frames kept: the cli's test).
    const std::pair<std::vector<std::pair<std::string, std::string>>, std::string> rows[] = {
        {{{"a.kss", Recording(pass)}, {"a.csv", SatnogsLog({{1, "10:00:00"}, {2, "10:00:05"}})}},
         "2/2/2"},  // a recording and the SatNOGS log of its beacons
        {{{"a.csv", SatnogsLog({{1, "10:00:00"}})},
          {"b.csv", SatnogsLog({{1, "10:00:02"}})},
          {"c.kss", Recording({{1, "10:00:04.000"}})}},
         "1/2/1"},  // three stations 2 s apart
        {{{"a.kss", Recording({{1, "10:00:00.000"}})},
          {"b.kss", Recording({{1, "10:00:10.000"}, {1, "09:59:49.999"}})}},
         "2/1/2"},  // 10 s apart is heard again, 10.001 s is not
        {{{"a.kss", Recording({{1, "10:00:00.000"}, {2, "10:00:00.000"}})}}, "2/0/2"},
    };
    for (const auto& [files, expected] : rows) {
        Station station;
        for (const auto& [name, contents] : files) station.Import(name, contents);
        EXPECT_EQ(Counts(*station.tap->archive()), expected);
    }
    // A live arrival during an import is committed at once, with what the file added before it.
    Station s;
    s.tap->BeginSource("file");
    s.tap->Take({Beacon(1), 0, RxTimeForm::Recorder, true, 0});
    s.tap->BeginSource("live");
    s.tap->Take({Beacon(2), 20000, RxTimeForm::Recorder, true, 0});
    s.tap->EndSource();  // another reader sees both
    EXPECT_EQ(Sql(s.dir.File("a.sqlite"), "SELECT count(*) FROM frames"), "2");
}

TEST(Archive, RangeLoadsTheBeaconsInsideOldestFirstWithTheirOwnTimes) {
    const auto at = [](std::string time) { return UtcMilliseconds("2026-12-01 " + time); };
    Station station;
    station.Import("a.kss",
                   Recording({{1, "10:00:00.250"}, {2, "10:01:00.000"}, {5, "10:04:00.000"}}));
    station.Import("b.csv", SatnogsLog({{4, "10:03:00"}, {3, "10:02:00"}}));
    SteppingClock clock(TimePoint(milliseconds(*ParseUtcTime("2026-12-01 10:05:00"))));
    station.session->liveSource = "LOCALHOST:8001";
    HandleArrival(*station.session, KissFrame(Beacon(6)), clock, station.dir.File(""));
    station.Import("c.kss", RecordingEntry("2026-12-01 10:02:30.000 UTC",
                                           KissFrame(Beacon(9).replace(1, 5, "OTHER"))));
    // A numeric timestamp record stamps only the frames up to the next record.
    const std::string numeric("\x09\0\0\x01\xA2\x31\x0E\x87\x7C", 9);  // 2026-12-01 10:02:45.500
    station.Import("d.kss",
                   KissFrame(numeric) + KissFrame(Beacon(7)) + Recording({{8, "10:04:30.000"}}));
    station.session->regional = RegionalSettings::CommaDecimal();
    // The range, then the packet numbers of the records loaded.
    const std::pair<TimeRange, std::string> rows[] = {
        {{at("10:01:00"), at("10:04:00")}, "2 3 7 4 "},
        {{at("10:00:00.251"), std::nullopt}, "2 3 7 4 5 8 6 "},
        {{std::nullopt, at("10:00:00.251")}, "1 "},
        {{at("11:00:00"), std::nullopt}, ""},
        {{}, "1 2 3 7 4 5 8 6 "},
    };
    Archive& archive = *station.tap->archive();
    for (const auto& [range, packets] : rows) {
        const RangeLoad load = LoadArchiveRange(*station.session, archive, range, station.hooks);
        EXPECT_EQ(load.error + (load.more ? "more" : ""), "");
        std::string loaded;
        for (int r = 1; r <= station.session->RecordCount(); ++r)
            loaded += std::to_string(int(station.session->records.Record(r).Values[0])) + " ";
        EXPECT_EQ(loaded, packets);
    }
    // The frame log as the import of the same recording writes it.
    station.Import("e.kss", Recording({{1, "10:00:00.250"}}));
    const std::string imported = station.session->frameLog;
    LoadArchiveRange(*station.session, archive, {std::nullopt, at("10:00:01")}, station.hooks);
    EXPECT_EQ(station.session->frameLog, imported.substr(imported.rfind("2026-12-01")));
    LoadArchiveRange(*station.session, archive, {}, station.hooks);
    // Each with the RX timestamp its import stamped.
    std::string times;
    for (int r = 1; r <= station.session->RecordCount(); ++r)
        times += station.session->records.Record(r).RxTime + "|";
    EXPECT_EQ(times,
              "2026-12-01 10:00:00.250 UTC|2026-12-01 10:01:00.000 UTC|2026-12-01 10:02:00|"
              "01.12.2026 10:02:45.500 UTC|2026-12-01 10:03:00|2026-12-01 10:04:00.000 UTC|"
              "2026-12-01 10:04:30.000 UTC|2026-12-01 10:05:00.000 UTC|");
    // Where each came from: the end of the source's name, the position in it.
    EXPECT_EQ(
        Sql(station.dir.File("a.sqlite"),
            "SELECT group_concat(substr(name, -5) || '@' || position, ' ') FROM (SELECT * "
            "FROM frames JOIN sources s ON s.id = source WHERE position < 100 ORDER BY rx_ms)"),
        "a.kss@31 b.csv@2 c.kss@31 d.kss@12 b.csv@1 :8001@0");
    // More than the store holds: the newest 10000, and the status line says so.
    std::string error;
    ASSERT_TRUE(archive.Begin(error));
    for (int i = 0; i < kLargestRangeLoad; ++i)
        archive.Add({Beacon(i + 10), 1000LL * i, RxTimeForm::Recorder, true, 0}, 1, 0, error);
    ASSERT_TRUE(archive.Commit(error));
    EXPECT_TRUE(LoadArchiveRange(*station.session, archive, {}, station.hooks).more);
    EXPECT_EQ(station.session->records.Record(1).Values[0], 18);  // the oldest 8 are left out
    EXPECT_EQ(station.session->records.Record(kLargestRangeLoad).Values[0], 6);
    EXPECT_NE(station.session->statusText.find("holds more"), std::string::npos);
}

// A file the archive must not use is refused with its reason and left as it was.
TEST(Archive, RefusesFilesItMustNotUseAndTellsAFullDiskOnce) {
    TempDir dir;
    const std::string text = dir.File("notes.txt"), foreign = dir.File("other.sqlite");
    WriteFile(text, "my notes");
    Sql(foreign, "CREATE TABLE t(a)", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const std::string foreignBytes = ReadFile(foreign);
    // A read-only file system (root may write a file whatever its mode).
    SmallDisk disk(dir.File("ro"), "size=96k");
    const std::string readOnly = disk.Folder() + "/a.sqlite";
    std::string error;
    Archive::Open(readOnly, true, error);
    const bool mounted = disk.Mounted() && mount("tmpfs", disk.Folder().c_str(), "tmpfs",
                                                 MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    // The file, its reason, whether it is opened for writing.
    const std::tuple<std::string, std::string, bool> rows[] = {
        {text, "not a KELVANOR archive (file is not a database)", true},
        {foreign, "a database of another program", true},
        {dir.File("missing.sqlite"), "does not exist", false},
        {dir.path().string(), "is not a file", true},
        {mounted ? readOnly : text, mounted ? "cannot be written (read-only)" : "not a database",
         true},
    };
    for (const auto& [path, reason, writable] : rows) {
        EXPECT_EQ(Archive::Open(path, writable, error), nullptr);
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    EXPECT_EQ(ReadFile(text) + ReadFile(foreign), "my notes" + foreignBytes);
    if (!mounted) GTEST_SKIP() << disk.Why();
    // A disk that fills up: the file's transaction is undone, the failure told
    // once, and the imports go on without the archive.
    disk.Resize("size=96k");
    Station station(disk.Folder() + "/full.sqlite");
    Receptions many;
    for (int i = 0; i < 2000; ++i) many.emplace_back(i, "10:00:00.000");
    station.Import("big.kss", Recording(many));
    station.Import("more.kss", Recording({{1, "11:00:00.000"}}));
    EXPECT_EQ(station.session->RecordCount(), 2001);
    EXPECT_TRUE(station.messages.size() == 1 &&
                station.messages[0].find("database or disk is full") != std::string::npos);
    EXPECT_EQ(Sql(disk.Folder() + "/full.sqlite", "SELECT count(*) FROM frames"), "0");
}

// Adds frames numbered on from those stored, 50 to a transaction, without
// end, writing the number stored to `out` after each commit.
[[noreturn]] void AddUntilKilled(const std::string& path, int out) {
    std::string error;
    ArchiveStats stats;
    auto archive = Archive::Open(path, true, error);
    if (archive == nullptr || !archive->Stats(stats, error)) _exit(1);
    ArchiveTap tap(std::move(archive), [](const std::string&) { _exit(1); });
    for (std::int64_t n = stats.frames;;) {
        tap.BeginSource("child");
        for (int i = 0; i < 50; ++i, ++n) {
            const std::string frame = std::to_string(n) + std::string(200, '\0');
            tap.Take({frame, n * 20000, RxTimeForm::Recorder, true, 0});
        }
        tap.EndSource();
        if (dprintf(out, "%lld\n", static_cast<long long>(n)) < 0) _exit(1);
    }
}

TEST(ArchiveKill, TwentyKillsMidBurstLoseNothingAcknowledged) {
    TempDir dir;
    const std::string path = dir.File("archive.sqlite");
    std::mt19937 random(19);
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t pid = fork();
        if (pid == 0) AddUntilKilled(path, out[1]);
        close(out[1]);
        // Killed after 1 to 4 acknowledged commits and up to 3 ms more.
        FILE* child = fdopen(out[0], "r");
        long long acknowledged = 0;
        for (int acks = 0; acks <= run % 4; ++acks) std::fscanf(child, "%lld", &acknowledged);
        usleep(random() % 3000);
        kill(pid, SIGKILL);
        while (std::fscanf(child, "%lld", &acknowledged) == 1) {  // acknowledged before the kill
        }
        fclose(child);
        int status = 0;
        EXPECT_TRUE(waitpid(pid, &status, 0) == pid && WIFSIGNALED(status)) << status;
        // Intact; frames are numbered from 0 in the order added, 50 to a
        // transaction: whole transactions, each frame once, none acknowledged lost.
        EXPECT_EQ(Sql(path,
                      "SELECT (SELECT * FROM pragma_integrity_check) || ' ' || (count(*) % 50) "
                      "|| ' ' || (count(DISTINCT bytes) = count(*)) FROM frames"),
                  "ok 0 1");
        EXPECT_GE(std::stoll(Sql(path, "SELECT count(*) FROM frames")), acknowledged);
        EXPECT_GT(acknowledged, 0);
    }
}

}  // namespace
}  // namespace kelvanor
