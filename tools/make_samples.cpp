// Writes the bundled samples of a simulated pass: a KISS recording and the
// same beacons as a SatNOGS frame log.
//   kelvanor-make-samples [DIR [BEACONS]]
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "acquire/recording_writer.h"
#include "sample_pass.h"

namespace {

bool Write(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        std::cerr << "kelvanor-make-samples: cannot write " << path << "\n";
        return false;
    }
    std::cout << path << " has been written (" << data.size() << " bytes)\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kelvanor;
    const std::string dir = argc > 1 ? argv[1] : "samples";
    const int beacons = argc > 2 ? std::atoi(argv[2]) : samples::kSampleBeacons;
    if (beacons < 1) {
        std::cerr << "usage: kelvanor-make-samples [DIR [BEACONS]]\n";
        return 2;
    }
    const std::string suffix = beacons == samples::kSampleBeacons ? "" : "-" + std::to_string(beacons);
    std::string name = RecordingFileName(2020, 11, 29);
    name.insert(name.size() - 4, suffix);
    bool ok = Write(dir + "/" + name, samples::SimulatedRecording(beacons));
    ok = Write(dir + "/satnogs-2020-11-29" + suffix + ".csv", samples::SimulatedSatnogsLog(beacons)) && ok;
    return ok ? 0 : 1;
}
