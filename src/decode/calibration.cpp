#include "decode/calibration.h"

#include <cmath>

namespace kelvanor {

std::optional<double> ThermistorTemp(std::int16_t count, std::int16_t voltage,
                                     bool batteryThermistor) {
    double c = count;
    double V = voltage;
    double v = V * c / 4096;
    double denominator = V - v;
    if (denominator == 0) return std::nullopt;
    double R = (v * 23.2) / denominator;
    double r = R / 10;
    if (!(r > 0)) return std::nullopt;
    double B = batteryThermistor ? 3518 : 3435;
    return 1 / (std::log(r) * (1 / B) + 1 / 298.0) - 273;
}

double BatteryStateOfCharge(std::int16_t voltage) {
    constexpr double c5 = 1.22771418718033e-14;
    constexpr double c4 = 4.41608192983084e-10;
    constexpr double c3 = 6.32168367565161e-06;
    constexpr double c2 = 0.045004731757696;
    constexpr double c1 = 159.33699766522;
    constexpr double c0 = 224480.553788959;
    double v = voltage;
    double p = ((((c5 * std::pow(v, 5) - c4 * std::pow(v, 4)) + c3 * std::pow(v, 3)) -
                 c2 * std::pow(v, 2)) +
                c1 * v) -
               c0;
    return std::nearbyint(p * 100) / 100;
}

}  // namespace kelvanor
