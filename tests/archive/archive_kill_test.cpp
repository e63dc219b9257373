// A process adding to the archive killed at any moment: the file passes the
// integrity check and holds every frame whose transaction it acknowledged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "archive/archive_tap.h"
#include "archive/sqlite_query.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

using testing::Query;

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
    testing::TempDir dir;
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
        for (int acks = 0; acks < 1 + run % 4 && std::fscanf(child, "%lld", &acknowledged) == 1;
             ++acks) {
        }
        usleep(random() % 3000);
        kill(pid, SIGKILL);
        while (std::fscanf(child, "%lld", &acknowledged) == 1) {  // acknowledged before the kill
        }
        fclose(child);
        int status = 0;
        EXPECT_TRUE(waitpid(pid, &status, 0) == pid && WIFSIGNALED(status)) << status;
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok");
        // Frames are numbered from 0 in the order added, 50 to a transaction.
        const long long frames = std::stoll(Query(db, "SELECT count(*) FROM frames"));
        EXPECT_GE(frames, acknowledged);
        EXPECT_GT(acknowledged, 0);
        EXPECT_EQ(frames % 50, 0);
        EXPECT_EQ(Query(db, "SELECT count(DISTINCT bytes) = count(*) FROM frames"), "1");
        sqlite3_close(db);
    }
}

}  // namespace
}  // namespace kelvanor
