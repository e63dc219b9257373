#include "acquire/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// Whether two paths name one file, as the command-line tool asks before it
// writes an output that could be one of its inputs.
TEST(SameFileTest, OneFileUnderAnyNameButNeverTwoFiles) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("day.kss"), "x");
    testing::WriteFile(dir.File("other.kss"), "x");
    ASSERT_EQ(::link(dir.File("day.kss").c_str(), dir.File("hard.kss").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("day.kss").c_str(), dir.File("soft.kss").c_str()), 0);
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"day.kss", "day.kss", true},    {"day.kss", "./day.kss", true},
        {"day.kss", "hard.kss", true},   {"day.kss", "soft.kss", true},
        {"day.kss", "other.kss", false}, {"new.csv", "new.csv", true},
        {"new.csv", "./new.csv", true},  {"new.csv", "day.kss", false},
        {"new.csv", "new.tlm", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameFile(dir.File(c.a), dir.File(c.b)), c.same) << c.a << " " << c.b;
}

}  // namespace
}  // namespace kelvanor
