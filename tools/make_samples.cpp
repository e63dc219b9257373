// Writes the bundled sample recording of a simulated pass.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "acquire/recording_writer.h"
#include "sample_pass.h"

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "samples";
    std::string path = dir + "/" + kelvanor::RecordingFileName(2020, 11, 29);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "kelvanor-make-samples: cannot write " << path << "\n";
        return 1;
    }
    std::string data = kelvanor::samples::SimulatedRecording();
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) {
        std::cerr << "kelvanor-make-samples: write failed for " << path << "\n";
        return 1;
    }
    std::cout << path << " has been written (" << data.size() << " bytes)\n";
    return 0;
}
