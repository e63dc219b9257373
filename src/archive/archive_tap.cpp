#include "archive/archive_tap.h"

namespace kelvanor {

std::int64_t SystemUtcMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ArchiveTap::ArchiveTap(std::unique_ptr<Archive> archive,
                       std::function<void(const std::string&)> onFailure, Clock clock)
    : m_archive(std::move(archive)),
      m_onFailure(std::move(onFailure)),
      m_clock(clock ? std::move(clock) : Clock(SystemUtcMilliseconds)) {}

ArchiveTap::~ArchiveTap() {
    if (m_archive != nullptr && !m_sources.empty()) {
        std::string error;
        m_archive->Commit(error);
    }
}

void ArchiveTap::Fail(const std::string& error) {
    if (m_archive == nullptr) return;
    m_archive->Rollback();
    m_archive.reset();
    m_sources.clear();
    if (m_onFailure) m_onFailure(error + "; going on without the archive");
}

void ArchiveTap::BeginSource(const std::string& source) {
    if (m_archive == nullptr) return;
    std::string error;
    if (m_sources.empty()) {
        m_addedMs = m_clock();
        m_beacons = 0;
        if (!m_archive->Begin(error)) return Fail(error);
    }
    const auto id = m_archive->SourceId(source, error);
    if (!id) return Fail(error);
    m_sources.push_back(*id);
}

void ArchiveTap::Take(const TakenFrame& frame) {
    if (m_archive == nullptr || m_sources.empty()) return;
    std::string error;
    const Archive::AddResult result = m_archive->Add(frame, m_sources.back(), m_addedMs, error);
    if (result == Archive::AddResult::Failed) return Fail(error);
    if (result == Archive::AddResult::Added && frame.beacon) ++m_beacons;
}

void ArchiveTap::EndSource() {
    if (m_archive == nullptr || m_sources.empty()) return;
    m_sources.pop_back();
    if (!m_sources.empty()) return;
    std::string error;
    if (!m_archive->Commit(error)) return Fail(error);
    m_committedBeacons += m_beacons;
}

}  // namespace kelvanor
