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

bool ArchiveTap::Commit() {
    std::string error;
    if (!m_archive->Commit(error)) {
        Fail(error);
        return false;
    }
    m_committedBeacons += m_beacons;
    return true;
}

bool ArchiveTap::Begin() {
    std::string error;
    m_addedMs = m_clock();
    m_beacons = 0;
    if (!m_archive->Begin(error)) Fail(error);
    return m_archive != nullptr;
}

void ArchiveTap::BeginSource(const std::string& source) {
    if (m_archive == nullptr) return;
    // A source inside another (a live arrival during an import) starts afresh.
    if (!m_sources.empty() && !Commit()) return;
    if (!Begin()) return;
    std::string error;
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
    if (Commit() && !m_sources.empty()) Begin();  // the outer source goes on
}

}  // namespace kelvanor
