#include "limits/limit_check.h"

#include <algorithm>
#include <charconv>

#include "channels/channel_table.h"

namespace kelvanor {

namespace {

bool Listed(const std::vector<double>& codes, double v) {
    return std::find(codes.begin(), codes.end(), v) != codes.end();
}

LimitBound RedBound(const ChannelLimits& l, double v) {
    if (l.redLow && v < *l.redLow) return LimitBound::RedLow;
    if (l.redHigh && v > *l.redHigh) return LimitBound::RedHigh;
    if (Listed(l.redCodes, v)) return LimitBound::RedCode;
    if (!l.allowed.empty() && !Listed(l.allowed, v)) return LimitBound::NotAllowed;
    return LimitBound::None;
}

LimitBound YellowBound(const ChannelLimits& l, double v) {
    if (l.yellowLow && v < *l.yellowLow) return LimitBound::YellowLow;
    if (l.yellowHigh && v > *l.yellowHigh) return LimitBound::YellowHigh;
    if (Listed(l.yellowCodes, v)) return LimitBound::YellowCode;
    return LimitBound::None;
}

std::string Codes(const char* word, const std::vector<double>& codes) {
    std::string text = word;
    for (double c : codes) text += " " + LimitNumber(c);
    return text;
}

}  // namespace

LimitLevel LevelOf(const ChannelLimits& limits, double value) {
    if (RedBound(limits, value) != LimitBound::None) return LimitLevel::Red;
    if (YellowBound(limits, value) != LimitBound::None) return LimitLevel::Yellow;
    return LimitLevel::None;
}

LimitBound BoundCrossed(const ChannelLimits& limits, double value, LimitLevel level) {
    if (level == LimitLevel::Red) return RedBound(limits, value);
    if (level != LimitLevel::Yellow) return LimitBound::None;
    const LimitBound yellow = YellowBound(limits, value);
    return yellow != LimitBound::None ? yellow : RedBound(limits, value);
}

LimitMark MarkOf(const LimitSet& limits, const RecordStore& records, long long n, int channel) {
    const ChannelLimits* l = limits.Of(channel);
    if (l == nullptr || !RecordStore::IsSlot(n) || n < l->persistence) return {};
    const auto c = static_cast<std::size_t>(channel);
    LimitLevel level = LimitLevel::Red;  // the lowest level of the run so far
    for (long long r = n; r > n - l->persistence && level != LimitLevel::None; --r) {
        level = std::min(level, LevelOf(*l, records.Record(static_cast<int>(r)).Values[c]));
    }
    if (level == LimitLevel::None) return {};
    return {level, BoundCrossed(*l, records.Record(static_cast<int>(n)).Values[c], level)};
}

LimitMarks MarkRecord(const LimitSet& limits, const RecordStore& records, long long n) {
    LimitMarks marks{};
    if (!RecordStore::IsSlot(n)) return marks;
    for (int c = 0; c < kChannelCount; ++c) {
        if (limits.channel[static_cast<std::size_t>(c)])
            marks[static_cast<std::size_t>(c)] = MarkOf(limits, records, n, c);
    }
    return marks;
}

LimitCounts CountMarks(const LimitMarks& marks) {
    LimitCounts counts;
    for (const LimitMark& m : marks) {
        if (m.level == LimitLevel::Yellow) ++counts.yellow;
        if (m.level == LimitLevel::Red) ++counts.red;
    }
    return counts;
}

std::string LimitNumber(double value) {
    char buffer[32];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, res.ptr);
}

std::string BoundText(const ChannelLimits& limits, LimitBound bound, double value) {
    switch (bound) {
        case LimitBound::RedLow:
            return "red_low " + LimitNumber(*limits.redLow);
        case LimitBound::YellowLow:
            return "yellow_low " + LimitNumber(*limits.yellowLow);
        case LimitBound::YellowHigh:
            return "yellow_high " + LimitNumber(*limits.yellowHigh);
        case LimitBound::RedHigh:
            return "red_high " + LimitNumber(*limits.redHigh);
        case LimitBound::RedCode:
            return "red code " + LimitNumber(value);
        case LimitBound::YellowCode:
            return "yellow code " + LimitNumber(value);
        case LimitBound::NotAllowed:
            return Codes("allowed", limits.allowed);
        case LimitBound::None:
            break;
    }
    return {};
}

std::string RaisedToRedText(const LimitSet& limits, const RecordStore& records, long long n) {
    std::string text;
    for (int c = 0; c < kChannelCount; ++c) {
        const LimitMark now = MarkOf(limits, records, n, c);
        if (now.level != LimitLevel::Red ||
            MarkOf(limits, records, n - 1, c).level == LimitLevel::Red)
            continue;
        const double v = records.Record(static_cast<int>(n)).Values[static_cast<std::size_t>(c)];
        text += (text.empty() ? "RED: " : "; ") + std::string(Channel(c).name) + " " +
                LimitNumber(v) + " (" + BoundText(*limits.Of(c), now.bound, v) + ")";
    }
    return text;
}

}  // namespace kelvanor
