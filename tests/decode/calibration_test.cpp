#include "decode/calibration.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace kelvanor {
namespace {

// The temperature of a count at a battery voltage; counts outside 1..4095 and
// no voltage have none.
TEST(ThermistorTempTest, KnownAnswers) {
    const std::tuple<std::int16_t, std::int16_t, bool, std::optional<double>> cases[] = {
        {2048, 8000, false, 4.7236}, {2048, 1, false, 4.7236}, {2048, -5000, false, 4.7236},
        {2048, 8000, true, 5.1701},  {1000, 7400, false, 32.6512}, {1, 8000, false, 574.9616},
        {4095, 8000, false, -106.9451}, {0, 8000, false, {}}, {-1, 8000, false, {}},
        {4096, 8000, false, {}}, {5000, 8000, true, {}}, {2048, 0, false, {}},
    };
    for (const auto& [count, voltage, battery, expected] : cases) {
        const auto t = ThermistorTemp(count, voltage, battery);
        ASSERT_EQ(t.has_value(), expected.has_value()) << count << " " << voltage;
        if (t) EXPECT_NEAR(*t, *expected, 5e-5) << count << " " << voltage;
    }
}

TEST(BatteryStateOfChargeTest, KnownAnswers) {
    const std::pair<std::int16_t, double> cases[] = {
        {8000, 84.86}, {7000, 24.73}, {6000, -2.4}, {8400, 107.57}, {0, -224480.55}};
    for (auto [mv, soc] : cases) EXPECT_DOUBLE_EQ(BatteryStateOfCharge(mv), soc) << mv;
}

}  // namespace
}  // namespace kelvanor
