// The request a telemetry database gets for a frame, written out by hand,
// the settings that leave forwarding off, and a server's queue on disk: one
// program at a time, and a journal that is emptied once all its lines are
// done, without losing a line added later.
#include <gtest/gtest.h>

#include "forward/forward_queue.h"
#include "forward/sids_request.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// A body written out by hand; a time that is not UTC with exactly three
// millisecond digits makes no request.
TEST(SidsRequest, BodiesWrittenOut) {
    const std::tuple<SidsStation, std::string, std::string, std::string> cases[] = {
        {{"99999", "DL1ABC", 49.73145, -8.95564, "0.3.0"},
         std::string("\xC0"
                     "AB\xC0\x01\x0F",
                     6),
         "2026-12-07 23:59:59.999",
         "noradID=99999&source=DL1ABC&timestamp=2026-12-07T23%3A59%3A59.999Z&frame=4142C0010F"
         "&locator=longLat&longitude=8.95564W&latitude=49.73145N&version=0.3.0"},
        // South and east (below 1 degree); a callsign with "/" and a blank; midnight, 0 ms.
        {{"7", "VK2/AB 1", -33.5, 0.25, "1.0 beta"},
         std::string("\x00\xff", 2),
         "1999-12-31 00:00:00.000",
         "noradID=7&source=VK2%2FAB+1&timestamp=1999-12-31T00%3A00%3A00.000Z&frame=FF"
         "&locator=longLat&longitude=0.25E&latitude=33.5S&version=1.0+beta"},
    };
    for (const auto& [station, frame, utc, body] : cases)
        EXPECT_EQ(SidsRequestBody(station, frame, utc), body);
    for (const char* utc :
         {"2026-01-02 23:59:59", "2026-01-02 23:59:59.99", "2026-01-02 23:59:59.9999",
          "2026-01-02T23:59:59.999", "2026-01-02 23:59:59.999 UTC", "2026-01-02 23:5a:59.999",
          "02.01.2026 23:59:59.999", ""})
        EXPECT_EQ(SidsRequestBody({"1", "X", 1, 1, "v"}, std::string(10, 'x'), utc), "") << utc;
}

TEST(SidsRequest, SettingsThatLeaveForwardingOff) {
    // catalogue number, callsign, latitude, longitude; why forwarding is off
    const std::tuple<std::string, std::string, std::string, std::string, std::string> cases[] = {
        {"99999", "N0CALL", "-90", "180", ""},  // (everyday ones: the kelvanor-cli test)
        {"", "N0CALL", "49.7", "-8.9", "SIDS_NORAD_ID is missing"},
        {"9999A", "N0CALL", "49.7", "-8.9", "SIDS_NORAD_ID 9999A is not a number"},
        {"99999", "", "49.7", "-8.9", "SIDS_CALLSIGN is empty"},
        {"1", "X", "49,7", "1", "SIDS_LATITUDE \"49,7\" is no number of degrees from -90 to 90"},
        {"1", "X", "1", "-180.5",
         "SIDS_LONGITUDE \"-180.5\" is no number of degrees from -180 to 180"},
        {"1", "X", "0.0", "0", "the station's position is 0, 0"},
        {"1", "X", "1", "1", "SIDS_URL ftp://x/ is no http:// or https:// address"},
    };
    for (const auto& [norad, call, latitude, longitude, problem] : cases) {
        std::string said;
        const std::vector<std::string> urls{
            "https://a/api/", problem.starts_with("SIDS_URL") ? "ftp://x/" : "http://b/"};
        EXPECT_EQ(StationFrom({urls, norad, call, latitude, longitude}, "v", said).has_value(),
                  problem.empty());
        EXPECT_EQ(said, problem.empty() ? "" : "SiDS forwarding off: " + problem);
    }
    std::string said = "old";
    EXPECT_FALSE(StationFrom({}, "v", said));  // no server: off without a word
    EXPECT_EQ(said, "");
}

// A journal of 100 bytes or more is emptied when its last line is done, its
// lines kept in a file named by the time; a stop after the emptying but before
// the note went back (the note past the end) loses nothing added in the next run.
TEST(ForwardQueue, HeldByOneProgramAndEmptiedWhenAllIsDone) {
    testing::TempDir dir;
    const std::string q = dir.File("q"), line = "noradID=1&" + std::string(40, 'x') + "&version=1";
    std::string error;
    {
        ForwardQueue queue(100);
        ASSERT_TRUE(queue.Open(q, error) && queue.Append(line, error) && queue.Append(line, error));
        ForwardQueue other;
        EXPECT_FALSE(other.Open(q, error));
        EXPECT_EQ(error, q + ".queue is in use by another program");
        EXPECT_TRUE(queue.Done(error));  // one line still to go
        EXPECT_EQ(testing::ReadFile(q + ".queue"), line + "\r\n" + line + "\r\n");
        EXPECT_TRUE(queue.Done(error));
        EXPECT_EQ(testing::ReadFile(q + ".queue") + "|" + testing::ReadFile(q + ".done"), "|0\r\n");
        std::string kept;  // the forwarded lines, in a file of their own
        for (const auto& f : std::filesystem::directory_iterator(dir.path()))
            if (f.path().filename().string().starts_with("q.sent-20")) kept += testing::ReadFile(f.path());
        EXPECT_EQ(kept, line + "\r\n" + line + "\r\n");
    }
    testing::WriteFile(q + ".done", "124\r\n");
    for (std::size_t run = 0; run < 3; ++run) {  // each run finds the lines of the runs before
        ForwardQueue queue(1000);
        ASSERT_TRUE(queue.Open(q, error)) << error;
        ASSERT_EQ(queue.pending.size(), run);
        EXPECT_TRUE(queue.Append(line, error));
    }
}

}  // namespace
}  // namespace kelvanor
