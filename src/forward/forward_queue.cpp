#include "forward/forward_queue.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "acquire/file_io.h"
#include "acquire/utc_clock.h"

namespace kelvanor {

namespace {

bool Fail(std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    return false;
}

// A whole request line as this program writes it.
bool IsRequestLine(std::string_view line) {
    return line.rfind("noradID=", 0) == 0 && line.find("&version=") != std::string_view::npos;
}

}  // namespace

ForwardQueue::~ForwardQueue() {
    if (m_fd >= 0) ::close(m_fd);
}

bool ForwardQueue::Open(const std::string& stem, std::string& error) {
    m_stem = stem;
    m_fd = ::open((stem + ".queue").c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC,
                  0644);
    if (m_fd < 0) return Fail(error, "cannot open " + stem + ".queue");
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        error = stem + ".queue is in use by another program";
        return false;
    }
    std::string journal, note, ignored;
    if (!ReadWholeFile(stem + ".queue", journal, error)) return false;
    std::uint64_t done = 0;
    if (ReadWholeFile(stem + ".done", note, ignored)) {
        std::from_chars(note.data(), note.data() + note.size(), done);
    }
    if (!journal.empty() && journal.back() != '\n') {
        // Cut short while being written: closed off, and passed over below.
        if (!WriteAll(m_fd, "\r\n")) return Fail(error, "cannot write " + stem + ".queue");
        journal += "\r\n";
    }
    m_size = journal.size();
    std::size_t start = done <= journal.size() ? static_cast<std::size_t>(done) : journal.size();
    while (start < journal.size()) {
        const std::size_t lf = journal.find('\n', start);
        std::string_view line = std::string_view(journal).substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = lf + 1;
        if (IsRequestLine(line)) pending.push_back({std::string(line), start});
    }
    // A note past the end: the journal was emptied and the program stopped
    // before the note followed. Nothing after the end was done.
    if (done > m_size && !WriteNote(m_size, error)) return false;
    ShortenIfAllDone(ignored);  // a journal that stays long still works
    return true;
}

bool ForwardQueue::Append(std::string_view body, std::string& error) {
    std::string line(body);
    line += "\r\n";
    if (!WriteAll(m_fd, line)) return Fail(error, "cannot write " + m_stem + ".queue");
    m_size += line.size();
    pending.push_back({std::string(body), m_size});
    return true;
}

bool ForwardQueue::Sync(std::string& error) {
    return ::fdatasync(m_fd) == 0 || Fail(error, "cannot sync " + m_stem + ".queue");
}

bool ForwardQueue::WriteNote(std::uint64_t offset, std::string& error) {
    return WriteWholeFile(m_stem + ".done", std::to_string(offset) + "\r\n", error);
}

// What was forwarded stays on record: the journal's lines go to a file of
// their own, named by the UTC time, before the journal is emptied; then the
// note goes back to its start. Each step is on the disk before the next: a
// stop in between leaves a second copy, or a note past the end.
bool ForwardQueue::ShortenIfAllDone(std::string& error) {
    if (!pending.empty() || m_size < m_shortenFrom) return true;
    std::string lines, name = UtcNowText(SystemUtcClock());  // "2026-12-07 06:23:00.123"
    std::replace(name.begin(), name.end(), ' ', '_');
    std::replace(name.begin(), name.end(), ':', '-');
    const std::string copy = m_stem + ".sent-" + name;
    std::error_code ec;
    if (std::filesystem::exists(copy, ec)) return true;  // the next line done shortens it
    if (!ReadWholeFile(m_stem + ".queue", lines, error) || !WriteWholeFile(copy, lines, error)) {
        error = "cannot keep the sent lines in " + copy + ": " + error;
        return false;
    }
    if (::ftruncate(m_fd, 0) != 0 || ::fsync(m_fd) != 0)
        return Fail(error, "cannot shorten " + m_stem + ".queue");
    m_size = 0;
    return WriteNote(0, error);
}

bool ForwardQueue::Done(std::string& error) {
    if (pending.empty()) return true;
    const std::uint64_t end = pending.front().end;
    pending.pop_front();
    return WriteNote(end, error) && ShortenIfAllDone(error);
}

bool ForwardQueue::SetAside(std::string_view reason, std::string& error) {
    if (pending.empty()) return true;
    std::string line = UtcNowText(SystemUtcClock()) + " UTC ";
    for (char c : reason.substr(0, 500)) {
        const auto b = static_cast<unsigned char>(c);
        line.push_back(b < 0x20 || b == 0x7F ? ' ' : c);
    }
    line += " | " + pending.front().body + "\r\n";
    const std::string path = m_stem + ".refused";
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, "cannot open " + path);
    const bool ok = WriteAll(fd, line) && ::fdatasync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (!ok) return Fail(error, "cannot write " + path);
    return Done(error);
}

std::string QueueStem(const std::string& folder, const std::string& url) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    std::string name;
    for (char c : url) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (name.size() < 48) name.push_back(plain ? c : '_');
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    std::string stem = folder;
    if (!stem.empty() && stem.back() != '/') stem.push_back('/');
    return stem + "sids-" + name + "-" + hex;
}

}  // namespace kelvanor
