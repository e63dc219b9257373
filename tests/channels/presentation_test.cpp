#include "channels/presentation.h"

#include <gtest/gtest.h>

#include <memory>

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

TEST_F(PresentationTest, NeverWrittenSlotShowsTheZeroTexts) {
    display.value[15] = "prev15";
    display.value[28] = "prev28";
    ShowRecord(*store, 7, settings, display);
    const std::pair<int, const char*> expected[] = {
        {2, "BOOT"},      {11, "SUN POINT"}, {12, "BOOT"},     {14, "OK"},      {40, "NOMINAL"},
        {42, "NOMINAL"},  {46, "NOMINAL"},   {98, "OK"},       {99, "OK"},      {15, "prev15"},
        {28, "prev28"},   {4, "False"},      {33, "False"},    {17, "00000000"}, {18, "00000000"},
        {47, "0.00"},     {52, "0.00"},      {117, "0.00"},    {94, "0"},       {0, "0"},
        {1, "0"},         {100, "0"},
    };
    for (auto [channel, text] : expected) EXPECT_EQ(display.value[channel], text) << channel;
    EXPECT_EQ(display.obcCaption, "OBC Timestamp: ");
    EXPECT_EQ(display.rxCaption, "RX Timestamp: ");
}

TEST_F(PresentationTest, EnumerationsKeepThePreviousTextOnUnlistedCodes) {
    EXPECT_EQ(Show(2, 3), "CHARGING");
    EXPECT_EQ(Show(2, 7), "CHARGING");
    EXPECT_EQ(Show(2, 3.5), "CHARGING");
    EXPECT_EQ(Show(12, 12), "ATTITUDE TIME INVALID");
    EXPECT_EQ(Show(12, 6), "ATTITUDE TIME INVALID");
    EXPECT_EQ(Show(14, 5), "RESIDUALS TOO HIGH");
    EXPECT_EQ(Show(14, 6), "RATE TOO HIGH");
    EXPECT_EQ(Show(15, 6), "ON SUN");
    EXPECT_EQ(Show(15, 1), "ON SUN");
    EXPECT_EQ(Show(28, 2), "S-BAND");
    EXPECT_EQ(Show(40, 2), "SELF-TEST ANOMALY UHF");
    EXPECT_EQ(Show(40, 4), "SELF-TEST ANOMALY UHF");
    EXPECT_EQ(Show(46, 2), "CIP OVER TEMPERATURE");
    EXPECT_EQ(Show(98, 16), "ASYNC REFUSED");
    EXPECT_EQ(Show(99, 9), "CMD APID OVERRUN");
    EXPECT_EQ(Show(99, 10), "CMD APID OVERRUN");
    EXPECT_EQ(Show(11, 1), "FINE REF POINT");
    EXPECT_EQ(Show(42, 1), "VOLTAGE ANOMALY");
}

TEST_F(PresentationTest, BooleansAreTrueForAnyNonZeroValue) {
    EXPECT_EQ(Show(4, 0.25), "True");
    EXPECT_EQ(Show(4, 0), "False");
    EXPECT_EQ(Show(36, -1), "True");
    EXPECT_EQ(Show(16, 1), "True");
}

TEST_F(PresentationTest, BitTextRoundsHalfToEvenAndRejectsOutOfByte) {
    EXPECT_EQ(Show(17, 5), "00000101");
    EXPECT_EQ(Show(17, 255), "11111111");
    EXPECT_EQ(Show(17, 2.5), "00000010");
    EXPECT_EQ(Show(17, 3.5), "00000100");
    EXPECT_EQ(Show(17, 256), "00000100");
    EXPECT_EQ(Show(18, 128), "10000000");
    EXPECT_EQ(Show(18, -0.6), "10000000");
    EXPECT_EQ(Show(18, -0.4), "00000000");
}

TEST_F(PresentationTest, HexadecimalWithTwosComplementAndRangeCheck) {
    EXPECT_EQ(Show(94, 171), "AB");
    EXPECT_EQ(Show(94, 255), "FF");
    EXPECT_EQ(Show(94, -1), "FFFFFFFF");
    EXPECT_EQ(Show(94, 10.5), "A");
    EXPECT_EQ(Show(94, 2147483647), "7FFFFFFF");
    EXPECT_EQ(Show(94, -2147483648.0), "80000000");
    EXPECT_EQ(Show(94, 2147483648.0), "80000000");  // outside 32 bits: kept
    EXPECT_EQ(Show(94, 0), "0");
}

TEST_F(PresentationTest, TwoDecimalsAndNumberText) {
    EXPECT_EQ(Show(106, 6878.1449), "6878.14");
    EXPECT_EQ(Show(109, 7.5), "7.50");
    EXPECT_EQ(Show(105, 33), "33.00");
    EXPECT_EQ(Show(1, 663000000.5), "663000000.5");
    EXPECT_EQ(Show(3, 7.823), "7.823");
    EXPECT_EQ(Show(106, -0.00002), "0.00");
    EXPECT_EQ(Show(3, 0.00001), "1E-05");
}

TEST_F(PresentationTest, UsesTheRegionalDecimalSeparator) {
    settings = RegionalSettings::CommaDecimal();
    EXPECT_EQ(Show(109, 7.5), "7,50");
    EXPECT_EQ(Show(3, 7.823), "7,823");
    EXPECT_EQ(Show(52, 0), "0,00");
}

TEST_F(PresentationTest, RecordNumbersOutsideTheStoreChangeNothing) {
    display.value.fill("kept");
    display.obcCaption = "obc";
    display.rxCaption = "rx";
    for (long long n : {0LL, -1LL, 10001LL, 40000LL}) {
        ShowRecord(*store, n, settings, display);
        for (const std::string& text : display.value) EXPECT_EQ(text, "kept") << n;
        EXPECT_EQ(display.obcCaption, "obc");
        EXPECT_EQ(display.rxCaption, "rx");
    }
    ShowRecord(*store, 10000, settings, display);
    EXPECT_EQ(display.value[0], "0");
}

TEST_F(PresentationTest, CaptionsCarryTheRecordTimes) {
    store->Record(3).ObcTime = "2020-11-29 21:20:00";
    store->Record(3).RxTime = "2020-11-29 21:20:01.141 UTC";
    ShowRecord(*store, 3, settings, display);
    EXPECT_EQ(display.obcCaption, "OBC Timestamp: 2020-11-29 21:20:00");
    EXPECT_EQ(display.rxCaption, "RX Timestamp: 2020-11-29 21:20:01.141 UTC");
}

TEST(ByteToBitsTest, MostSignificantBitFirst) {
    EXPECT_EQ(ByteToBits(0), "00000000");
    EXPECT_EQ(ByteToBits(0xA5), "10100101");
    EXPECT_EQ(ByteToBits(1), "00000001");
}

TEST(RuleOfTest, EveryChannelHasTheListedRule) {
    int counts[6] = {};
    for (int c = 0; c < kChannelCount; ++c) ++counts[static_cast<int>(RuleOf(c))];
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::Enumeration)], 11);
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::Boolean)], 16);
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::BitText)], 2);
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::TwoDecimals)], 21);
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::Hexadecimal)], 1);
    EXPECT_EQ(counts[static_cast<int>(PresentationRule::NumberText)], 67);
}

}  // namespace
}  // namespace kelvanor
