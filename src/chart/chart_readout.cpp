#include "chart/chart_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "channels/channel_table.h"
#include "decode/number_text.h"
#include "chart/chart_model.h"
#include "decode/record_store.h"

namespace kelvanor {
namespace {

void AppendWithUnit(std::string& out, double v, std::string_view unit, char separator) {
    AppendNumberText(out, v, separator);
    if (!unit.empty()) out.append(" ").append(unit);
}

double SixDigits(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return std::strtod(buf, nullptr);
}

}  // namespace

ChannelStats ComputeStats(std::span<const double> values) {
    ChannelStats s;
    long double sum = 0;
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        if (s.count == 0) {
            s.min = s.max = v;
        } else {
            s.min = std::min(s.min, v);
            s.max = std::max(s.max, v);
        }
        sum += v;
        ++s.count;
    }
    if (s.count > 0) {
        // The mean of values near the largest doubles still lies between them.
        s.mean = std::clamp(static_cast<double>(sum / s.count), s.min, s.max);
    }
    return s;
}

std::string StatsText(const ChannelStats& stats, std::string_view unit, char decimalSeparator) {
    if (stats.count == 0) return "no values";
    std::string text("min ");
    AppendWithUnit(text, stats.min, unit, decimalSeparator);
    text.append("   max ");
    AppendWithUnit(text, stats.max, unit, decimalSeparator);
    text.append("   mean ");
    AppendWithUnit(text, SixDigits(stats.mean), unit, decimalSeparator);
    return text;
}

std::string ReadoutText(const ChartModel& chart, const RecordStore& records, int record,
                        char decimalSeparator) {
    if (!chart.drawn || record < 1 || record > chart.Points()) return {};
    std::string text("#");
    text.append(std::to_string(record)).append("   ");
    text.append(records.Record(record).RxTime).append("   ");
    AppendWithUnit(text, chart.values[static_cast<std::size_t>(record) - 1], Channel(chart.channel).unit,
                   decimalSeparator);
    return text;
}

}  // namespace kelvanor
