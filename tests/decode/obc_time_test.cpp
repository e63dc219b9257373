#include "decode/obc_time.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvanor {
namespace {

double DayNumber(double tai) { return (tai - 37) / 86400 + 0.5; }

TEST(WholeAndFractionPartTest, SplitThroughThe15DigitText) {
    EXPECT_EQ(WholePart(5), 5);
    EXPECT_EQ(FractionPart(5), 0);
    EXPECT_EQ(WholePart(-2.5), -2);
    EXPECT_EQ(FractionPart(-2.5), 0.5);
    EXPECT_DOUBLE_EQ(FractionPart(23.98972222222222), 0.9897222222222);
    EXPECT_EQ(WholePart(23.98972222222222), 23);
    // 0.99999999999999999 prints as 1 and so has no fraction
    EXPECT_EQ(WholePart(0.9999999999999999), 1);
    EXPECT_EQ(FractionPart(0.9999999999999999), 0);
    // below 1E-04 the text has the E form: no whole part, all fraction
    EXPECT_EQ(WholePart(0.00001), 0);
    EXPECT_EQ(FractionPart(-0.00001), 0.00001);
}

TEST(WholeAndFractionPartTest, WholePartsBeyond32BitsFail) {
    EXPECT_EQ(WholePart(2147483647.5), 2147483647);
    EXPECT_FALSE(WholePart(2147483648.5));
    EXPECT_FALSE(WholePart(1e20));
    EXPECT_FALSE(WholePart(std::numeric_limits<double>::quiet_NaN()));
}

TEST(FormatObcTimeTest, KnownInstants) {
    const RegionalSettings c = RegionalSettings::C();
    struct Case {
        double tai;
        const char* expected;
    } cases[] = {
        {37, "2000-01-01 00:00:00"},
        {38, "2000-01-01 00:00:01"},
        {43237, "2000-01-01 12:00:00"},
        {86437, "2000-01-02 00:00:00"},
        // the 15-digit cut loses the last second: exact arithmetic gives 23:59:23
        {0, "1999-12-31 23:59:22"},
        {660000037.5, "2020-11-29 21:20:00"},
    };
    for (const Case& k : cases) {
        auto text = FormatObcTime(DayNumber(k.tai), c);
        ASSERT_TRUE(text.has_value()) << k.tai;
        EXPECT_EQ(*text, k.expected) << k.tai;
    }
}

TEST(FormatObcTimeTest, FollowsTheRegionalForms) {
    auto text = FormatObcTime(DayNumber(0), RegionalSettings::CommaDecimal());
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "31.12.1999 23:59:22");

    RegionalSettings us;
    us.shortDatePattern = "M/d/yyyy";
    us.longTimePattern = "h:mm:ss AP t";
    EXPECT_EQ(*FormatObcTime(DayNumber(660000037.5), us), "11/29/2020 9:20:00 PM");
    EXPECT_EQ(*FormatObcTime(DayNumber(37), us), "1/1/2000 12:00:00 AM");
}

TEST(FormatObcTimeTest, TimesOutsideTheCalendarFail) {
    const RegionalSettings c = RegionalSettings::C();
    EXPECT_FALSE(FormatObcTime(DayNumber(1e18), c));        // beyond 32-bit day counts
    EXPECT_FALSE(FormatObcTime(DayNumber(300000.0 * 86400 * 365), c));  // year > 9999
    EXPECT_FALSE(FormatObcTime(std::numeric_limits<double>::quiet_NaN(), c));
    EXPECT_FALSE(FormatObcTime(std::numeric_limits<double>::infinity(), c));
    EXPECT_FALSE(FormatObcTime(-800000, c));  // before year 100
    EXPECT_FALSE(FormatObcTime(-693961.5, c));  // 0099-12-31
    EXPECT_EQ(FormatObcTime(-693960.5, c), "0100-01-01 00:00:00");
    EXPECT_FALSE(FormatObcTime(DayNumber(252455616037.0), c));  // 10000-01-01 00:00:00
    EXPECT_EQ(FormatObcTime(DayNumber(252455616037.0 - 86400), c), "9999-12-31 00:00:00");
    // just below midnight of a day number under 1: the cut makes the hour 24
    EXPECT_FALSE(FormatObcTime(DayNumber(36.9999999999), c));
    EXPECT_EQ(FormatObcTime(DayNumber(36.99), c), "1999-12-31 23:59:59");
    EXPECT_TRUE(FormatObcTime(DayNumber(86400.0 * 365 * 7900), c));
}

}  // namespace
}  // namespace kelvanor
