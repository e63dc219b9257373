// kelvanor-fuzz-seeds DIR: writes the starting corpora of the fuzz targets,
// made from the simulated pass, into DIR/<target>/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquire/kiss_framing.h"
#include "sample_pass.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// The frame a chunk carries: FENDs dropped, escapes undone.
std::string FrameOf(const std::string& chunk) {
    std::string inner;
    for (char c : chunk) {
        if (c != kelvanor::kFend) inner.push_back(c);
    }
    return kelvanor::KissUnescape(inner);
}

// Arrivals for the live target: each one a two-byte little-endian length
// and the bytes.
std::string Arrivals(const std::vector<std::string>& chunks) {
    std::string out;
    for (const std::string& c : chunks) {
        out.push_back(static_cast<char>(c.size() & 0xFF));
        out.push_back(static_cast<char>(c.size() >> 8));
        out += c;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvanor-fuzz-seeds DIR\n");
        return 2;
    }
    const fs::path dir(argv[1]);
    using kelvanor::samples::Chunk;
    const std::vector<Chunk> pass = kelvanor::samples::SimulatedPass(6);

    Write(dir / "kiss_recording", "pass-3.kss", kelvanor::samples::SimulatedRecording(3));
    Write(dir / "kiss_recording", "pass-1.kss", kelvanor::samples::SimulatedRecording(1));

    std::string log = kelvanor::samples::SimulatedSatnogsLog(3);
    Write(dir / "satnogs_log", "log-lf.csv", log);
    std::string crlf;
    for (char c : log) {
        if (c == '\n') crlf.push_back('\r');
        crlf.push_back(c);
    }
    Write(dir / "satnogs_log", "log-crlf.csv", crlf);

    std::vector<std::string> chunks;
    int beacons = 0;
    for (const Chunk& c : pass) {
        chunks.push_back(c.bytes);
        if (c.beacon && beacons < 4) Write(dir / "beacon", "beacon-" + std::to_string(beacons++), FrameOf(c.bytes));
    }
    Write(dir / "live_arrival", "one-per-read", Arrivals(chunks));
    const std::string& first = chunks.front();
    Write(dir / "live_arrival", "split-and-joined",
          Arrivals({first.substr(0, 100), first.substr(100), chunks[1] + chunks[2], "\xC0\x00\xC0"}));

    Write(dir / "conf_ini", "sample.ini",
          "# settings\r\nIMAGE_PATH=/home/op/Shots/\r\nTCP_SERVER=localhost\r\nTCP_PORT=8001\r\n"
          "SCREENSHOT=YES\r\n");
    Write(dir / "conf_ini", "odd.ini", "TCP_PORT = 99999\nTCP_SERVER\nSCREENSHOT=no\nTCP_PORT=-1\n");
    return 0;
}
