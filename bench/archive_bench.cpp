// The station's archive at the size of years of reception: adding 1,000,000
// beacons from 100 daily recordings (as kelvanor-cli --archive does: every
// file imported, decoded and archived in one transaction), the file size per
// beacon, loading the newest 10000 into the store, and what the archive adds
// to one live arrival. Prints medians; the archive goes to the folder given
// (default /tmp/kelvanor-archive-bench).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "acquire/kiss_framing.h"
#include "acquire/live_arrival.h"
#include "acquire/recording_writer.h"
#include "acquire/utc_clock.h"
#include "archive/archive_load.h"
#include "archive/archive_tap.h"
#include "decode/beacon_encoder.h"
#include "session/handlers.h"
#include "session/import_sequence.h"
#include "session/session.h"

using namespace kelvanor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFiles = 100, kPerFile = 10000;
constexpr std::int64_t kStartMs = 1764547200000LL;  // 2025-12-01 00:00:00 UTC

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Beacon(std::int64_t n) {
    BeaconEncoder b;
    b.SetRaw(0, static_cast<double>(n % 65536));
    b.SetTaiSeconds(660000000.0 + 2.0 * static_cast<double>(n));
    b.SetBatteryMillivolts(7000 + static_cast<int>(n % 1500));
    for (int ch : {47, 48, 49, 50, 51, 53, 54}) b.SetRaw(ch, 2048 + static_cast<double>(n % 97));
    return b.Frame();
}

std::string UtcOf(std::int64_t ms) {
    return UtcText(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms))) + " UTC";
}

struct FixedClock final : UtcClock {
    std::chrono::system_clock::time_point Now() const override { return now; }
    std::chrono::system_clock::time_point now;
};

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? argv[1] : "/tmp/kelvanor-archive-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "rec");
    std::vector<std::string> files;
    for (int f = 0; f < kFiles; ++f) {
        std::string recording;
        recording.reserve(static_cast<std::size_t>(kPerFile) * 240);
        for (int i = 0; i < kPerFile; ++i) {
            const std::int64_t n = static_cast<std::int64_t>(f) * kPerFile + i;
            recording +=
                RecordingEntry(UtcOf(kStartMs + n * 8000 + n % 1000), KissFrame(Beacon(n)));
        }
        files.push_back((dir / "rec" / ("day" + std::to_string(f) + ".kss")).string());
        std::ofstream(files.back(), std::ios::binary) << recording;
    }
    const std::string path = (dir / "archive.sqlite").string();
    auto session = std::make_unique<Session>();
    ImportHooks hooks;
    std::string error;
    {
        auto tap = std::make_unique<ArchiveTap>(Archive::Open(path, true, error), nullptr);
        session->tap = tap.get();
        std::vector<double> perFile;
        const auto start = Clock::now();
        for (const std::string& file : files) {
            const auto t = Clock::now();
            ImportFiles(*session, {file}, ImportKind::KissRecording, hooks);
            TrimFrameLog(session->frameLog, kKeptLogBytes);  // as kelvanor-cli does
            perFile.push_back(kPerFile / Seconds(t));
        }
        const double total = Seconds(start);
        session->tap = nullptr;
        tap.reset();
        std::printf(
            "add %d beacons from %d recordings: %.2f s, %.0f beacons/s overall, median file %.0f "
            "beacons/s\n",
            kFiles * kPerFile, kFiles, total, kFiles * kPerFile / total, Median(perFile));
        std::printf("archive file %.1f MB, %.1f bytes per beacon\n", fs::file_size(path) / 1e6,
                    static_cast<double>(fs::file_size(path)) / (kFiles * kPerFile));
        // The same import without the archive, for comparison.
        const auto plain = Clock::now();
        for (int f = 0; f < 10; ++f)
            ImportFiles(*session, {files[f]}, ImportKind::KissRecording, hooks);
        std::printf("the same import without the archive: %.0f beacons/s\n",
                    10 * kPerFile / Seconds(plain));
    }
    auto archive = Archive::Open(path, false, error);
    std::vector<double> loads;
    for (int run = 0; run < 11; ++run) {
        const auto t = Clock::now();
        LoadArchiveRange(*session, *archive, {}, hooks);
        loads.push_back(Seconds(t) * 1000);
    }
    std::printf(
        "load the newest 10000 of 1000000, decoded and charted: median %.1f ms (%d records)\n",
        Median(loads), session->RecordCount());
    archive.reset();

    // One live arrival (a beacon, recorded to the day file) with and without
    // the archive on.
    auto tap = std::make_unique<ArchiveTap>(Archive::Open(path, true, error), nullptr);
    FixedClock clock;
    const std::string recDir = (dir / "live").string() + "/";
    fs::create_directories(recDir);
    std::vector<double> with, without;
    for (int i = 0; i < 4000; ++i) {
        const std::int64_t n = 2000000 + i;
        clock.now =
            std::chrono::system_clock::time_point(std::chrono::milliseconds(kStartMs + n * 8000));
        const std::string chunk = KissFrame(Beacon(n));
        session->tap = i % 2 == 0 ? tap.get() : nullptr;
        if (session->RecordCount() >= 9000) ResetBeforeImport(*session);
        const auto t = Clock::now();
        HandleArrival(*session, chunk, clock, recDir);
        (i % 2 == 0 ? with : without).push_back(Seconds(t) * 1e6);
    }
    std::printf("live arrival: median %.0f us with the archive, %.0f us without, %.0f us more\n",
                Median(with), Median(without), Median(with) - Median(without));
    std::printf("live arrival: longest %.1f ms with the archive, %.1f ms without\n",
                *std::max_element(with.begin(), with.end()) / 1000,
                *std::max_element(without.begin(), without.end()) / 1000);
    session->tap = nullptr;
    tap.reset();
    fs::remove_all(dir);
    return 0;
}
