#include "decode/calibration.h"

#include <gtest/gtest.h>

namespace kelvanor {
namespace {

TEST(ThermistorTempTest, KnownAnswers) {
    struct Case {
        std::int16_t count, voltage;
        bool battery;
        double expected;
    } cases[] = {
        {2048, 8000, false, 4.7236}, {2048, 1, false, 4.7236}, {2048, -5000, false, 4.7236},
        {2048, 8000, true, 5.1701},  {1000, 7400, false, 32.6512},
    };
    for (const Case& c : cases) {
        auto t = ThermistorTemp(c.count, c.voltage, c.battery);
        ASSERT_TRUE(t.has_value()) << c.count;
        EXPECT_NEAR(*t, c.expected, 5e-5) << c.count << " " << c.voltage;
    }
}

TEST(ThermistorTempTest, UndefinedInputsFail) {
    EXPECT_FALSE(ThermistorTemp(0, 8000, false));
    EXPECT_FALSE(ThermistorTemp(-1, 8000, false));
    EXPECT_FALSE(ThermistorTemp(4096, 8000, false));
    EXPECT_FALSE(ThermistorTemp(5000, 8000, true));
    EXPECT_FALSE(ThermistorTemp(2048, 0, false));
    EXPECT_TRUE(ThermistorTemp(1, 8000, false));
    EXPECT_TRUE(ThermistorTemp(4095, 8000, false));
}

TEST(BatteryStateOfChargeTest, KnownAnswers) {
    struct Case {
        std::int16_t mv;
        double expected;
    } cases[] = {{8000, 84.86}, {7000, 24.73}, {6000, -2.4}, {8400, 107.57}, {0, -224480.55}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(BatteryStateOfCharge(c.mv), c.expected) << c.mv;
}

}  // namespace
}  // namespace kelvanor
