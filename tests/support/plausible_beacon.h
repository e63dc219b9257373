#pragma once

#include <initializer_list>
#include <string>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "decode/beacon_encoder.h"

namespace kelvanor::testing {

// A beacon the decoder takes as it comes from the satellite: packet counter
// `packet`, an on-board time of `taiSeconds`, a battery of 8000 mV and the
// thermistor counts mid-range. Tests change the fields they are about.
inline BeaconEncoder PlausibleBeacon(double packet = 0, double taiSeconds = 660000037.5) {
    BeaconEncoder b;
    b.SetRaw(0, packet);
    b.SetTaiSeconds(taiSeconds);
    b.SetBatteryMillivolts(8000);
    for (int ch : {47, 48, 49, 50, 51, 53, 54}) b.SetRaw(ch, 2048);
    return b;
}

// A recording of plausible beacons whose battery voltage (channel 3) is
// `millivolts` / 1000 V in turn, each also its packet counter.
inline std::string VocPass(std::initializer_list<int> millivolts) {
    std::string bytes;
    for (int mv : millivolts) {
        BeaconEncoder b = PlausibleBeacon(mv);
        b.SetBatteryMillivolts(mv);
        bytes += RecordingEntry("2021-02-04 12:54:56.123 UTC", KissFrame(b.Frame()));
    }
    return bytes;
}

}  // namespace kelvanor::testing
