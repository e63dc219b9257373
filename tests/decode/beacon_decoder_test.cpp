#include "decode/beacon_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "decode/beacon_encoder.h"
#include "decode/frame_bytes.h"
#include "decode/record_store.h"
#include "decode/regional_settings.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

// The decoder on its own: frame buffer, store, log and the upper bound it
// reports, without a session around it.
class BeaconDecoderTest : public ::testing::Test {
protected:
    static BeaconEncoder Plausible() { return testing::PlausibleBeacon(); }

    // Fills record 1 with a marker so "kept old value" is visible, then resets.
    void FillFirstSlotWith(double marker) {
        BeaconRecord& r = records->Record(1);
        r.Values.fill(marker);
        r.ObcTime = "old obc";
        r.RxTime = "old rx";
    }

    DecodeResult Decode(const std::string& frame) {
        return DecodeBeacon({frameBytes, *records, frameLog, rxTimestamp, hexText, regional,
                             [this](std::int32_t n) { upperBound = n; }},
                            frame);
    }

    FrameBytes frameBytes;
    std::unique_ptr<RecordStore> records = std::make_unique<RecordStore>();
    std::string frameLog;
    std::string rxTimestamp;
    std::string hexText;
    RegionalSettings regional;
    int upperBound = -1;
};

std::string FromHex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

// A beacon whose every byte from offset 16 on differs from its neighbours,
// so a field read at a wrong offset, in a wrong byte order or with a wrong
// sign gives another value: on-board time 750000037.25 s, battery 7800 mV,
// thermistor counts 291, 1110, 1929, 2748, 3567, 666 and 1549, and 0x55 in
// the byte of channels 29 to 36. The values are worked out by hand from the
// beacon's documented layout, not from the decoder's table.
constexpr std::string_view kKnownFrame =
    "00585139524C20305851394D5654307EB9024B9441C65A0BD2A0000025781E00"
    "4992DB246DB6FF4891DA236CB5FE4790D9226BB4FD468FD8216AB3FC458E5520"
    "69B2FB448DD61F68B10123045607890ABC0DEF029A060DF8418AD31C65AEF740"
    "89D21B64ADF63F88D11A63ACF53E87D01962ABF43D86CF1861AAF33C85CE1760"
    "A9F23B84CD165FA8F13A83CC155EA7F03982CB145DA6EF3881CA135CA5EE3780"
    "C9125BA4ED367FC8115AA3EC357EC71059A2EB347DC60F58A1EA337CC50E57A0"
    "E9327BC40D569FE831";

constexpr std::array<double, kChannelCount> kKnownValues = {
    2487943865.0, 750000.03725, 37.0, 7.8, 0.0, 75.07,
    146.0, 219.0, 36.0, 109.0, 182.0, 255.0,
    72.0, 145.0, 218.0, 35.0, 108.0, 181.0,
    254.0, 18.32, 55.586, 27.572, 64.838, 36.824,
    8.554, 179.0, 252.0, 69.0, 142.0, 1.0,
    0.0, 1.0, 0.0, 1.0, 0.0, 1.0,
    0.0, 32.0, 105.0, 178.0, 251.0, 68.0,
    141.0, 214.0, 31.0, 104.0, 177.0, 77.59374484211861,
    28.783552045506383, 7.360768915136475, -9.660634945164304, -32.40162788572138, 0.0, 47.14876663888549,
    16.358038366288383, -991.5, -29.997, 3634.5, -20.745, 8260.5,
    -11.749, 12886.5, -2.497, -60.0, -23.5, 6.755,
    -10629.5, 16.007, -6131.5, 25.259, -1505.5, -31.025,
    3120.5, -21.773, 7746.5, -0.05, 0.023, 12372.5,
    -3.525, -15769.5, 2863.5, 168.0, 241.0, 58.0,
    131.0, 204.0, 21.0, 94.0, 167.0, 70.06494140625,
    2402.3681640625, 1.25, 5.8125, 2670.9375, 56.0, 259.578125,
    38.71875, 326.75384615384615, 55.0, 128.0, 201.0, 18.0,
    91.0, 164.0, 237.0, 54.0, 42876.36148, -30896.01796,
    -19104.5958, -1.74440733, 1.28733429, 4.31907463, 0.89728, -0.23352,
    1.26736, 10.4, 110.875, -30.475,
};

TEST_F(BeaconDecoderTest, KnownFrameGivesEveryChannelAndTheLogLine) {
    const std::string known = FromHex(kKnownFrame);
    ASSERT_EQ(known.size(), 201u);
    // Offsets 15 and 32 belong to no field: whatever they hold, nothing changes.
    std::string spare15 = known, spare32 = known, bits = known;
    spare15[15] = '\x81';
    spare32[32] = '\x81';
    bits[62] = '\xAA';  // channels 29 to 36 flip
    // Each pass starts after a reset, so each is numbered 1 again.
    for (const std::string& frame : {known, spare15, spare32, bits}) {
        records->Reset();
        frameLog.clear();
        rxTimestamp = "2023-10-07 13:20:01.141 UTC";
        hexText = "ABCD";
        const DecodeResult r = Decode(frame);
        ASSERT_TRUE(r.Stored()) << DescribeStatus(r.status);
        EXPECT_EQ(r.record, 1);
        EXPECT_EQ(upperBound, 1);
        EXPECT_EQ(frameLog, "2023-10-07 13:20:01.141 UTC | ABCD\r\n");
        const BeaconRecord& rec = records->Record(1);
        EXPECT_EQ(rec.RxTime, "2023-10-07 13:20:01.141 UTC");
        EXPECT_EQ(rec.ObcTime, "2023-10-07 13:20:00");
        for (int c = 0; c < kChannelCount; ++c) {
            if (c >= 47 && c <= 54) {
                EXPECT_NEAR(rec.Values[c], kKnownValues[c], 1e-9) << "channel " << c;
            } else if (c >= 29 && c <= 36 && frame == bits) {
                EXPECT_EQ(rec.Values[c], 1 - kKnownValues[c]) << "channel " << c;
            } else {
                EXPECT_DOUBLE_EQ(rec.Values[c], kKnownValues[c]) << "channel " << c;
            }
        }
        EXPECT_EQ(std::string(rec.Frame.begin(), rec.Frame.end()), frame);
    }
}

// The encoder that builds the test beacons and the sample pass is the
// decoder's inverse: the known values, written last channel first (so a
// field that spills over its end shows), give the known frame back.
TEST_F(BeaconDecoderTest, EncoderWritesTheKnownValuesAsTheKnownFrame) {
    const std::string known = FromHex(kKnownFrame);
    BeaconEncoder b;
    for (int c = kChannelCount - 1; c >= 0; --c)
        if (c != 5) b.SetValue(c, kKnownValues[c]);  // 5 follows the battery
    for (int spare : {0, 15, 32}) b.SetByte(spare, static_cast<std::uint8_t>(known[spare]));
    EXPECT_EQ(b.Frame(), known);
}

TEST_F(BeaconDecoderTest, FailureRowsLeaveWhatWasWritten) {
    auto spoilt = [](void (*spoil)(BeaconEncoder&)) {
        BeaconEncoder b = testing::PlausibleBeacon();
        spoil(b);
        return b.Frame();
    };
    const struct {
        const char* name;
        std::string frame;
        DecodeStatus status;
        int firstUntouched;  // channels from here on keep the marker
        const char* obcTime;  // nullptr: the earlier text stays
    } cases[] = {
        // all zero: the battery of 0 mV fails the first thermistor
        {"all zero", std::string(201, '\0'), DecodeStatus::ThermistorInvalid, 47, "1999-12-31 23:59:22"},
        {"time not a date", spoilt([](BeaconEncoder& b) { b.SetTaiSeconds(1e300); }),
         DecodeStatus::ObcTimeInvalid, 2, nullptr},
        {"battery 32768 mV", spoilt([](BeaconEncoder& b) { b.SetBatteryMillivolts(32768); }),
         DecodeStatus::BatteryVoltageHigh, 5, "2020-11-29 21:20:00"},
        {"thermistor 48 at 4096", spoilt([](BeaconEncoder& b) { b.SetRaw(48, 4096); }),
         DecodeStatus::ThermistorInvalid, 48, "2020-11-29 21:20:00"},
        {"thermistor 53 negative", spoilt([](BeaconEncoder& b) { b.SetRaw(53, -3); }),
         DecodeStatus::ThermistorInvalid, 53, "2020-11-29 21:20:00"},
        {"battery 0 mV", spoilt([](BeaconEncoder& b) { b.SetBatteryMillivolts(0); }),
         DecodeStatus::ThermistorInvalid, 47, "2020-11-29 21:20:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        records->Reset();
        frameLog.clear();
        FillFirstSlotWith(99);
        rxTimestamp = c.name;
        const DecodeResult r = Decode(c.frame);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.failedChannel, c.firstUntouched);
        EXPECT_EQ(records->RecordCount(), 1);
        EXPECT_EQ(frameLog, std::string(c.name) + " | \r\n");
        const BeaconRecord& rec = records->Record(1);
        EXPECT_EQ(rec.RxTime, c.name);
        EXPECT_EQ(rec.ObcTime, c.obcTime ? c.obcTime : "old obc");
        EXPECT_NE(rec.Values[0], 99);
        EXPECT_NE(rec.Values[c.firstUntouched - 1 == 52 ? 51 : c.firstUntouched - 1], 99);
        for (int ch = c.firstUntouched; ch < kChannelCount; ++ch) EXPECT_EQ(rec.Values[ch], 99) << ch;
    }
    // The all-zero beacon's state of charge is that of 0 mV.
    Decode(std::string(201, '\0'));
    EXPECT_EQ(records->Record(2).Values[5], -224480.55);
}

TEST_F(BeaconDecoderTest, FullStoreLogsButStoresNothing) {
    BeaconEncoder b = Plausible();
    b.SetBatteryMillivolts(32767);  // the highest battery voltage that decodes
    std::string frame = b.Frame();
    for (int i = 0; i < RecordStore::kCapacity; ++i) ASSERT_TRUE(Decode(frame).Stored());
    frame[0] = '\xC0';
    frameLog.clear();
    rxTimestamp = "late";
    DecodeResult r = Decode(frame);
    EXPECT_EQ(r.status, DecodeStatus::StoreFull);
    EXPECT_EQ(r.record, 0);
    EXPECT_EQ(records->RecordCount(), 10000);
    EXPECT_EQ(upperBound, 10000);
    EXPECT_EQ(frameLog, "late | \r\n");
    EXPECT_NE(records->Record(10000).RxTime, "late");
    EXPECT_NE(records->Record(10000).Frame[0], 0xC0);  // nor its frame
}

TEST_F(BeaconDecoderTest, OverlongFrameWritesNoLogAndNoRecord) {
    DecodeResult r = Decode(std::string(256, '\x01'));
    EXPECT_EQ(r.status, DecodeStatus::FrameTooLong);
    EXPECT_EQ(records->RecordCount(), 0);
    EXPECT_TRUE(frameLog.empty());
    EXPECT_EQ(frameBytes.ReadU8(254), 1);
}

}  // namespace
}  // namespace kelvanor
