#include "decode/number_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "decode/regional_settings.h"

namespace kelvanor {
namespace {

// The general number form, in both decimal separators.
TEST(NumberTextTest, GeneralForm) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {-0.0, "0"}, {12, "12"}, {3.250, "3.25"}, {-310, "-310"},
        {663000000.5, "663000000.5"}, {0.1, "0.1"}, {0.0001, "0.0001"}, {0.00001, "1E-05"},
        {-0.00002, "-2E-05"}, {1.5e16, "1.5E+16"}, {1e15, "1E+15"},
        {999999999999999, "999999999999999"}, {123456789012345678.0, "1.23456789012346E+17"},
        {1.0 / 3, "0.333333333333333"}, {19.5068359375, "19.5068359375"},
        {2.0 / 3 * 1e-7, "6.66666666666667E-08"}, {1e-100, "1E-100"}, {1e-10, "1E-10"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
        {std::numeric_limits<double>::infinity(), "Infinity"},
    };
    for (auto [value, text] : cases) EXPECT_EQ(NumberText(value), text) << text;
    EXPECT_EQ(NumberText(3.25, ','), "3,25");
    EXPECT_EQ(NumberText(1.5e16, ','), "1,5E+16");
    EXPECT_EQ(NumberText(12, ','), "12");
}

TEST(TwoDecimalsTest, ZeroPointZeroZeroForm) {
    const std::pair<double, const char*> cases[] = {
        {21.456, "21.46"}, {0, "0.00"}, {-3.1, "-3.10"}, {6878.1449, "6878.14"}, {7.5, "7.50"},
        {-0.001, "0.00"},  {1234567.891, "1234567.89"},
    };
    for (auto [value, text] : cases) {
        std::string out;
        AppendTwoDecimals(out, value);
        EXPECT_EQ(out, text) << text;
    }
    std::string comma;
    AppendTwoDecimals(comma, -3.1, ',');
    EXPECT_EQ(comma, "-3,10");
}

TEST(RegionalFormsTest, DateAndTimePatterns) {
    const CivilDateTime evening{2020, 2, 9, 21, 5, 7};
    const CivilDateTime midnight{1999, 12, 31, 0, 0, 0};
    // the instant, the short date and long time patterns, the text
    const std::tuple<CivilDateTime, const char*, const char*, const char*> cases[] = {
        {evening, "yyyy-MM-dd", "HH:mm:ss", "2020-02-09 21:05:07"},
        {evening, "d.M.yy", "H:m:s", "9.2.20 21:5:7"},
        {evening, "M/d/yyyy", "h:mm:ss AP t", "2/9/2020 9:05:07 PM"},
        {midnight, "M/d/yyyy", "h:mm ap", "12/31/1999 12:00 am"},
        {CivilDateTime{1999, 12, 31, 12, 0, 0}, "yy", "h:mm ap", "99 12:00 pm"},  // noon
        {CivilDateTime{1999, 12, 31, 9, 3, 0}, "yy", "hh:m ap", "99 09:3 am"},
        {evening, "dd'.'MM''yy", "h AP-mm", "09.02'20 9 PM-05"},
        {evening, "yyyy", "h:mm", "2020 21:05"},  // no day-half mark: 24 hours
        {evening, "yyyy", "A h", "2020 A 21"},    // a lone A is literal text
    };
    for (const auto& [value, date, time, text] : cases)
        EXPECT_EQ(FormatDateTime(value, {'.', date, time}), text) << date << " " << time;
}

TEST(RegionalFormsTest, DaysCountFrom1970AcrossLeapDays) {
    // the date, its day number
    const std::tuple<int, int, int, long long> cases[] = {
        {1970, 1, 1, 0}, {2000, 2, 29, 11016}, {2000, 3, 1, 11017}, {1969, 12, 31, -1},
        {2100, 3, 1, 47541}, {100, 1, 1, -683003}, {9999, 12, 31, 2932896}};
    for (const auto& [year, month, day, days] : cases) {
        EXPECT_EQ(DaysFromCivil(year, month, day), days) << year << "-" << month;
        int y = 0, m = 0, d = 0;
        CivilFromDays(days, y, m, d);
        EXPECT_EQ(std::tuple(y, m, d), std::tuple(year, month, day)) << days;
    }
}

}  // namespace
}  // namespace kelvanor
