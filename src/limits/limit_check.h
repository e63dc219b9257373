#pragma once

#include <array>
#include <string>

#include "limits/limit_set.h"

namespace kelvanor {

enum class LimitLevel { None, Yellow, Red };

// Which bound or code list a value crossed.
enum class LimitBound {
    None,
    RedLow,
    YellowLow,
    YellowHigh,
    RedHigh,
    RedCode,
    YellowCode,
    NotAllowed
};

struct LimitMark {
    LimitLevel level = LimitLevel::None;
    LimitBound bound = LimitBound::None;
};
using LimitMarks = std::array<LimitMark, kChannelCount>;

// The level one value reaches by itself, with no persistence.
LimitLevel LevelOf(const ChannelLimits& limits, double value);

// The bound `value` crosses at `level` (Yellow also names a red bound when
// no yellow bound lies before it); None when it crosses none there.
LimitBound BoundCrossed(const ChannelLimits& limits, double value, LimitLevel level);

// The mark of channel `channel` for record n: the highest level that records
// n, n-1, ... have reached without a break for the channel's persistence
// (records before 1 do not count, so the first records of an import need a
// full run of their own), with the bound record n's value crosses.
LimitMark MarkOf(const LimitSet& limits, const RecordStore& records, long long n, int channel);

// Every channel's mark for record n; all None outside 1..10000.
LimitMarks MarkRecord(const LimitSet& limits, const RecordStore& records, long long n);

struct LimitCounts {
    int yellow = 0;
    int red = 0;
};
LimitCounts CountMarks(const LimitMarks& marks);

// "red_high 8.5", "yellow_low 6.6", "red code 4", "yellow code 1",
// "allowed 3 4 5": the bound as limits.ini writes it, numbers in their
// shortest form with ".".
std::string BoundText(const ChannelLimits& limits, LimitBound bound, double value);

// A number in its shortest exact form with "." (8.5, -0.25, 1e-05).
std::string LimitNumber(double value);

// The channels that the newest record, n, raises to red (red at n and not
// at n - 1), named for the status line: "RED: EPS Battery VOC 5.9 (red_low
// 6)", several joined by "; "; empty when none.
std::string RaisedToRedText(const LimitSet& limits, const RecordStore& records, long long n);

}  // namespace kelvanor
