#include "archive/archive.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace kelvanor {

namespace {

// "KELV": marks the file as this program's archive.
constexpr int kApplicationId = 0x4B454C56;
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE sources (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE
);
CREATE TABLE frames (
    id INTEGER PRIMARY KEY,
    rx_ms INTEGER,
    bytes BLOB NOT NULL,
    beacon INTEGER NOT NULL,
    rx_form INTEGER NOT NULL,
    source INTEGER NOT NULL REFERENCES sources(id),
    position INTEGER NOT NULL,
    added_ms INTEGER NOT NULL,
    copies INTEGER NOT NULL DEFAULT 1,
    key INTEGER NOT NULL
);
CREATE INDEX frames_rx ON frames(rx_ms, key);
)sql";

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

// The single integer a query returns; nothing when it fails.
std::optional<std::int64_t> QueryInt(sqlite3* db, const char* sql, std::string& error) {
    Statement s(db, sql);
    const int rc = s.get() == nullptr ? sqlite3_errcode(db) : sqlite3_step(s.get());
    if (rc != SQLITE_ROW) {
        error = sqlite3_errmsg(db);
        return std::nullopt;
    }
    return sqlite3_column_int64(s.get(), 0);
}

std::string Message(sqlite3* db) { return sqlite3_errmsg(db); }

}  // namespace

std::int64_t FrameKey(std::string_view bytes) {
    std::uint32_t h = 2166136261u;
    for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return static_cast<std::int64_t>(h & 0x7FFFFFFFu);
}

Archive::Archive(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

Archive::~Archive() {
    for (sqlite3_stmt* s : {m_find, m_findUntimed, m_insert, m_again}) sqlite3_finalize(s);
    sqlite3_close_v2(m_db);
}

std::unique_ptr<Archive> Archive::Open(const std::string& path, bool writable, std::string& error) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error = path + " is not a file";
        return nullptr;
    }
    if (exists && writable && ::access(path.c_str(), W_OK) != 0) {
        error = path + ": cannot be written (read-only)";
        return nullptr;
    }
    if (!exists && !writable) {
        error = path + " does not exist";
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int flags =
        (writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
        SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error =
            "cannot open " + path + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::unique_ptr<Archive> archive(new Archive(db, path));
    sqlite3_busy_timeout(db, 5000);
    auto fail = [&](const std::string& why) {
        error = path + ": " + why;
        return nullptr;
    };
    // Reading the header first: a file that is no database, or another
    // program's database, is left exactly as it was.
    std::string why;
    const auto appId = QueryInt(db, "PRAGMA application_id", why);
    if (!appId) return fail("not a KELVANOR archive (" + why + ")");
    const auto tables = QueryInt(db, "SELECT count(*) FROM sqlite_schema", why);
    if (!tables) return fail("not a KELVANOR archive (" + why + ")");
    const bool fresh = *appId == 0 && *tables == 0;
    if (!fresh && *appId != kApplicationId)
        return fail("a database of another program, not a KELVANOR archive");
    if (writable && sqlite3_db_readonly(db, "main") == 1)
        return fail("cannot be written (read-only)");
    if (writable) {
        // Write-ahead logging: a process killed at any moment leaves every
        // committed transaction and nothing else.
        // Checkpoints (the only writes that wait for the disk) every 64 MB
        // of log rather than every 4 MB: a day's recording goes in at once.
        bool walOn = false;
        {
            Statement wal(db, "PRAGMA journal_mode=WAL");
            walOn = wal.get() != nullptr && sqlite3_step(wal.get()) == SQLITE_ROW &&
                    std::string_view(
                        reinterpret_cast<const char*>(sqlite3_column_text(wal.get(), 0))) == "wal";
        }
        if (!walOn) return fail("cannot keep a write-ahead log beside it (" + Message(db) + ")");
        if (!Exec(db, "PRAGMA synchronous=NORMAL", why) ||
            !Exec(db, "PRAGMA wal_autocheckpoint=16384; PRAGMA journal_size_limit=67108864", why)) {
            return fail(why);
        }
        if (fresh) {
            const std::string create = std::string("BEGIN;") + kSchema +
                                       "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                       ";PRAGMA user_version=" + std::to_string(kSchemaVersion) +
                                       ";COMMIT;";
            if (!Exec(db, create.c_str(), why)) {
                Exec(db, "ROLLBACK", why);
                return fail("cannot create the archive: " + why);
            }
        }
        if (!archive->Prepare(why)) return fail(why);
    } else if (fresh) {
        return fail("an empty database, not a KELVANOR archive");
    }
    return archive;
}

bool Archive::Prepare(std::string& error) {
    const struct {
        sqlite3_stmt** stmt;
        const char* sql;
    } all[] = {
        {&m_find,
         "SELECT id FROM frames WHERE rx_ms BETWEEN ?2 - 10000 AND ?2 + 10000 AND key = ?1 AND "
         "bytes = ?3 "
         "LIMIT 1"},
        {&m_findUntimed,
         "SELECT id FROM frames WHERE rx_ms IS NULL AND key = ?1 AND bytes = ?3 LIMIT 1"},
        {&m_insert,
         "INSERT INTO frames (rx_ms, bytes, beacon, rx_form, source, position, added_ms, key) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
        {&m_again, "UPDATE frames SET copies = copies + 1 WHERE id = ?1"},
    };
    static_assert(kSameFrameWindowMs == 10000);
    for (const auto& s : all) {
        if (sqlite3_prepare_v3(m_db, s.sql, -1, SQLITE_PREPARE_PERSISTENT, s.stmt, nullptr) !=
            SQLITE_OK) {
            error = Error();
            return false;
        }
    }
    return true;
}

std::string Archive::Error() const { return sqlite3_errmsg(m_db); }

bool Archive::Begin(std::string& error) {
    if (Exec(m_db, "BEGIN IMMEDIATE", error)) return true;
    error = m_path + ": " + error;
    return false;
}

bool Archive::Commit(std::string& error) {
    if (Exec(m_db, "COMMIT", error)) return true;
    error = m_path + ": " + error;
    Rollback();
    return false;
}

void Archive::Rollback() {
    std::string ignored;
    if (sqlite3_get_autocommit(m_db) == 0) Exec(m_db, "ROLLBACK", ignored);
}

std::optional<std::int64_t> Archive::SourceId(const std::string& name, std::string& error) {
    Statement insert(m_db, "INSERT OR IGNORE INTO sources (name) VALUES (?1)");
    Statement find(m_db, "SELECT id FROM sources WHERE name = ?1");
    for (sqlite3_stmt* s : {insert.get(), find.get()}) {
        if (s == nullptr) break;
        sqlite3_bind_text(s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    }
    if (insert.get() != nullptr && find.get() != nullptr &&
        sqlite3_step(insert.get()) == SQLITE_DONE && sqlite3_step(find.get()) == SQLITE_ROW) {
        return sqlite3_column_int64(find.get(), 0);
    }
    error = m_path + ": " + Error();
    return std::nullopt;
}

Archive::AddResult Archive::Add(const TakenFrame& frame, std::int64_t sourceId,
                                std::int64_t addedMs, std::string& error) {
    const std::int64_t key = FrameKey(frame.bytes);
    const int size = static_cast<int>(frame.bytes.size());
    sqlite3_stmt* find = frame.rxMs ? m_find : m_findUntimed;
    sqlite3_reset(find);
    sqlite3_bind_int64(find, 1, key);
    if (frame.rxMs) sqlite3_bind_int64(find, 2, *frame.rxMs);
    sqlite3_bind_blob(find, 3, frame.bytes.data(), size, SQLITE_STATIC);
    int rc = sqlite3_step(find);
    if (rc == SQLITE_ROW) {
        const std::int64_t id = sqlite3_column_int64(find, 0);
        sqlite3_reset(find);
        sqlite3_reset(m_again);
        sqlite3_bind_int64(m_again, 1, id);
        rc = sqlite3_step(m_again);
        if (rc == SQLITE_DONE) return AddResult::Duplicate;
    } else if (rc == SQLITE_DONE) {
        sqlite3_reset(find);
        sqlite3_reset(m_insert);
        if (frame.rxMs) {
            sqlite3_bind_int64(m_insert, 1, *frame.rxMs);
        } else {
            sqlite3_bind_null(m_insert, 1);
        }
        sqlite3_bind_blob(m_insert, 2, frame.bytes.data(), size, SQLITE_STATIC);
        sqlite3_bind_int(m_insert, 3, frame.beacon ? 1 : 0);
        sqlite3_bind_int(m_insert, 4, static_cast<int>(frame.form));
        sqlite3_bind_int64(m_insert, 5, sourceId);
        sqlite3_bind_int64(m_insert, 6, static_cast<std::int64_t>(frame.position));
        sqlite3_bind_int64(m_insert, 7, addedMs);
        sqlite3_bind_int64(m_insert, 8, key);
        rc = sqlite3_step(m_insert);
        if (rc == SQLITE_DONE) return AddResult::Added;
    }
    error = m_path + ": " + Error();
    sqlite3_reset(find);
    return AddResult::Failed;
}

bool Archive::NewestBeacons(const TimeRange& range, int limit, std::vector<ArchivedBeacon>& out,
                            bool& more, std::string& error) {
    out.clear();
    more = false;
    // Beacons of one reception time load in the order they were added.
    Statement s(
        m_db,
        "SELECT bytes, rx_ms, rx_form FROM frames WHERE beacon = 1 AND rx_ms >= ?1 AND rx_ms < ?2 "
        "ORDER BY rx_ms DESC, id DESC LIMIT ?3");
    if (s.get() == nullptr) {
        error = m_path + ": " + Error();
        return false;
    }
    sqlite3_bind_int64(s.get(), 1, range.from.value_or(INT64_MIN));
    sqlite3_bind_int64(s.get(), 2, range.to.value_or(INT64_MAX));
    sqlite3_bind_int(s.get(), 3, limit + 1);
    out.reserve(static_cast<std::size_t>(limit));
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        if (static_cast<int>(out.size()) == limit) {
            more = true;
            break;
        }
        ArchivedBeacon b;
        const auto* data = static_cast<const char*>(sqlite3_column_blob(s.get(), 0));
        b.bytes.assign(data != nullptr ? data : "",
                       static_cast<std::size_t>(sqlite3_column_bytes(s.get(), 0)));
        b.rxMs = sqlite3_column_int64(s.get(), 1);
        b.form = static_cast<RxTimeForm>(std::clamp(sqlite3_column_int(s.get(), 2), 0, 2));
        out.push_back(std::move(b));
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        error = m_path + ": " + Error();
        return false;
    }
    std::reverse(out.begin(), out.end());
    return true;
}

std::optional<TimeRange> Archive::LastPass() {
    Statement s(
        m_db,
        "SELECT rx_ms FROM frames WHERE beacon = 1 AND rx_ms IS NOT NULL ORDER BY rx_ms DESC");
    if (s.get() == nullptr || sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
    const std::int64_t newest = sqlite3_column_int64(s.get(), 0);
    std::int64_t first = newest;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        const std::int64_t t = sqlite3_column_int64(s.get(), 0);
        if (first - t > kPassGapMs) break;
        first = t;
    }
    return TimeRange{first, newest + 1};
}

bool Archive::Stats(ArchiveStats& stats, std::string& error) {
    Statement s(m_db,
                "SELECT count(*), coalesce(sum(beacon), 0), coalesce(sum(copies - 1), 0), "
                "(SELECT min(rx_ms) FROM frames WHERE beacon = 1), (SELECT max(rx_ms) FROM frames "
                "WHERE beacon = 1) "
                "FROM frames");
    if (s.get() == nullptr || sqlite3_step(s.get()) != SQLITE_ROW) {
        error = m_path + ": " + Error();
        return false;
    }
    stats.frames = sqlite3_column_int64(s.get(), 0);
    stats.beacons = sqlite3_column_int64(s.get(), 1);
    stats.duplicates = sqlite3_column_int64(s.get(), 2);
    for (int c : {3, 4}) {
        auto& end = c == 3 ? stats.firstMs : stats.lastMs;
        if (sqlite3_column_type(s.get(), c) != SQLITE_NULL) end = sqlite3_column_int64(s.get(), c);
    }
    return true;
}

}  // namespace kelvanor
