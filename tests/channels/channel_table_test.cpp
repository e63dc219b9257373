#include "channels/channel_table.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>

#include <set>
#include <vector>

#include "decode/frame_bytes.h"

namespace kelvanor {
namespace {

TEST(ChannelTableTest, OnlyTheListedNamesRepeat) {
    std::map<std::string_view, std::vector<int>> byName;
    for (const ChannelInfo& c : ChannelTable()) byName[c.name].push_back(c.number);
    std::set<std::vector<int>> repeats;
    for (auto& [name, numbers] : byName) {
        if (numbers.size() > 1) repeats.insert(numbers);
    }
    EXPECT_EQ(repeats, (std::set<std::vector<int>>{{5, 52}, {63, 64}, {75, 76}, {91, 92}}));
}

TEST(ChannelTableTest, UnitsFollowTheUnitRule) {
    std::map<std::string_view, std::vector<int>> byUnit;
    for (const ChannelInfo& c : ChannelTable()) byUnit[c.unit].push_back(c.number);
    EXPECT_EQ(byUnit["V"], (std::vector<int>{3, 19, 20, 21, 22, 23, 24, 56, 58, 60, 62, 65, 67, 69,
                                             71, 73, 75, 76, 78, 88, 89}));
    EXPECT_EQ(byUnit["mA"],
              (std::vector<int>{55, 57, 59, 61, 63, 64, 66, 68, 70, 72, 74, 77, 79, 80}));
    EXPECT_EQ(byUnit["C"], (std::vector<int>{47, 48, 49, 50, 51, 52, 53, 54, 82, 83, 90, 91, 92,
                                             93, 95, 96, 97, 115, 116, 117}));
    EXPECT_EQ(byUnit["km"], (std::vector<int>{106, 107, 108}));
    EXPECT_EQ(byUnit["km/s"], (std::vector<int>{109, 110, 111}));
    EXPECT_EQ(byUnit.size(), 6u);  // the five units and empty
}

TEST(ChannelTableTest, PagesFillRowByRowThreeAcross) {
    // Page 1: channels 0..51 then 53..59; page 2: 60..117; 52 on no page.
    std::vector<int> page1, page2;
    for (int c = 0; c <= 59; ++c) {
        if (c != 52) page1.push_back(c);
    }
    for (int c = 60; c <= 117; ++c) page2.push_back(c);
    ASSERT_EQ(page1.size(), 59u);
    ASSERT_EQ(page2.size(), 58u);
    for (const auto& [page, channels] : {std::pair{1, page1}, std::pair{2, page2}}) {
        for (std::size_t k = 0; k < channels.size(); ++k) {
            const ChannelInfo& c = Channel(channels[k]);
            EXPECT_EQ(c.number, channels[k]);
            EXPECT_EQ(std::tuple(c.page, c.row, c.column),
                      std::tuple(page, static_cast<int>(k / 3) + 1, static_cast<int>(k % 3) + 1))
                << c.number;
        }
    }
    EXPECT_EQ(Channel(52).page, 0);
    EXPECT_EQ(Channel(52).number, 52);
    EXPECT_EQ(Channel(0).name, "Beacon Packet");
    EXPECT_EQ(Channel(117).name, "ADCS IMU Temp");
    EXPECT_THROW(Channel(118), IndexOutOfRange);
    EXPECT_THROW(Channel(-1), IndexOutOfRange);
}

// top, name, value and unit left edges in twips, and whether on a tab page:
// the first box, row 20 column 2 (channel 59), and channel 52 off the pages.
TEST(ChannelTableTest, GeometryInTwips) {
    const std::pair<int, std::array<int, 5>> cases[] = {{0, {480, 120, 2040, 2880, 1}},
                                                         {59, {5040, 3600, 5520, 6360, 1}},
                                                         {52, {8160, 12960, 14880, 15720, 0}}};
    for (const auto& [channel, g] : cases) {
        const ChannelGeometry c = GeometryOf(channel);
        EXPECT_EQ((std::array{c.top, c.nameLeft, c.valueLeft, c.unitLeft, int(c.onTabPage)}), g) << channel;
    }
}

TEST(InitChannelLabelsTest, PutsNamesAndOnlyTheNonEmptyUnits) {
    ChannelLabels labels;
    EXPECT_EQ(labels.name[0], "Option1");
    labels.unit[5] = "typed";  // a unit label no unit overwrites stays as it is
    InitChannelLabels(labels);
    EXPECT_EQ(labels.name[0], "Beacon Packet");
    EXPECT_EQ(labels.name[52], "State of Charge");
    EXPECT_EQ(labels.unit[52], "C");
    EXPECT_EQ(labels.unit[5], "typed");
    EXPECT_EQ(labels.unit[0], "");
    ChannelLabels again = labels;
    InitChannelLabels(again);
    EXPECT_EQ(again.name, labels.name);
    EXPECT_EQ(again.unit, labels.unit);
}

}  // namespace
}  // namespace kelvanor
