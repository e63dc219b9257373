#pragma once

#include <string>
#include <vector>

namespace kelvanor::samples {

// One received chunk of the simulated pass: what the TNC sent and when.
struct Chunk {
    std::string rxTimestamp;  // 27 characters, "... UTC"
    std::string bytes;        // FEND, 0x00, the escaped frame, FEND
    bool beacon = false;
};

inline constexpr int kSampleBeacons = 300;

// A deterministic pass over a ground station: kSampleBeacons beacons two
// seconds apart, with a few frames from other stations in between. Battery
// and charge drift through an eclipse exit, temperatures follow, position and
// velocity move along a 97-degree orbit, and the modes change a few times.
std::vector<Chunk> SimulatedPass(int beacons = kSampleBeacons);

// The pass as a recording file: each chunk preceded by its timestamp record.
std::string SimulatedRecording(int beacons = kSampleBeacons);

// The pass's beacons as a SatNOGS frame log: a heading line, then one line
// per beacon (time, "|", hex frame without the command byte), LF line ends.
std::string SimulatedSatnogsLog(int beacons = kSampleBeacons);

}  // namespace kelvanor::samples
