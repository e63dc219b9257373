#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquire/frame_tap.h"
#include "archive/archive.h"

namespace kelvanor {

// Adds every frame the roads take to an archive: one transaction for each
// outermost source (an imported file, a live arrival). A live arrival taken
// in the middle of an import commits what the file added so far and gets a
// transaction of its own; the file goes on in a new one. The first
// failure (a full disk, a lost file) rolls the open transaction back, is
// told once through `onFailure`, and the tap takes nothing more: the
// program goes on without the archive.
class ArchiveTap final : public FrameTap {
public:
    using Clock = std::function<std::int64_t()>;  // UTC ms for "added"
    ArchiveTap(std::unique_ptr<Archive> archive, std::function<void(const std::string&)> onFailure,
               Clock clock = nullptr);
    ~ArchiveTap() override;

    void BeginSource(const std::string& source) override;
    void Take(const TakenFrame& frame) override;
    void EndSource() override;

    bool Working() const { return m_archive != nullptr; }
    Archive* archive() const { return m_archive.get(); }
    // The beacons added by committed transactions, since the start.
    std::int64_t committedBeacons() const { return m_committedBeacons; }

private:
    void Fail(const std::string& error);
    bool Commit();  // the open transaction, its beacons counted
    bool Begin();

    std::unique_ptr<Archive> m_archive;
    std::function<void(const std::string&)> m_onFailure;
    Clock m_clock;
    std::vector<std::int64_t> m_sources;  // the open sources, outermost first
    std::int64_t m_beacons = 0, m_committedBeacons = 0;
    std::int64_t m_addedMs = 0;
};

// Milliseconds since 1970 of the system's UTC clock.
std::int64_t SystemUtcMilliseconds();

}  // namespace kelvanor
