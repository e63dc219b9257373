#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/archive_tap.h"

namespace kelvanor {

// The archive kelvanor-cli adds to; nullptr after the message on standard
// error when it cannot be used.
std::unique_ptr<ArchiveTap> OpenArchiveForAdding(const std::string& path);

// --archive-stats: frames, beacons, first and last reception, duplicates
// dropped, one per line on standard output. Returns the exit status.
int PrintArchiveStats(const std::string& path);

// The progress of a long import on a terminal: files done, beacons added,
// beacons a second, rewritten in place on standard error. Shows nothing when
// standard error is not a terminal.
class ProgressLine {
public:
    ProgressLine(const ArchiveTap& tap, std::size_t files);
    void FileDone();
    ~ProgressLine();

private:
    const ArchiveTap& m_tap;
    std::size_t m_files, m_done = 0;
    bool m_shown;
    std::int64_t m_startMs;
};

}  // namespace kelvanor
