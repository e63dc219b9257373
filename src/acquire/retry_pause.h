#pragma once

namespace kelvanor {

// The pauses between tries of a lost live link: 1 s, doubling, at most 60 s;
// back to 1 s once the link has delivered data again.
class RetryPause {
public:
    static constexpr int kFirstSeconds = 1;
    static constexpr int kLongestSeconds = 60;

    // The pause before the next try, in seconds; the one after it doubles.
    int Next() {
        const int pause = m_next;
        m_next = m_next >= kLongestSeconds / 2 ? kLongestSeconds : m_next * 2;
        return pause;
    }
    void Reset() { m_next = kFirstSeconds; }

private:
    int m_next = kFirstSeconds;
};

}  // namespace kelvanor
