// Speed of the decoding core: one beacon decoded (with its on-board time
// text and log line) and one record presented.
#include <benchmark/benchmark.h>

#include <memory>

#include "acquire/kiss_framing.h"
#include "channels/presentation.h"
#include "decode/beacon_decoder.h"
#include "sample_pass.h"
#include "session/session.h"

namespace kelvanor {
namespace {

std::vector<std::string> SampleFrames() {
    std::vector<std::string> frames;
    for (const samples::Chunk& c : samples::SimulatedPass()) {
        if (!c.beacon) continue;
        frames.push_back(KissUnescape(std::string_view(c.bytes).substr(1, c.bytes.size() - 2)));
    }
    return frames;
}

void BM_DecodeBeacon(benchmark::State& state) {
    auto session = std::make_unique<Session>();
    const std::vector<std::string> frames = SampleFrames();
    session->currentRxTimestamp = "2020-11-29 21:20:01.141 UTC";
    AppendHex(session->currentHexText, std::string_view(frames[0]).substr(1));
    session->frameLog.reserve(10000 * 440);
    std::size_t i = 0;
    for (auto _ : state) {
        if (session->RecordCount() == RecordStore::kCapacity) {
            // As an import does: reset, empty the log, decode on.
            state.PauseTiming();
            session->records.Reset();
            session->frameLog.clear();
            state.ResumeTiming();
        }
        DecodeResult r = DecodeBeacon(*session, frames[i]);
        benchmark::DoNotOptimize(r);
        if (++i == frames.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeBeacon);

void BM_ShowRecord(benchmark::State& state) {
    auto session = std::make_unique<Session>();
    const std::vector<std::string> frames = SampleFrames();
    for (const std::string& f : frames) DecodeBeacon(*session, f);
    long long n = 1;
    for (auto _ : state) {
        ShowRecord(session->records, n, session->regional, session->display);
        benchmark::DoNotOptimize(session->display.value[0].data());
        if (++n > session->RecordCount()) n = 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShowRecord);

void BM_AllocateStore(benchmark::State& state) {
    for (auto _ : state) {
        auto store = std::make_unique<RecordStore>();
        benchmark::DoNotOptimize(store.get());
    }
    state.counters["bytes"] = static_cast<double>(sizeof(BeaconRecord) * RecordStore::kCapacity);
}
BENCHMARK(BM_AllocateStore)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvanor
