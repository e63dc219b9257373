#include "channels/channel_table.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "decode/frame_bytes.h"
#include <set>

namespace kelvanor {
namespace {

TEST(ChannelTableTest, NumbersRunWithoutGap) {
    auto table = ChannelTable();
    for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(table[c].number, c);
}

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

TEST(ChannelTableTest, PagesHold59And58ChannelsInRowMajorOrder) {
    std::map<int, int> perPage;
    std::set<std::tuple<int, int, int>> places;
    for (const ChannelInfo& c : ChannelTable()) {
        ++perPage[c.page];
        if (c.page != 0) {
            EXPECT_TRUE(places.insert({c.page, c.row, c.column}).second) << c.number;
            EXPECT_GE(c.row, 1);
            EXPECT_LE(c.row, 20);
        }
    }
    EXPECT_EQ(perPage[1], 59);
    EXPECT_EQ(perPage[2], 58);
    EXPECT_EQ(perPage[0], 1);
    EXPECT_EQ(Channel(52).page, 0);

    struct Place {
        int channel, page, row, column;
    } known[] = {{0, 1, 1, 1},   {2, 1, 1, 3},   {51, 1, 18, 1}, {53, 1, 18, 2}, {58, 1, 20, 1},
                 {59, 1, 20, 2}, {60, 2, 1, 1},  {94, 2, 12, 2}, {116, 2, 19, 3}, {117, 2, 20, 1}};
    for (const Place& p : known) {
        const ChannelInfo& c = Channel(p.channel);
        EXPECT_EQ(std::tuple(c.page, c.row, c.column), std::tuple(p.page, p.row, p.column))
            << p.channel;
    }
    EXPECT_EQ(Channel(0).name, "Beacon Packet");
    EXPECT_EQ(Channel(117).name, "ADCS IMU Temp");
    EXPECT_THROW(Channel(118), IndexOutOfRange);
}

TEST(ChannelTableTest, GeometryInTwips) {
    ChannelGeometry first = GeometryOf(0);
    EXPECT_EQ(first.top, 480);
    EXPECT_EQ(first.nameLeft, 120);
    EXPECT_EQ(first.valueLeft, 2040);
    EXPECT_EQ(first.unitLeft, 2880);
    ChannelGeometry last = GeometryOf(59);  // row 20, column 2
    EXPECT_EQ(last.top, 480 + 240 * 19);
    EXPECT_EQ(last.nameLeft, 3600);
    ChannelGeometry hidden = GeometryOf(52);
    EXPECT_FALSE(hidden.onTabPage);
    EXPECT_EQ(hidden.top, 8160);
    EXPECT_EQ(hidden.nameLeft, 12960);
    EXPECT_EQ(hidden.valueLeft, 14880);
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
