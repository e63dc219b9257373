#include "channels/presentation.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace kelvanor {
namespace {

class PresentationTest : public ::testing::Test {
protected:
    PresentationTest() : store(std::make_unique<RecordStore>()) {}

    // Shows a record whose channel `channel` holds `value`, on top of what
    // the display held before.
    const std::string& Show(int channel, double value, int n = 1) {
        store->Record(n).Values[static_cast<std::size_t>(channel)] = value;
        ShowRecord(*store, n, settings, display);
        return display.value[static_cast<std::size_t>(channel)];
    }

    std::unique_ptr<RecordStore> store;
    RegionalSettings settings = RegionalSettings::C();
    RecordDisplay display;
};

// A slot whose values were never written shows the zero texts (the boxes of
// channels 15 and 28, which have no word for 0, keep theirs) and the
// captions carry the record's times.
TEST_F(PresentationTest, NeverWrittenSlotShowsTheZeroTexts) {
    display.value[15] = "prev15";
    display.value[28] = "prev28";
    store->Record(7).ObcTime = "2020-11-29 21:20:00";
    store->Record(7).RxTime = "2020-11-29 21:20:01.141 UTC";
    ShowRecord(*store, 7, settings, display);
    const std::pair<int, const char*> expected[] = {
        {2, "BOOT"},      {11, "SUN POINT"}, {12, "BOOT"},     {14, "OK"},      {40, "NOMINAL"},
        {42, "NOMINAL"},  {46, "NOMINAL"},   {98, "OK"},       {99, "OK"},      {15, "prev15"},
        {28, "prev28"},   {4, "False"},      {33, "False"},    {17, "00000000"}, {18, "00000000"},
        {47, "0.00"},     {52, "0.00"},      {117, "0.00"},    {94, "0"},       {0, "0"},
        {1, "0"},         {100, "0"},
    };
    for (auto [channel, text] : expected) EXPECT_EQ(display.value[channel], text) << channel;
    EXPECT_EQ(display.obcCaption, "OBC Timestamp: 2020-11-29 21:20:00");
    EXPECT_EQ(display.rxCaption, "RX Timestamp: 2020-11-29 21:20:01.141 UTC");
    // Record numbers outside the store change nothing; 10000 is the last slot.
    for (long long n : {0LL, -1LL, 10001LL, 40000LL}) ShowRecord(*store, n, settings, display);
    EXPECT_EQ(display.rxCaption, "RX Timestamp: 2020-11-29 21:20:01.141 UTC");
    ShowRecord(*store, 10000, settings, display);
    EXPECT_EQ(display.obcCaption, "OBC Timestamp: ");
}

TEST_F(PresentationTest, EveryListedCodeShowsItsWordAndAnyOtherValueKeepsThePreviousText) {
    // the channels, the words of their codes
    const std::pair<std::vector<int>, std::map<int, std::string>> lists[] = {
        {{2}, {{0, "BOOT"}, {1, "PHOENIX"}, {2, "SAFE"}, {3, "CHARGING"}, {4, "SCIENCE"}, {5, "TRANSITION"},
               {6, "TEST"}}},
        {{11}, {{0, "SUN POINT"}, {1, "FINE REF POINT"}}},
        {{12}, {{0, "BOOT"}, {1, "COMMAND"}, {4, "ATTITUDE INVALID"}, {8, "TIME INVALID"},
                {12, "ATTITUDE TIME INVALID"}, {16, "REFS INVALID"}}},
        {{14}, {{0, "OK"}, {1, "PENDING"}, {2, "BAD"}, {3, "TO FEW STARS"}, {4, "QUEST FAILED"},
                {5, "RESIDUALS TOO HIGH"}, {6, "RATE TOO HIGH"}}},
        {{15}, {{2, "SEARCH INIT"}, {3, "SEARCHING"}, {4, "WAITING"}, {5, "CONVERGING"}, {6, "ON SUN"},
                {7, "NOT ACTIVE"}}},
        {{28}, {{2, "S-BAND"}, {3, "EPS"}, {4, "CIP"}, {5, "UHF"}}},
        {{40}, {{0, "NOMINAL"}, {1, "VOLTAGE ANOMALY"}, {2, "SELF-TEST ANOMALY UHF"}, {5, "AFC NOT ACTIVE"},
                {6, "FREQUENCY ANOMALY"}, {7, "SWD NOT ACTIVE"}}},
        {{42}, {{0, "NOMINAL"}, {1, "VOLTAGE ANOMALY"}}},
        {{46}, {{0, "NOMINAL"}, {1, "VOLTAGE/CURRENT ANOMALY"}, {2, "CIP OVER TEMPERATURE"}}},
        {{98, 99}, {{0, "OK"}, {1, "BAD APID"}, {2, "BAD OPCODE"}, {3, "BAD DATA"}, {7, "NO CMD DATA"},
                    {8, "CMD SRVC OVERRUN"}, {9, "CMD APID OVERRUN"}, {12, "TABLES BUSY"},
                    {13, "FLASH NOT ARMED"}, {14, "THRUSTERS DISABLED"}, {15, "ATT ERR TOO HIGH"},
                    {16, "ASYNC REFUSED"}}},
    };
    for (const auto& [channels, words] : lists) {
        for (int channel : channels) {
            for (double value : {-1.0, 0.0, 1.0, 2.0, 3.0, 3.5, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0, 12.0,
                                 13.0, 14.0, 15.0, 16.0, 17.0}) {
                display.value[static_cast<std::size_t>(channel)] = "previous";
                const auto word = words.find(static_cast<int>(value));
                const bool listed = word != words.end() && value == word->first;
                EXPECT_EQ(Show(channel, value), listed ? word->second : "previous")
                    << "channel " << channel << " value " << value;
            }
        }
    }
}

TEST_F(PresentationTest, EachRuleWritesItsText) {
    const struct {
        int channel;
        double value;
        const char* text;
        char separator = '.';
    } cases[] = {
        // booleans: any value but 0 is True
        {4, 0.25, "True"}, {4, 0, "False"}, {36, -1, "True"}, {16, 1, "True"},
        // bit patterns: rounded half to even, taken modulo a byte
        {17, 5, "00000101"}, {17, 255, "11111111"}, {17, 2.5, "00000010"}, {17, 3.5, "00000100"},
        {17, 256, "00000100"}, {18, 128, "10000000"}, {18, -0.6, "10000000"}, {18, -0.4, "00000000"},
        // hexadecimal, two's complement in 32 bits; outside 32 bits the text stays
        {94, 171, "AB"}, {94, 255, "FF"}, {94, -1, "FFFFFFFF"}, {94, 10.5, "A"}, {94, 2147483647, "7FFFFFFF"},
        {94, -2147483648.0, "80000000"}, {94, 2147483648.0, "80000000"}, {94, 0, "0"},
        // two decimals and the general number form, in both separators
        {106, 6878.1449, "6878.14"}, {109, 7.5, "7.50"}, {105, 33, "33.00"}, {1, 663000000.5, "663000000.5"},
        {3, 7.823, "7.823"}, {106, -0.00002, "0.00"}, {3, 0.00001, "1E-05"},
        {109, 7.5, "7,50", ','}, {3, 7.823, "7,823", ','}, {52, 0, "0,00", ','},
    };
    for (const auto& c : cases) {
        settings.decimalSeparator = c.separator;
        EXPECT_EQ(Show(c.channel, c.value), c.text) << "channel " << c.channel << " value " << c.value;
    }
}

TEST(RuleOfTest, EveryChannelHasItsRule) {
    using R = PresentationRule;
    std::map<int, R> rules;
    for (int c = 0; c < kChannelCount; ++c) rules[c] = R::NumberText;
    for (int c : {2, 11, 12, 14, 15, 28, 40, 42, 46, 98, 99}) rules[c] = R::Enumeration;
    for (int c : {4, 6, 7, 8, 9, 10, 13, 16, 29, 30, 31, 32, 33, 34, 35, 36}) rules[c] = R::Boolean;
    for (int c : {17, 18}) rules[c] = R::BitText;
    for (int c = 47; c <= 54; ++c) rules[c] = R::TwoDecimals;
    for (int c = 105; c <= 117; ++c) rules[c] = R::TwoDecimals;
    rules[94] = R::Hexadecimal;
    for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(RuleOf(c), rules[c]) << c;
}

}  // namespace
}  // namespace kelvanor
