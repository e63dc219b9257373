#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "acquire/kiss_framing.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_encoder.h"
#include "sample_pass.h"
#include "session/session.h"

namespace kelvanor {
namespace {

TEST(SamplePassTest, IsDeterministicAndDecodesWhole) {
    EXPECT_EQ(samples::SimulatedRecording(), samples::SimulatedRecording());
    auto session = std::make_unique<Session>();
    int beacons = 0;
    for (const samples::Chunk& c : samples::SimulatedPass()) {
        ASSERT_EQ(c.rxTimestamp.size(), 27u);
        ASSERT_EQ(c.bytes.front(), kFend);
        ASSERT_EQ(c.bytes.back(), kFend);
        std::string frame = KissUnescape(std::string_view(c.bytes).substr(1, c.bytes.size() - 2));
        bool isBeacon = frame.size() == 201 && frame.compare(1, 14, kBeaconAddress) == 0;
        EXPECT_EQ(isBeacon, c.beacon);
        if (!isBeacon) continue;
        ++beacons;
        session->currentRxTimestamp = c.rxTimestamp;
        ASSERT_TRUE(DecodeBeacon(*session, frame).Stored()) << beacons;
    }
    EXPECT_EQ(beacons, samples::kSampleBeacons);
    const BeaconRecord& first = session->records.Record(1);
    const BeaconRecord& last = session->records.Record(samples::kSampleBeacons);
    EXPECT_EQ(first.ObcTime, "2020-11-29 21:20:00");
    EXPECT_EQ(last.ObcTime, "2020-11-29 21:29:58");
    EXPECT_EQ(first.Values[4], 1);  // the pass starts in eclipse
    EXPECT_EQ(last.Values[4], 0);
    // plausible orbit radius throughout
    for (int n = 1; n <= samples::kSampleBeacons; ++n) {
        const auto& v = session->records.Record(n).Values;
        double r = std::sqrt(v[106] * v[106] + v[107] * v[107] + v[108] * v[108]);
        EXPECT_NEAR(r, 6878.1, 0.5) << n;
        EXPECT_GT(v[3], 7.5) << n;
        EXPECT_LT(v[3], 8.0) << n;
    }
}

}  // namespace
}  // namespace kelvanor
