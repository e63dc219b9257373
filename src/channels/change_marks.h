#pragma once

#include <array>
#include <string>

#include "channels/presentation.h"

namespace kelvanor {

// Which value boxes changed their text from the record shown before. The
// window hands every display refresh to Observe; a box is marked when a new
// record was shown and its text differs from what the previous one showed.
// Boxes emptied by an import start afresh: the first record after them marks
// nothing.
class ChangeMarks {
public:
    void Observe(const RecordDisplay& display);
    bool Marked(int channel) const { return m_marked[static_cast<std::size_t>(channel)]; }
    int Count() const;

private:
    std::array<std::string, kChannelCount> m_previous;
    std::array<bool, kChannelCount> m_marked{};
    unsigned long m_shows = 0;
    bool m_havePrevious = false;
};

}  // namespace kelvanor
