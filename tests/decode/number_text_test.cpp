#include "decode/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvanor {
namespace {

TEST(NumberTextTest, GeneralForm) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {12, "12"},
        {3.250, "3.25"},
        {-310, "-310"},
        {663000000.5, "663000000.5"},
        {0.1, "0.1"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.00002, "-2E-05"},
        {1.5e16, "1.5E+16"},
        {1e15, "1E+15"},
        {999999999999999, "999999999999999"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1.0 / 3, "0.333333333333333"},
        {19.5068359375, "19.5068359375"},
        {2.0 / 3 * 1e-7, "6.66666666666667E-08"},
        {1e-100, "1E-100"},
        {1e-10, "1E-10"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberText(c.value), c.expected) << c.expected;
}

TEST(NumberTextTest, UsesTheRegionalDecimalSeparator) {
    EXPECT_EQ(NumberText(3.25, ','), "3,25");
    EXPECT_EQ(NumberText(1.5e16, ','), "1,5E+16");
    EXPECT_EQ(NumberText(12, ','), "12");
}

TEST(TwoDecimalsTest, ZeroPointZeroZeroForm) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {21.456, "21.46"}, {0, "0.00"}, {-3.1, "-3.10"}, {6878.1449, "6878.14"}, {7.5, "7.50"},
        {-0.001, "0.00"},  {1234567.891, "1234567.89"},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendTwoDecimals(out, c.value);
        EXPECT_EQ(out, c.expected) << c.expected;
    }
    std::string comma;
    AppendTwoDecimals(comma, -3.1, ',');
    EXPECT_EQ(comma, "-3,10");
}

}  // namespace
}  // namespace kelvanor
