// A process adding to the archive killed at any moment: the file passes the
// integrity check and holds every frame whose transaction it acknowledged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "support/temp_dir.h"

namespace {

std::string Query(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
        out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    }
    sqlite3_finalize(s);
    return out;
}

// Runs the child until it has acknowledged `acks` commits, kills it
// `delayUs` later and returns the last frame count it acknowledged.
long long KillMidBurst(const std::string& path, int acks, int delayUs) {
    int out[2];
    if (pipe(out) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl(KELVANOR_ARCHIVE_CHILD, KELVANOR_ARCHIVE_CHILD, path.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    auto lines = [&] { return std::count(text.begin(), text.end(), '\n'); };
    ssize_t n;
    while (lines() < acks && (n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
    usleep(delayUs);
    kill(child, SIGKILL);
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);  // acknowledged before the kill
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
    const std::size_t last = text.rfind('\n', text.size() - 2);
    return text.empty() ? -1 : std::stoll(text.substr(last == std::string::npos ? 0 : last + 1));
}

TEST(ArchiveKill, TwentyKillsLoseNothingAcknowledged) {
    kelvanor::testing::TempDir dir;
    const std::string path = dir.File("archive.sqlite");
    std::mt19937 random(19);
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const long long acknowledged = KillMidBurst(path, 1 + run % 4, static_cast<int>(random() % 3000));
        ASSERT_GT(acknowledged, 0);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok");
        // Frames are numbered from 0 in the order added, 50 to a transaction.
        const long long frames = std::stoll(Query(db, "SELECT count(*) FROM frames"));
        EXPECT_GE(frames, acknowledged);
        EXPECT_EQ(frames % 50, 0);
        EXPECT_EQ(Query(db, "SELECT count(DISTINCT bytes) = count(*) FROM frames"), "1");
        sqlite3_close(db);
    }
}

}  // namespace
