// The queue on disk across runs: what a run left is what the next one sends.
#include <gtest/gtest.h>

#include "forward/forward_queue.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

std::string Line(int n) { return "noradID=" + std::to_string(n) + "&version=1"; }

std::vector<std::string> Pending(const ForwardQueue& q) {
    std::vector<std::string> bodies;
    for (const auto& e : q.pending) bodies.push_back(e.body);
    return bodies;
}

TEST(ForwardQueue, NextRunGetsWhatIsNotDoneInOrder) {
    testing::TempDir dir;
    const std::string stem = QueueStem(dir.path().string(), "http://127.0.0.1:80/a b");
    EXPECT_EQ(stem, dir.File("sids-http___127_0_0_1_80_a_b-") + stem.substr(stem.size() - 8));
    std::string error;
    {
        ForwardQueue q;
        ASSERT_TRUE(q.Open(stem, error)) << error;
        ForwardQueue other;  // one program at a time
        EXPECT_FALSE(other.Open(stem, error));
        EXPECT_EQ(error, stem + ".queue is in use by another program");
        for (int n : {1, 2, 3, 4}) ASSERT_TRUE(q.Append(Line(n), error));
        ASSERT_TRUE(q.Sync(error) && q.Done(error) && q.SetAside("400 bad\r\nframe\xE9", error));
    }
    // A power cut in the middle of a line: the cut line is passed over.
    testing::WriteFile(stem + ".queue", testing::ReadFile(stem + ".queue") + "noradID=5&vers");
    ForwardQueue q;
    ASSERT_TRUE(q.Open(stem, error)) << error;
    EXPECT_EQ(Pending(q), (std::vector<std::string>{Line(3), Line(4)}));
    ASSERT_TRUE(q.Append(Line(6), error) && q.Done(error));
    EXPECT_EQ(Pending(q), (std::vector<std::string>{Line(4), Line(6)}));
    const std::string refused = testing::ReadFile(stem + ".refused");
    const std::string end = " UTC 400 bad  frame\xE9 | " + Line(2) + "\r\n";  // one CR LF line
    EXPECT_EQ(refused.substr(23), end);
}

}  // namespace
}  // namespace kelvanor
