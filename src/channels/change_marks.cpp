#include "channels/change_marks.h"

#include <algorithm>

namespace kelvanor {

void ChangeMarks::Observe(const RecordDisplay& display) {
    if (display.shownRecord == 0) {
        // Emptied boxes show no record: nothing to compare with.
        m_marked.fill(false);
        m_havePrevious = false;
        m_shows = display.shows;
        return;
    }
    if (display.shows == m_shows && m_havePrevious) return;  // no new record shown
    for (std::size_t c = 0; c < m_marked.size(); ++c) {
        m_marked[c] = m_havePrevious && m_previous[c] != display.value[c];
        m_previous[c] = display.value[c];
    }
    m_havePrevious = true;
    m_shows = display.shows;
}

int ChangeMarks::Count() const { return static_cast<int>(std::count(m_marked.begin(), m_marked.end(), true)); }

}  // namespace kelvanor
