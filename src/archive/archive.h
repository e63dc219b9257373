#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquire/frame_tap.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kelvanor {

// The default archive file name, in the data folder.
inline constexpr const char* kArchiveFileName = "kelvanor-archive.sqlite";

// Two receptions of the same bytes this close together (ms) are one frame.
inline constexpr std::int64_t kSameFrameWindowMs = 10000;

// A pause in reception this long (ms) separates two passes.
inline constexpr std::int64_t kPassGapMs = 20 * 60 * 1000;

// What an archive holds.
struct ArchiveStats {
    std::int64_t frames = 0;
    std::int64_t beacons = 0;
    std::int64_t duplicates = 0;                  // further receptions not stored again
    std::optional<std::int64_t> firstMs, lastMs;  // of the beacons
};

// A stored beacon as the range query returns it.
struct ArchivedBeacon {
    std::string bytes;
    std::int64_t rxMs = 0;
    RxTimeForm form = RxTimeForm::Recorder;
};

// A half-open time range [from, to) in UTC ms; an absent end is open.
struct TimeRange {
    std::optional<std::int64_t> from, to;
};

// The station's archive: one SQLite file of every frame received or
// imported, each stored once. Not copyable; closes the file when destroyed.
class Archive {
public:
    // Opens the archive at `path`, creating it when no file is there. A file
    // that is not a database, a database of another program, or one that
    // cannot be written (when `writable`) is refused, untouched: nullptr,
    // with the reason in `error`.
    static std::unique_ptr<Archive> Open(const std::string& path, bool writable,
                                         std::string& error);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    const std::string& Path() const { return m_path; }

    // One transaction; every Add goes inside one.
    bool Begin(std::string& error);
    bool Commit(std::string& error);
    void Rollback();

    // The id of a source name (a file path, host:port), created when new.
    std::optional<std::int64_t> SourceId(const std::string& name, std::string& error);

    enum class AddResult { Added, Duplicate, Failed };
    // Stores a frame unless the same bytes were received within
    // kSameFrameWindowMs of it (or both without a time): then the stored
    // frame counts one more copy.
    AddResult Add(const TakenFrame& frame, std::int64_t sourceId, std::int64_t addedMs,
                  std::string& error);

    // The newest `limit` beacons of the range, oldest first, and whether the
    // range holds more than that.
    bool NewestBeacons(const TimeRange& range, int limit, std::vector<ArchivedBeacon>& out,
                       bool& more, std::string& error);

    bool Stats(ArchiveStats& stats, std::string& error);

    // The newest pass: the beacons back from the newest one up to the first
    // gap longer than kPassGapMs, as a range [first, newest + 1 ms). Nothing
    // when the archive holds no beacon with a time.
    std::optional<TimeRange> LastPass();

private:
    Archive(sqlite3* db, std::string path);
    bool Prepare(std::string& error);
    std::string Error() const;

    sqlite3* m_db;
    std::string m_path;
    sqlite3_stmt* m_find = nullptr;
    sqlite3_stmt* m_findUntimed = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_again = nullptr;
};

// The hash the archive finds equal frames by (31 bits of FNV-1a).
std::int64_t FrameKey(std::string_view bytes);

}  // namespace kelvanor
