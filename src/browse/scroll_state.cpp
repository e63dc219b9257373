#include "browse/scroll_state.h"

#include <algorithm>

namespace kelvanor {

void ScrollState::SetValue(int value) {
    const int top = m_maximum < kMinimum ? kMinimum : m_maximum;
    m_value = static_cast<std::int16_t>(std::clamp(value, static_cast<int>(kMinimum), top));
}

void ScrollState::SetMaximum(int maximum) {
    // The bound follows the record count, 0 included (the live road sets it
    // before any beacon); the position never goes below the lower bound.
    m_maximum = static_cast<std::int16_t>(std::clamp(maximum, 0, 32767));
    if (m_value > m_maximum && m_maximum >= kMinimum) m_value = m_maximum;
}

std::string ScrollState::CounterText() const { return kelvanor::CounterText(m_value, m_maximum); }

std::string CounterText(long long position, long long total) {
    std::string text(1, '#');
    text.append(std::to_string(position)).append(" / ").append(std::to_string(total));
    return text;
}

}  // namespace kelvanor
