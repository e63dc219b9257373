#pragma once

#include <cstdint>
#include <optional>

namespace kelvanor {

// Temperature in degrees Celsius of an EPS thermistor from its ADC count and
// the battery voltage in millivolts; `batteryThermistor` selects B = 3518
// (else 3435). Empty for a count outside 1..4095 or a voltage of 0.
std::optional<double> ThermistorTemp(std::int16_t count, std::int16_t voltage,
                                     bool batteryThermistor);

// Battery state of charge in percent from the voltage in millivolts, rounded
// to two decimals (halves to even). Not clamped.
double BatteryStateOfCharge(std::int16_t voltage);

}  // namespace kelvanor
