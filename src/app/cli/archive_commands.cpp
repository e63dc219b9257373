#include "archive_commands.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "archive/archive_load.h"
#include "decode/regional_settings.h"

namespace kelvanor {

std::unique_ptr<ArchiveTap> OpenArchiveForAdding(const std::string& path) {
    std::string error;
    std::unique_ptr<Archive> archive = Archive::Open(path, true, error);
    if (archive == nullptr) {
        std::cerr << "kelvanor-cli: archive " << error << "; going on without the archive\n";
        return nullptr;
    }
    return std::make_unique<ArchiveTap>(std::move(archive), [](const std::string& message) {
        std::cerr << "\nkelvanor-cli: archive " << message << "\n";
    });
}

int PrintArchiveStats(const std::string& path) {
    std::string error;
    ArchiveStats stats;
    std::unique_ptr<Archive> archive = Archive::Open(path, false, error);
    if (archive == nullptr || !archive->Stats(stats, error)) {
        std::cerr << "kelvanor-cli: archive " << error << "\n";
        return 1;
    }
    auto when = [](const std::optional<std::int64_t>& ms) {
        return ms ? RxTimestampText(*ms, RxTimeForm::Recorder, {}) : std::string("-");
    };
    std::cout << "frames: " << stats.frames << "\nbeacons: " << stats.beacons
              << "\nfirst reception: " << when(stats.firstMs)
              << "\nlast reception: " << when(stats.lastMs)
              << "\nduplicates dropped: " << stats.duplicates << "\n";
    return 0;
}

ProgressLine::ProgressLine(const ArchiveTap& tap, std::size_t files)
    : m_tap(tap),
      m_files(files),
      m_shown(isatty(STDERR_FILENO) == 1),
      m_startMs(SystemUtcMilliseconds()) {}

void ProgressLine::FileDone() {
    ++m_done;
    if (!m_shown) return;
    const std::int64_t ms = SystemUtcMilliseconds() - m_startMs;
    const std::int64_t rate = ms > 0 ? m_tap.committedBeacons() * 1000 / ms : 0;
    std::fprintf(stderr, "\rfiles %zu/%zu, beacons added %lld, %lld beacons/s ", m_done, m_files,
                 static_cast<long long>(m_tap.committedBeacons()), static_cast<long long>(rate));
    std::fflush(stderr);
}

ProgressLine::~ProgressLine() {
    if (m_shown && m_done > 0) std::fputc('\n', stderr);
}

}  // namespace kelvanor
