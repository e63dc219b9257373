// What the health limits add to showing a record: every channel's mark for
// the record shown, under the shipped limits.ini (0) and under limits on all
// 118 channels with a persistence of 3 (1), the same record then being shown.
#include <benchmark/benchmark.h>

#include <memory>

#include "acquire/file_io.h"
#include "acquire/kiss_framing.h"
#include "channels/presentation.h"
#include "limits/limit_check.h"
#include "sample_pass.h"
#include "session/session.h"

namespace kelvanor {
namespace {

std::unique_ptr<Session> SampleSession(int limits) {
    auto session = std::make_unique<Session>();
    for (const samples::Chunk& c : samples::SimulatedPass()) {
        if (c.beacon)
            DecodeBeacon(*session,
                         KissUnescape(std::string_view(c.bytes).substr(1, c.bytes.size() - 2)));
    }
    std::string text, error;
    if (limits == 0) {
        ReadWholeFile(KELVANOR_SHIPPED_LIMITS, text, error);
    } else {
        for (int c = 0; c < kChannelCount; ++c)
            text +=
                std::to_string(c) +
                " = red_low -1e6, yellow_low -1e5, yellow_high 1e5, red_high 1e6, persistence 3\n";
    }
    session->limits = ParseLimits(text);
    return session;
}

void BM_MarkRecord(benchmark::State& state) {
    const auto session = SampleSession(static_cast<int>(state.range(0)));
    long long n = 1;
    for (auto _ : state) {
        LimitMarks marks = MarkRecord(session->limits, session->records, n);
        benchmark::DoNotOptimize(marks.data());
        if (++n > session->RecordCount()) n = 1;
    }
}
BENCHMARK(BM_MarkRecord)->Arg(0)->Arg(1);

void BM_ShowRecordWithLimits(benchmark::State& state) {
    const auto session = SampleSession(static_cast<int>(state.range(0)));
    long long n = 1;
    for (auto _ : state) {
        ShowRecord(session->records, n, session->regional, session->display);
        LimitMarks marks = MarkRecord(session->limits, session->records, n);
        benchmark::DoNotOptimize(marks.data());
        if (++n > session->RecordCount()) n = 1;
    }
}
BENCHMARK(BM_ShowRecordWithLimits)->Arg(0)->Arg(1);

}  // namespace
}  // namespace kelvanor
