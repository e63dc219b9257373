#include "decode/beacon_decoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "decode/beacon_encoder.h"
#include "decode/beacon_layout.h"
#include "session/session.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

class BeaconDecoderTest : public ::testing::Test {
protected:
    BeaconDecoderTest() : session(std::make_unique<Session>()) {}

    static BeaconEncoder Plausible() { return testing::PlausibleBeacon(); }

    // Fills record 1 with a marker so "kept old value" is visible, then resets.
    void FillFirstSlotWith(double marker) {
        BeaconRecord& r = session->records.Record(1);
        r.Values.fill(marker);
        r.ObcTime = "old obc";
        r.RxTime = "old rx";
    }

    DecodeResult Decode(const std::string& frame) { return DecodeBeacon(*session, frame); }

    std::unique_ptr<Session> session;
};

TEST_F(BeaconDecoderTest, StoresAPlausibleBeaconWithLogLineFirst) {
    session->currentRxTimestamp = "2020-11-29 21:20:01.141 UTC";
    session->currentHexText = "ABCD";
    DecodeResult r = Decode(Plausible().Frame());
    EXPECT_TRUE(r.Stored());
    EXPECT_EQ(r.record, 1);
    EXPECT_EQ(session->RecordCount(), 1);
    EXPECT_EQ(session->scroll.Maximum(), 1);
    EXPECT_EQ(session->frameLog, "2020-11-29 21:20:01.141 UTC | ABCD\r\n");
    const BeaconRecord& rec = session->records.Record(1);
    EXPECT_EQ(rec.RxTime, "2020-11-29 21:20:01.141 UTC");
    EXPECT_EQ(rec.ObcTime, "2020-11-29 21:20:00");
    EXPECT_DOUBLE_EQ(rec.Values[1], 660000.0375);
    EXPECT_EQ(rec.Values[3], 8);
    EXPECT_EQ(rec.Values[5], 84.86);
    EXPECT_NEAR(rec.Values[47], 4.7236, 5e-5);
    EXPECT_NEAR(rec.Values[48], 5.1701, 5e-5);
    EXPECT_NEAR(rec.Values[50], 5.1701, 5e-5);
    EXPECT_NEAR(rec.Values[54], 4.7236, 5e-5);
    EXPECT_EQ(rec.Values[52], 0);
}

TEST_F(BeaconDecoderTest, FieldKnownAnswers) {
    struct Case {
        int offset;
        std::vector<int> bytes;
        int channel;
        double expected;
    } cases[] = {
        {16, {0x01, 0x02, 0x03, 0x04}, 0, 0x04030201},
        {62, {0xA5}, 29, 1}, {62, {0xA5}, 30, 0}, {62, {0xA5}, 31, 1}, {62, {0xA5}, 32, 0},
        {62, {0xA5}, 33, 0}, {62, {0xA5}, 34, 1}, {62, {0xA5}, 35, 0}, {62, {0xA5}, 36, 1},
        {166, {0xFF, 0xFF, 0xFF, 0xFF}, 106, -0.00002},
        {196, {0x80}, 115, -102.4},
        {147, {0x80}, 91, 8},
        {156, {0x00, 0x80}, 97, 128.0 / 130},
        {46, {0x13, 0x88}, 19, 5.0},
        {87, {0xFF, 0xFF}, 55, -0.5},
        {103, {0xFE}, 63, -1},
        {104, {0x02}, 64, 1},
        {125, {0xFF}, 75, -0.001},
        {143, {0x10, 0x00}, 89, 4096 * 3 / 4096.0 * 28 / 18},
        {145, {0x02, 0x00}, 90, (512 * 3 / 4096.0 - 0.5) * 100},
        {149, {0x01, 0x00}, 93, 16},
        {178, {0x00, 0x00, 0x00, 0x02}, 109, 2 * 0.000000005},
        {190, {0x61, 0xA8}, 112, 25000 * 0.00004},
        {197, {0xFF, 0x38}, 116, -200 * 0.005},
        {199, {0x00, 0xC8}, 117, 1.0},
    };
    for (const Case& c : cases) {
        BeaconEncoder b = Plausible();
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            b.SetByte(c.offset + static_cast<int>(i), static_cast<std::uint8_t>(c.bytes[i]));
        }
        session->records.Reset();
        ASSERT_TRUE(Decode(b.Frame()).Stored()) << c.channel;
        EXPECT_DOUBLE_EQ(session->records.Record(1).Values[c.channel], c.expected) << c.channel;
    }
}

TEST_F(BeaconDecoderTest, BatteryVoltageOf8000GivesChannels3And5) {
    BeaconEncoder b = Plausible();
    b.SetByte(29, 0x40);
    b.SetByte(30, 0x1F);
    ASSERT_TRUE(Decode(b.Frame()).Stored());
    EXPECT_EQ(session->records.Record(1).Values[3], 8);
    EXPECT_EQ(session->records.Record(1).Values[5], 84.86);
}

TEST_F(BeaconDecoderTest, Offset32ChangesNothing) {
    BeaconEncoder b = Plausible();
    ASSERT_TRUE(Decode(b.Frame()).Stored());
    auto before = session->records.Record(1).Values;
    b.SetByte(32, 0xFF);
    session->records.Reset();
    ASSERT_TRUE(Decode(b.Frame()).Stored());
    EXPECT_EQ(session->records.Record(1).Values, before);
}

TEST_F(BeaconDecoderTest, AllZeroBeaconStopsAtTheFirstThermistor) {
    FillFirstSlotWith(99);
    std::string frame(201, '\0');
    DecodeResult r = Decode(frame);
    EXPECT_EQ(r.status, DecodeStatus::ThermistorInvalid);
    EXPECT_EQ(r.failedChannel, 47);
    const BeaconRecord& rec = session->records.Record(1);
    EXPECT_EQ(rec.ObcTime, "1999-12-31 23:59:22");
    for (int c = 0; c <= 46; ++c) {
        if (c == 5) continue;
        EXPECT_EQ(rec.Values[c], 0) << c;
    }
    EXPECT_EQ(rec.Values[5], -224480.55);
    for (int c = 47; c <= 117; ++c) EXPECT_EQ(rec.Values[c], 99) << c;
}

TEST_F(BeaconDecoderTest, FailureRowsLeaveWhatWasWritten) {
    struct Case {
        const char* name;
        void (*spoil)(BeaconEncoder&);
        DecodeStatus status;
        int firstUntouched;  // channels from here on keep the marker
        bool obcWritten;
    } cases[] = {
        {"time not a date", [](BeaconEncoder& b) { b.SetTaiSeconds(1e300); },
         DecodeStatus::ObcTimeInvalid, 2, false},
        {"battery 32768 mV", [](BeaconEncoder& b) { b.SetBatteryMillivolts(32768); },
         DecodeStatus::BatteryVoltageHigh, 5, true},
        {"thermistor 48 at 4096", [](BeaconEncoder& b) { b.SetRaw(48, 4096); },
         DecodeStatus::ThermistorInvalid, 48, true},
        {"thermistor 53 negative", [](BeaconEncoder& b) { b.SetRaw(53, -3); },
         DecodeStatus::ThermistorInvalid, 53, true},
        {"battery 0 mV", [](BeaconEncoder& b) { b.SetBatteryMillivolts(0); },
         DecodeStatus::ThermistorInvalid, 47, true},
    };
    for (const Case& c : cases) {
        session->records.Reset();
        session->frameLog.clear();
        FillFirstSlotWith(99);
        BeaconEncoder b = Plausible();
        c.spoil(b);
        session->currentRxTimestamp = c.name;
        DecodeResult r = Decode(b.Frame());
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(session->RecordCount(), 1) << c.name;
        EXPECT_EQ(session->frameLog, std::string(c.name) + " | \r\n") << c.name;
        const BeaconRecord& rec = session->records.Record(1);
        EXPECT_EQ(rec.RxTime, c.name);
        EXPECT_EQ(rec.ObcTime == "old obc", !c.obcWritten) << c.name;
        EXPECT_NE(rec.Values[0], 99) << c.name;
        EXPECT_NE(rec.Values[c.firstUntouched - 1 == 52 ? 51 : c.firstUntouched - 1], 99) << c.name;
        for (int ch = c.firstUntouched; ch < kChannelCount; ++ch) {
            EXPECT_EQ(rec.Values[ch], 99) << c.name << " channel " << ch;
        }
    }
}

TEST_F(BeaconDecoderTest, FullStoreLogsButStoresNothing) {
    const std::string frame = Plausible().Frame();
    for (int i = 0; i < RecordStore::kCapacity; ++i) ASSERT_TRUE(Decode(frame).Stored());
    EXPECT_EQ(session->RecordCount(), 10000);
    session->frameLog.clear();
    session->currentRxTimestamp = "late";
    DecodeResult r = Decode(frame);
    EXPECT_EQ(r.status, DecodeStatus::StoreFull);
    EXPECT_EQ(r.record, 0);
    EXPECT_EQ(session->RecordCount(), 10000);
    EXPECT_EQ(session->scroll.Maximum(), 10000);
    EXPECT_EQ(session->frameLog, "late | \r\n");
    EXPECT_NE(session->records.Record(10000).RxTime, "late");
}

TEST_F(BeaconDecoderTest, OverlongFrameWritesNoLogAndNoRecord) {
    DecodeResult r = Decode(std::string(256, '\x01'));
    EXPECT_EQ(r.status, DecodeStatus::FrameTooLong);
    EXPECT_EQ(session->RecordCount(), 0);
    EXPECT_TRUE(session->frameLog.empty());
    EXPECT_EQ(session->frameBytes.ReadU8(254), 1);
}

TEST_F(BeaconDecoderTest, ResetRenumbersAndPullsTheScrollPositionBack) {
    const std::string frame = Plausible().Frame();
    for (int i = 0; i < 5; ++i) Decode(frame);
    session->scroll.SetValue(4);
    session->records.Reset();
    Decode(frame);
    EXPECT_EQ(session->RecordCount(), 1);
    EXPECT_EQ(session->scroll.Maximum(), 1);
    EXPECT_EQ(session->scroll.Value(), 1);
}

TEST_F(BeaconDecoderTest, EncoderRoundTripsEveryChannelValue) {
    // Set each channel from an engineering value and read it back through the
    // decoder: the encoder and the layout must agree on every field.
    BeaconEncoder b = Plausible();
    for (const FieldSpec& f : BeaconLayout()) {
        if (f.channel <= 1 || f.channel == 3 || f.channel == 5) continue;
        if (f.read == FieldRead::Bit) {
            b.SetRaw(f.channel, f.channel % 2);
        } else if (f.scale == FieldScale::Thermistor) {
            b.SetValue(f.channel, 20.0 + f.channel % 5);
        } else if (f.read == FieldRead::U8 || f.read == FieldRead::S8) {
            b.SetRaw(f.channel, 100 + f.channel % 7);
        } else {
            b.SetRaw(f.channel, 1000 + f.channel);
        }
    }
    ASSERT_TRUE(Decode(b.Frame()).Stored());
    const BeaconRecord& rec = session->records.Record(1);
    for (const FieldSpec& f : BeaconLayout()) {
        const double v = rec.Values[f.channel];
        if (f.channel <= 1 || f.channel == 3 || f.channel == 5) continue;
        if (f.read == FieldRead::Bit) {
            EXPECT_EQ(v, f.channel % 2) << f.channel;
        } else if (f.scale == FieldScale::Thermistor) {
            EXPECT_NEAR(v, 20.0 + f.channel % 5, 0.05) << f.channel;
        } else {
            // Encoding the decoded value again must give back the same bytes.
            BeaconEncoder single;
            single.SetValue(f.channel, v);
            for (int i = 0; i < FieldLength(f.read); ++i) {
                EXPECT_EQ(single.bytes()[f.offset + i], b.bytes()[f.offset + i]) << f.channel;
            }
        }
    }
}

}  // namespace
}  // namespace kelvanor
