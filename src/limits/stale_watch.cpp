#include "limits/stale_watch.h"

namespace kelvanor {

std::string StaleWatch::Note(TimePoint now) const {
    if (m_seconds <= 0 || !m_since) return {};
    const auto silent = std::chrono::duration_cast<std::chrono::seconds>(now - *m_since).count();
    if (silent < m_seconds) return {};
    return "no beacon for " + std::to_string(silent) + " s";
}

}  // namespace kelvanor
