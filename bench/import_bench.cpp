// Speed of the import roads and the CSV export at the store's full size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "session/import_sequence.h"
#include "acquire/kiss_file_reader.h"
#include "acquire/satnogs_reader.h"
#include "export/csv_export.h"
#include "sample_pass.h"
#include "session/handlers.h"
#include "session/session.h"

namespace kelvanor {
namespace {

constexpr int kFullStore = 10000;

void BM_ImportKissRecording(benchmark::State& state) {
    const std::string recording = samples::SimulatedRecording(kFullStore);
    auto session = std::make_unique<Session>();
    for (auto _ : state) {
        ResetBeforeImport(*session);
        ReadKissBytes(session->Road(), recording);
        RefreshAfterFile(*session);
        benchmark::DoNotOptimize(session->RecordCount());
    }
    state.counters["bytes"] = static_cast<double>(recording.size());
    state.counters["records"] = session->RecordCount();
}
BENCHMARK(BM_ImportKissRecording)->Unit(benchmark::kMillisecond);

// The operator's import in a running program: the file read from disk
// (the page cache), split, decoded and the display refreshed.
void BM_ImportKissFile(benchmark::State& state) {
    const std::string path = "/tmp/kelvanor-bench-import.kss";
    {
        std::ofstream(path, std::ios::binary) << samples::SimulatedRecording(kFullStore);
    }
    auto session = std::make_unique<Session>();
    ImportHooks hooks;
    for (auto _ : state) {
        ResetBeforeImport(*session);
        ImportFiles(*session, {path}, ImportKind::KissRecording, hooks);
        benchmark::DoNotOptimize(session->RecordCount());
    }
    state.counters["records"] = session->RecordCount();
    std::remove(path.c_str());
}
BENCHMARK(BM_ImportKissFile)->Unit(benchmark::kMillisecond);

void BM_ImportSatnogsLog(benchmark::State& state) {
    std::string log = samples::SimulatedSatnogsLog(kFullStore);
    NormaliseLineEnds(log);
    auto session = std::make_unique<Session>();
    ImportHooks hooks;
    for (auto _ : state) {
        ResetBeforeImport(*session);
        ReadSatnogsText(session->Road(), log, hooks);
        RefreshAfterFile(*session);
        benchmark::DoNotOptimize(session->RecordCount());
    }
    state.counters["bytes"] = static_cast<double>(log.size());
    state.counters["records"] = session->RecordCount();
}
BENCHMARK(BM_ImportSatnogsLog)->Unit(benchmark::kMillisecond);

void BM_CsvExport(benchmark::State& state) {
    auto session = std::make_unique<Session>();
    ReadKissBytes(session->Road(), samples::SimulatedRecording(kFullStore));
    std::size_t size = 0;
    for (auto _ : state) {
        std::string csv = CsvText(*session);
        size = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvanor
