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

// The decimal places that give the larger of two magnitudes six
// significant digits.
int CommonDecimals(double a, double b) {
    const double m = std::max(std::fabs(a), std::fabs(b));
    if (!(m > 0) || !std::isfinite(m)) return 0;
    return std::clamp(5 - static_cast<int>(std::floor(std::log10(m))), 0, 15);
}

double RoundTo(double v, int decimals) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
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
    // All three rounded to the same decimal places, so that they read alike.
    const int decimals = CommonDecimals(stats.min, stats.max);
    AppendWithUnit(text, RoundTo(stats.min, decimals), unit, decimalSeparator);
    text.append("   max ");
    AppendWithUnit(text, RoundTo(stats.max, decimals), unit, decimalSeparator);
    text.append("   mean ");
    AppendWithUnit(text, RoundTo(stats.mean, decimals), unit, decimalSeparator);
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
