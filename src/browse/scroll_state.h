#pragma once

#include <cstdint>
#include <string>

namespace kelvanor {

// The record browser's scroll bar: a position within fixed lower bound 1 and
// an upper bound that follows the record count. Setting the upper bound below
// the position pulls the position down to it.
class ScrollState {
public:
    static constexpr std::int16_t kMinimum = 1;

    std::int16_t Value() const { return m_value; }
    std::int16_t Maximum() const { return m_maximum; }

    // Moves the position, kept within the bounds.
    void SetValue(int value);
    // Sets the upper bound (0 while nothing is stored) and pulls a position
    // above it down to it.
    void SetMaximum(int maximum);

    // "#" position " / " upper bound, as in "#7 / 120".
    std::string CounterText() const;

private:
    std::int16_t m_value = kMinimum;
    std::int16_t m_maximum = kMinimum;
};

// "#" + position + " / " + total.
std::string CounterText(long long position, long long total);

}  // namespace kelvanor
