#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kelvanor {

struct ChartModel;
class RecordStore;

// Minimum, maximum and mean of a channel over the charted records. Values
// that are not finite are left out; `count` says how many took part.
struct ChannelStats {
    int count = 0;
    double min = 0;
    double max = 0;
    double mean = 0;
};

ChannelStats ComputeStats(std::span<const double> values);

// "min 7.1 V   max 8.3 V   mean 7.74533 V", or "no values" when none took
// part. All three are rounded to the decimal places that give the larger
// extreme six significant digits.
std::string StatsText(const ChannelStats& stats, std::string_view unit, char decimalSeparator);

// The chart's hover readout for `record` of the charted channel:
// "#12   2020-11-29 21:20:22.000 UTC   8.123 V". Empty for a record the
// chart does not hold.
std::string ReadoutText(const ChartModel& chart, const RecordStore& records, int record,
                        char decimalSeparator);

}  // namespace kelvanor
