// What a value box's value is made of, and which boxes changed with the
// record shown.
#include "channels/value_provenance.h"

#include <gtest/gtest.h>

#include <memory>

#include "channels/change_marks.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

class ProvenanceTest : public ::testing::Test {
protected:
    ProvenanceTest() : session(std::make_unique<Session>()) {}

    static BeaconEncoder Plausible() { return testing::PlausibleBeacon(); }
    const BeaconRecord& Decode(const BeaconEncoder& b) {
        EXPECT_TRUE(DecodeBeacon(*session, b.Frame()).Stored());
        return session->records.Record(session->RecordCount());
    }

    std::unique_ptr<Session> session;
};

TEST_F(ProvenanceTest, EachKindOfFieldFromTheLayout) {
    BeaconEncoder b = Plausible();
    b.SetRaw(19, 8000);
    b.SetByte(62, 0x04);  // bit 2: channel 31
    b.SetRaw(106, -1);
    b.SetRaw(63, -3);
    const BeaconRecord& r = Decode(b);
    const struct {
        int channel;
        const char* text;
    } cases[] = {
        {19,
         "Channel 19: EPS PV2 Volt #1 (V)\nFrame offset 46, 2 bytes, big-endian unsigned\n"
         "Raw field: 1F 40 = 8000\nConversion: raw * 0.001\nValue: 8 V\n"},
        {3,
         "Channel 3: EPS Battery VOC (V)\nFrame offset 29, 2 bytes, little-endian unsigned\n"
         "Raw field: 40 1F = 8000\nConversion: raw / 1000\nValue: 8 V\n"},
        {31,
         "Channel 31: SD CARD1 Working\nFrame offset 62, 1 byte, one bit (bit 2, 0 = least significant)\n"
         "Raw field: 04 = 1\nConversion: none, the raw field is the value\nValue: 1\n"},
        {106,
         "Channel 106: POS_WRT_ECEF1 (km)\nFrame offset 166, 4 bytes, big-endian signed\n"
         "Raw field: FF FF FF FF = -1\nConversion: raw * 2E-05\nValue: -2E-05 km\n"},
        {63, "Frame offset 103, 1 byte, signed\nRaw field: FD = -3\nConversion: raw / 2\n"},
        {48, "Conversion: thermistor temperature of the count raw at the battery voltage 8000 mV (offset 29), B = 3518\n"},
        {47, "B = 3435\n"},
        {5, "Frame offset 29, 2 bytes, little-endian unsigned\nRaw field: 40 1F = 8000\n"
            "Conversion: state of charge of the battery voltage, raw in mV\n"},
        {1, "Frame offset 20, 8 bytes, big-endian IEEE 754 double\nRaw field: 41 C3 AB 66 92 C0 00 00 = 660000037.5\n"},
        {52, "Channel 52: State of Charge (C)\nNot read from the frame: the decoder never fills it\n"},
    };
    for (const auto& c : cases) {
        const std::string text = ValueProvenance(r, c.channel);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
    EXPECT_NE(ValueProvenance(r, 30).find("Raw field: 04 = 0\n"), std::string::npos);
    EXPECT_THROW(ValueProvenance(r, 118), IndexOutOfRange);
}

TEST_F(ProvenanceTest, ComesFromTheRecordsOwnFrameNotTheLatestOne) {
    BeaconEncoder first = Plausible();
    first.SetRaw(19, 8000);
    Decode(first);
    BeaconEncoder second = Plausible();
    second.SetRaw(19, 0x1234);
    Decode(second);
    const BeaconRecord& r1 = session->records.Record(1);
    EXPECT_NE(ValueProvenance(r1, 19).find("Raw field: 1F 40 = 8000\n"), std::string::npos);
    EXPECT_NE(ValueProvenance(session->records.Record(2), 19).find("Raw field: 12 34 = 4660\n"),
              std::string::npos);
    // The slot holds all 201 bytes as decoded, the address header included.
    EXPECT_EQ(r1.Frame, first.bytes());
    // A slot never written reads zeros.
    EXPECT_NE(ValueProvenance(session->records.Record(3), 19).find("Raw field: 00 00 = 0\n"), std::string::npos);
}

TEST_F(ProvenanceTest, NumbersFollowTheDecimalSeparator) {
    const BeaconRecord& r = Decode(Plausible());
    const std::string text = ValueProvenance(r, 19, ',');
    EXPECT_NE(text.find("Conversion: raw * 0,001\n"), std::string::npos) << text;
    EXPECT_NE(ValueProvenance(r, 1, ',').find("= 660000037,5\n"), std::string::npos);
}

// --- change marks ---

RecordDisplay Shown(std::initializer_list<std::pair<int, const char*>> texts, unsigned long shows,
                    long long record = 1) {
    RecordDisplay d;
    for (auto [c, t] : texts) d.value[static_cast<std::size_t>(c)] = t;
    d.shows = shows;
    d.shownRecord = record;
    return d;
}

TEST(ChangeMarksTest, MarksTheBoxesThatDifferFromThePreviousRecord) {
    ChangeMarks marks;
    marks.Observe(Shown({{0, "1"}, {2, "SAFE"}, {5, "80"}}, 1));
    EXPECT_EQ(marks.Count(), 0);  // nothing to compare the first record with
    marks.Observe(Shown({{0, "2"}, {2, "SAFE"}, {5, "81"}}, 2, 2));
    EXPECT_TRUE(marks.Marked(0));
    EXPECT_FALSE(marks.Marked(2));
    EXPECT_TRUE(marks.Marked(5));
    EXPECT_EQ(marks.Count(), 2);
    // A refresh without a new record keeps the marks.
    marks.Observe(Shown({{0, "2"}, {2, "SAFE"}, {5, "81"}}, 2, 2));
    EXPECT_EQ(marks.Count(), 2);
    // The same texts shown again: nothing changed.
    marks.Observe(Shown({{0, "2"}, {2, "SAFE"}, {5, "81"}}, 3, 2));
    EXPECT_EQ(marks.Count(), 0);
    // A box that appears or empties counts as a change.
    marks.Observe(Shown({{0, "2"}, {2, "SAFE"}, {117, "x"}}, 4, 3));
    EXPECT_TRUE(marks.Marked(5));
    EXPECT_TRUE(marks.Marked(117));
    EXPECT_EQ(marks.Count(), 2);
}

TEST(ChangeMarksTest, EmptiedBoxesStartAfresh) {
    ChangeMarks marks;
    marks.Observe(Shown({{0, "1"}}, 1));
    marks.Observe(Shown({{0, "2"}}, 2));
    EXPECT_TRUE(marks.Marked(0));
    RecordDisplay cleared = Shown({{0, "2"}}, 2);
    cleared.ClearValues();
    marks.Observe(cleared);
    EXPECT_EQ(marks.Count(), 0);
    marks.Observe(Shown({{0, "9"}}, 3));
    EXPECT_EQ(marks.Count(), 0);
    marks.Observe(Shown({{0, "10"}}, 4));
    EXPECT_TRUE(marks.Marked(0));
}

}  // namespace
}  // namespace kelvanor
