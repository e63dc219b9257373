#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace kelvanor {

// One server's queue on disk, kept across runs: an append-only journal of
// request bodies (`<stem>.queue`, one CR LF line each), a note of the
// journal offset up to which the lines are done (`<stem>.done`, replaced
// whole by a rename) and the lines the server refused (`<stem>.refused`).
// One program at a time holds a queue: the journal is locked while open.
// A journal whose lines are all done is emptied once it has grown to
// `shortenFrom` bytes, its lines kept in `<stem>.sent-<UTC time>`, so a
// station that forwards for months keeps a short journal and the whole
// record. Not thread-safe: its owner serialises the calls.
class ForwardQueue {
public:
    struct Entry {
        std::string body;
        std::uint64_t end = 0;  // the journal offset after its line
    };

    explicit ForwardQueue(std::uint64_t shortenFrom = 1 << 20) : m_shortenFrom(shortenFrom) {}
    ForwardQueue(const ForwardQueue&) = delete;
    ForwardQueue& operator=(const ForwardQueue&) = delete;
    ~ForwardQueue();

    // Opens (creating) the journal and reads the lines not yet done into
    // `pending`. A line cut short by a crash is closed off and passed over.
    bool Open(const std::string& stem, std::string& error);

    // Appends one body as a line; it is in the queue once this returns
    // (a kill of the program does not lose it; Sync makes it survive a
    // power cut).
    bool Append(std::string_view body, std::string& error);

    // Puts every line appended so far onto the disk.
    bool Sync(std::string& error);

    // The front line is done: it leaves `pending` and the note moves past it
    // (on disk before this returns).
    bool Done(std::string& error);

    // The front line was refused: `reason` and the line go to the refused
    // file (Latin-1, CR LF), then as Done.
    bool SetAside(std::string_view reason, std::string& error);

    std::deque<Entry> pending;

private:
    bool WriteNote(std::uint64_t offset, std::string& error);
    bool ShortenIfAllDone(std::string& error);

    std::string m_stem;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_shortenFrom;
};

// The file stem of a server's queue in `folder`: "sids-", the URL's letters
// and digits (others as "_", at most 48), "-" and 8 hex digits of its hash.
std::string QueueStem(const std::string& folder, const std::string& url);

}  // namespace kelvanor
