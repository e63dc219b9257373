#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/record_store.h"

namespace kelvanor {

// The health limits of one channel, as a line of limits.ini gives them. A
// value is out of a range only when it lies strictly beyond the bound: a
// value equal to red_high is not yet red. State channels list codes instead:
// a code in `redCodes` or `yellowCodes` raises that level, and when
// `allowed` is not empty every code not in it is red.
struct ChannelLimits {
    std::optional<double> redLow, yellowLow, yellowHigh, redHigh;
    std::vector<double> allowed, yellowCodes, redCodes;
    int persistence = 1;  // consecutive records out of range before a mark
};

struct LimitProblem {
    int line = 0;  // 1-based line of limits.ini
    std::string text;
};

// Everything limits.ini holds: the limits of the channels it names and the
// lines it could not read (each ignored whole).
struct LimitSet {
    std::array<std::optional<ChannelLimits>, kChannelCount> channel;
    std::vector<LimitProblem> problems;

    bool Empty() const;
    const ChannelLimits* Of(int c) const {
        return c >= 0 && c < kChannelCount && channel[static_cast<std::size_t>(c)]
                   ? &*channel[static_cast<std::size_t>(c)]
                   : nullptr;
    }
    // "limits.ini line 4: ...; line 9: ..." for the status line; empty
    // without problems.
    std::string ProblemText(std::string_view fileName) const;
};

// Reads limits.ini text: `C = item, item, ...` per line, where C is a channel
// number 0..117 and each item is a word and its numbers: red_low X,
// yellow_low X, yellow_high X, red_high X, persistence N, allowed C..., yellow
// C..., red C.... Words are matched without regard to case; numbers use "."
// as the decimal separator. "#" starts a comment; empty lines are skipped.
LimitSet ParseLimits(std::string_view text);

// Reads the file at `path`. A missing file gives an empty set and false; an
// unreadable one an empty set with a problem and true.
bool ReadLimitsFile(const std::string& path, LimitSet& limits);

}  // namespace kelvanor
