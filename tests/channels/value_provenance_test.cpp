// What a value box's value is made of, and which boxes changed with the
// record shown.
#include "channels/value_provenance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <tuple>

#include "channels/change_marks.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_encoder.h"
#include "session/session.h"
#include "support/plausible_beacon.h"

namespace kelvanor {
namespace {

// Each kind of field of the layout, from the frame of the record asked for
// (not the latest one; a slot never written reads zeros), the numbers in the
// decimal separator given.
TEST(ProvenanceTest, EachKindOfFieldFromTheRecordsOwnFrame) {
    auto session = std::make_unique<Session>();
    BeaconEncoder b = testing::PlausibleBeacon(), second = testing::PlausibleBeacon();
    b.SetRaw(19, 8000);
    b.SetByte(62, 0x04);  // bit 2: channel 31
    b.SetRaw(106, -1);
    b.SetRaw(63, -3);
    second.SetRaw(19, 0x1234);
    for (const BeaconEncoder* e : {&b, &second}) ASSERT_TRUE(DecodeBeacon(*session, e->Frame()).Stored());
    const struct {
        int record, channel;
        const char* text;
        char separator = '.';
    } cases[] = {
        {1, 19,
         "Channel 19: EPS PV2 Volt #1 (V)\nFrame offset 46, 2 bytes, big-endian unsigned\n"
         "Raw field: 1F 40 = 8000\nConversion: raw * 0.001\nValue: 8 V\n"},
        {1, 3,
         "Channel 3: EPS Battery VOC (V)\nFrame offset 29, 2 bytes, little-endian unsigned\n"
         "Raw field: 40 1F = 8000\nConversion: raw / 1000\nValue: 8 V\n"},
        {1, 31,
         "Channel 31: SD CARD1 Working\nFrame offset 62, 1 byte, one bit (bit 2, 0 = least significant)\n"
         "Raw field: 04 = 1\nConversion: none, the raw field is the value\nValue: 1\n"},
        {1, 30, "Raw field: 04 = 0\n"},
        {1, 106,
         "Channel 106: POS_WRT_ECEF1 (km)\nFrame offset 166, 4 bytes, big-endian signed\n"
         "Raw field: FF FF FF FF = -1\nConversion: raw * 2E-05\nValue: -2E-05 km\n"},
        {1, 63, "Frame offset 103, 1 byte, signed\nRaw field: FD = -3\nConversion: raw / 2\n"},
        {1, 48, "Conversion: thermistor temperature of the count raw at the battery voltage 8000 mV (offset 29), B = 3518\n"},
        {1, 47, "B = 3435\n"},
        {1, 5, "Frame offset 29, 2 bytes, little-endian unsigned\nRaw field: 40 1F = 8000\n"
               "Conversion: state of charge of the battery voltage, raw in mV\n"},
        {1, 1, "Frame offset 20, 8 bytes, big-endian IEEE 754 double\nRaw field: 41 C3 AB 66 92 C0 00 00 = 660000037.5\n"},
        {1, 52, "Channel 52: State of Charge (C)\nNot read from the frame: the decoder never fills it\n"},
        {2, 19, "Raw field: 12 34 = 4660\n"},
        {3, 19, "Raw field: 00 00 = 0\n"},
        {1, 19, "Conversion: raw * 0,001\n", ','},
        {1, 1, "= 660000037,5\n", ','},
    };
    for (const auto& c : cases) {
        const std::string text = ValueProvenance(session->records.Record(c.record), c.channel, c.separator);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
    // The slot holds all 201 bytes as decoded, the address header included.
    EXPECT_EQ(session->records.Record(1).Frame, b.bytes());
    EXPECT_THROW(ValueProvenance(session->records.Record(1), 118), IndexOutOfRange);
}

// --- change marks ---

// Each step shows texts of channels 0, 2, 5 and 117 ("-": empty; "clear":
// the boxes emptied) as show number `shows` of `record`; then the boxes
// marked. A refresh without a new show keeps the marks; the same texts shown
// again clear them; a box that appears or empties counts as a change;
// emptied boxes start afresh.
TEST(ChangeMarksTest, MarksTheBoxesThatDifferFromTheRecordShownBefore) {
    const std::tuple<const char*, unsigned long, long long, const char*> steps[] = {
        {"1 SAFE 80 -", 1, 1, ""},  // nothing to compare the first record with
        {"2 SAFE 81 -", 2, 2, "0 5"},
        {"2 SAFE 81 -", 2, 2, "0 5"},
        {"2 SAFE 81 -", 3, 2, ""},
        {"2 SAFE - x", 4, 3, "5 117"},
        {"clear", 4, 3, ""},
        {"9 SAFE - x", 5, 4, ""},
        {"10 SAFE - x", 6, 5, "0"},
    };
    ChangeMarks marks;
    RecordDisplay d;
    for (const auto& [texts, shows, record, marked] : steps) {
        std::istringstream in(texts);
        std::string word;
        for (int c : {0, 2, 5, 117})
            if (in >> word) d.value[static_cast<std::size_t>(c)] = word == "-" ? "" : word;
        d.shows = shows;
        d.shownRecord = record;
        if (std::string(texts) == "clear") d.ClearValues();
        marks.Observe(d);
        std::string got;
        for (int c = 0; c < kChannelCount; ++c)
            if (marks.Marked(c)) got += (got.empty() ? "" : " ") + std::to_string(c);
        EXPECT_EQ(got, marked) << texts << " " << shows;
        EXPECT_EQ(marks.Count(), std::ranges::count(got, ' ') + !got.empty());
    }
}

}  // namespace
}  // namespace kelvanor
