// The request a telemetry database gets for a frame, written out by hand,
// and the settings that leave forwarding off.
#include <gtest/gtest.h>

#include "app/shell/conf_ini.h"
#include "forward/sids_request.h"

namespace kelvanor {
namespace {

TEST(SidsRequest, BodiesWrittenOut) {
    const std::tuple<SidsStation, std::string, std::string, std::string> cases[] = {
        {{"99999", "DL1ABC", 49.73145, -8.95564, "0.3.0"}, std::string("\xC0" "AB\xC0\x01\x0F", 6), "2026-12-07 03:44:06.140",
         "noradID=99999&source=DL1ABC&timestamp=2026-12-07T03%3A44%3A06.140Z&frame=4142C0010F"
         "&locator=longLat&longitude=8.95564W&latitude=49.73145N&version=0.3.0"},
        // South and east (below 1 degree); a callsign with "/" and a blank; midnight, 0 ms.
        {{"7", "VK2/AB 1", -33.5, 0.25, "1.0 beta"}, std::string("\x00\xff", 2), "1999-12-31 00:00:00.000",
         "noradID=7&source=VK2%2FAB+1&timestamp=1999-12-31T00%3A00%3A00.000Z&frame=FF"
         "&locator=longLat&longitude=0.25E&latitude=33.5S&version=1.0+beta"},
    };
    for (const auto& [station, frame, utc, body] : cases) EXPECT_EQ(SidsRequestBody(station, frame, utc), body);
}

TEST(SidsRequest, OnlyUtcWithThreeMillisecondDigitsMakesARequest) {
    EXPECT_EQ(SidsTimestamp("2026-01-02 23:59:59.999"), "2026-01-02T23:59:59.999Z");
    for (const char* utc : {"2026-01-02 23:59:59", "2026-01-02 23:59:59.99", "2026-01-02 23:59:59.9999",
                            "2026-01-02T23:59:59.999", "2026-01-02 23:59:59.999 UTC", "2026-01-02 23:5a:59.999",
                            "02.01.2026 23:59:59.999", ""}) {
        SCOPED_TRACE(utc);
        EXPECT_EQ(SidsTimestamp(utc), "");
        EXPECT_EQ(SidsRequestBody({"1", "X", 1, 1, "v"}, std::string(10, 'x'), utc), "");
    }
}

TEST(SidsRequest, SettingsThatLeaveForwardingOff) {
    const SidsSettings good{{"https://db.example/api/telemetry/"}, "99999", "N0CALL", "49.7", "-8.9"};
    const struct {
        void (*change)(SidsSettings&);
        std::string problem;
    } cases[] = {
        {[](SidsSettings&) {}, ""},
        {[](SidsSettings& s) { s.latitude = "-90", s.longitude = "180"; }, ""},
        {[](SidsSettings& s) { s.urls.push_back("ftp://x/"); }, "SIDS_URL ftp://x/ is no http:// or https:// address"},
        {[](SidsSettings& s) { s.noradId.clear(); }, "SIDS_NORAD_ID is missing"},
        {[](SidsSettings& s) { s.noradId = "9999A"; }, "SIDS_NORAD_ID 9999A is not a number"},
        {[](SidsSettings& s) { s.callsign.clear(); }, "SIDS_CALLSIGN is empty"},
        {[](SidsSettings& s) { s.latitude = "49,7"; }, "SIDS_LATITUDE \"49,7\" is no number of degrees from -90 to 90"},
        {[](SidsSettings& s) { s.longitude = "-180.5"; }, "SIDS_LONGITUDE \"-180.5\" is no number of degrees from -180 to 180"},
        {[](SidsSettings& s) { s.latitude = s.longitude = "0.0"; }, "the station's position is 0, 0"},
    };
    for (const auto& c : cases) {
        SidsSettings settings = good;
        c.change(settings);
        std::string problem;
        const auto station = StationFrom(settings, "v", problem);
        SCOPED_TRACE(c.problem);
        EXPECT_EQ(station.has_value(), c.problem.empty());
        EXPECT_EQ(problem, c.problem.empty() ? "" : "SiDS forwarding off: " + c.problem);
    }
    std::string problem = "old";
    EXPECT_FALSE(StationFrom({}, "v", problem));  // no server: off without a word
    EXPECT_EQ(problem, "");
}

TEST(SidsRequest, EverySidsUrlLineIsOneServerAsWritten) {
    const Configuration c = ParseConfiguration("SIDS_URL=https://a/Api/\r\nsids_callsign = dl1abc\r\n"
                                               "SIDS_URL = http://b/\r\nSIDS_CALLSIGN=N0CALL\r\n", "/");
    EXPECT_EQ(c.sidsUrls, (std::vector<std::string>{"https://a/Api/", "http://b/"}));
    EXPECT_EQ(c.sidsCallsign, "N0CALL");
}

}  // namespace
}  // namespace kelvanor
