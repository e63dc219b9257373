#include "decode/obc_time.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <tuple>

namespace kelvanor {
namespace {

double DayNumber(double tai) { return (tai - 37) / 86400 + 0.5; }

// The whole part (none beyond 32 bits) and the fraction of a number's 15-digit
// text: 0.99999999999999999 prints as 1 and so has no fraction; below 1E-04
// the text has the E form, no whole part, all fraction.
TEST(WholeAndFractionPartTest, SplitThroughThe15DigitText) {
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<double, std::optional<std::int32_t>, double> cases[] = {
        {5, 5, 0}, {-2.5, -2, 0.5}, {23.98972222222222, 23, 0.9897222222222},
        {0.9999999999999999, 1, 0}, {0.00001, 0, 0.00001}, {-0.00001, 0, 0.00001},
        {2147483647.5, 2147483647, 0.5}, {2147483648.5, {}, 0.5}, {1e20, {}, 0}, {kNaN, {}, 0},
    };
    for (const auto& [number, whole, fraction] : cases) {
        EXPECT_EQ(WholePart(number), whole) << number;
        if (number == number) EXPECT_DOUBLE_EQ(FractionPart(number), fraction) << number;
    }
}

// On-board times as day numbers (or TAI seconds through DayNumber) in the
// C forms unless a row names others; "-": no date of the years 100 to 9999.
TEST(FormatObcTimeTest, KnownInstantsFormsAndTheCalendarsEnds) {
    const double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = 1.0 / 0.0;
    RegionalSettings us;
    us.shortDatePattern = "M/d/yyyy";
    us.longTimePattern = "h:mm:ss AP t";
    const RegionalSettings c = RegionalSettings::C(), comma = RegionalSettings::CommaDecimal();
    const std::tuple<double, const RegionalSettings*, const char*> cases[] = {
        {DayNumber(37), &c, "2000-01-01 00:00:00"}, {DayNumber(38), &c, "2000-01-01 00:00:01"},
        {DayNumber(43237), &c, "2000-01-01 12:00:00"}, {DayNumber(86437), &c, "2000-01-02 00:00:00"},
        // the 15-digit cut loses the last second: exact arithmetic gives 23:59:23
        {DayNumber(0), &c, "1999-12-31 23:59:22"}, {DayNumber(0), &comma, "31.12.1999 23:59:22"},
        {DayNumber(660000037.5), &c, "2020-11-29 21:20:00"},
        {DayNumber(660000037.5), &us, "11/29/2020 9:20:00 PM"},
        {DayNumber(37), &us, "1/1/2000 12:00:00 AM"},
        {DayNumber(1e18), &c, "-"},                         // beyond 32-bit day counts
        {DayNumber(300000.0 * 86400 * 365), &c, "-"},       // year > 9999
        {kNaN, &c, "-"}, {kInf, &c, "-"}, {-800000, &c, "-"},
        {-693961.5, &c, "-"}, {-693960.5, &c, "0100-01-01 00:00:00"},  // the years 99 and 100
        {DayNumber(252455616037.0), &c, "-"},  // 10000-01-01 00:00:00
        {DayNumber(252455616037.0 - 86400), &c, "9999-12-31 00:00:00"},
        // just below midnight of a day number under 1: the cut makes the hour 24
        {DayNumber(36.9999999999), &c, "-"}, {DayNumber(36.99), &c, "1999-12-31 23:59:59"},
    };
    for (const auto& [day, settings, text] : cases)
        EXPECT_EQ(FormatObcTime(day, *settings).value_or("-"), text) << day;
    EXPECT_TRUE(FormatObcTime(DayNumber(86400.0 * 365 * 7900), c));
}

}  // namespace
}  // namespace kelvanor
