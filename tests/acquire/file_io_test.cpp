#include "acquire/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

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
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"day.kss", "day.kss", true},    {"day.kss", "./day.kss", true},
        {"day.kss", "hard.kss", true},   {"day.kss", "soft.kss", true},
        {"day.kss", "other.kss", false}, {"new.csv", "new.csv", true},
        {"new.csv", "./new.csv", true},  {"new.csv", "day.kss", false},
        {"new.csv", "new.tlm", false},
    };
    for (auto [a, b, same] : cases)
        EXPECT_EQ(SameFile(dir.File(a), dir.File(b)), same) << a << " " << b;
}

// A file written whole is new (rw-r--r-- under the umask 022) or replaces the
// old one; a folder at the name is refused and left as it was.
TEST(WriteWholeFileTest, NewReplacedOrRefused) {
    testing::TempDir dir;
    std::string error;
    const mode_t mask = umask(022);
    EXPECT_TRUE(WriteWholeFile(dir.File("a"), "1", error));
    EXPECT_TRUE(WriteWholeFile(dir.File("b"), "2", error));
    umask(mask);
    EXPECT_TRUE(WriteWholeFile(dir.File("b"), "3", error));
    struct stat st {};
    EXPECT_TRUE(stat(dir.File("a").c_str(), &st) == 0 && (st.st_mode & 07777) == 0644);
    EXPECT_FALSE(WriteWholeFile(dir.path().string(), "4", error));
    EXPECT_EQ(testing::ReadFile(dir.File("a")) + testing::ReadFile(dir.File("b")), "13");
    // Nothing left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace kelvanor
