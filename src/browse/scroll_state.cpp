#include "browse/scroll_state.h"

#include <algorithm>

namespace kelvanor {

void ScrollState::SetValue(int value) {
    m_value = static_cast<std::int16_t>(std::clamp(value, static_cast<int>(kMinimum),
                                                   static_cast<int>(m_maximum)));
}

void ScrollState::SetMaximum(int maximum) {
    m_maximum = static_cast<std::int16_t>(std::clamp(maximum, static_cast<int>(kMinimum), 32767));
    if (m_value > m_maximum) m_value = m_maximum;
}

std::string ScrollState::CounterText() const { return kelvanor::CounterText(m_value, m_maximum); }

std::string CounterText(long long position, long long total) {
    std::string text(1, '#');
    text.append(std::to_string(position)).append(" / ").append(std::to_string(total));
    return text;
}

}  // namespace kelvanor
