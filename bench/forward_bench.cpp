// What forwarding adds to the handling of one live arrival: the beacon's
// request is built and appended to the queue on disk, while the sending
// happens on the forwarder's own thread (here to a server that is down, so
// its worker sleeps between tries).
//   kelvanor_forward_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <memory>

#include "acquire/utc_clock.h"
#include "forward/forwarder.h"
#include "sample_pass.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

struct Station {
    testing::TempDir dir;
    std::string beacon = samples::SimulatedPass(1).back().bytes;
    SystemUtcClock clock;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    // Port 9 on 127.0.0.1: nothing listens, every try is refused at once.
    Forwarder forwarder{
        SidsStation{"99999", "N0CALL", 49.73145, -8.95564, "bench"},
        {"http://127.0.0.1:9/api/telemetry/"},
        dir.path().string(),
        {std::chrono::milliseconds(30000), std::chrono::hours(1), std::chrono::hours(1)},
        nullptr};

    ArrivalOutcome Arrive() {
        if (session->RecordCount() >= 9000) {
            session = std::make_unique<Session>();  // a store short of full, as in a pass
        }
        return HandleArrival(*session, beacon, clock, dir.path().string());
    }
};

void BM_ArrivalAlone(benchmark::State& state) {
    Station s;
    for (auto _ : state) benchmark::DoNotOptimize(s.Arrive());
}
BENCHMARK(BM_ArrivalAlone)->Unit(benchmark::kMicrosecond);

void BM_ArrivalForwarded(benchmark::State& state) {
    Station s;
    for (auto _ : state) s.forwarder.Forward(s.Arrive().beacons);
}
BENCHMARK(BM_ArrivalForwarded)->Unit(benchmark::kMicrosecond);

// The forwarding part alone: one beacon into the queue.
void BM_ForwardOneBeacon(benchmark::State& state) {
    Station s;
    const std::vector<LiveBeacon> beacons = s.Arrive().beacons;
    for (auto _ : state) s.forwarder.Forward(beacons);
}
BENCHMARK(BM_ForwardOneBeacon)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvanor
