#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/shell/conf_ini.h"
#include "app/shell/program_paths.h"
#include "app/shell/screenshot_name.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

TEST(ConfIniTest, ParsingRules) {
    struct Case {
        const char* name;
        const char* text;
        const char* server;
        const char* portText;
        bool screenshot;
        const char* imagePath;
    } cases[] = {
        {"lower-case key, blanks, value upper-cased", "tcp_server = localhost\r\n", "LOCALHOST", "",
         true, "/prog/"},
        {"screenshot yes", "SCREENSHOT=yes\r\n", "", "", true, "/prog/"},
        {"screenshot NO", "SCREENSHOT=NO\r\n", "", "", false, "/prog/"},
        {"screenshot empty", "SCREENSHOT=\r\n", "", "", false, "/prog/"},
        {"image path keeps its case", "Image_Path = /Data/Shots/\r\n", "", "", true, "/Data/Shots/"},
        {"value keeps later =", "TCP_SERVER=a=b\r\n", "A=B", "", true, "/prog/"},
        {"comment", "#TCP_PORT=9\r\n", "", "", true, "/prog/"},
        {"blank before # is no comment", " #TCP_PORT=9\r\n", "", "", true, "/prog/"},
        {"last occurrence wins", "TCP_SERVER=a\nTCP_SERVER=b\n", "B", "", true, "/prog/"},
        {"unknown keys ignored", "COLOUR=RED\r\nTCP_PORT=8001", "", "8001", true, "/prog/"},
    };
    for (const Case& c : cases) {
        Configuration config = ParseConfiguration(c.text, "/prog/");
        EXPECT_EQ(config.server, c.server) << c.name;
        EXPECT_EQ(config.portText, c.portText) << c.name;
        EXPECT_EQ(config.screenshotButton, c.screenshot) << c.name;
        EXPECT_EQ(config.imagePath, c.imagePath) << c.name;
        EXPECT_TRUE(config.problems.empty()) << c.name;
        EXPECT_FALSE(config.followNewest) << c.name;  // only its own key sets it
    }
    EXPECT_TRUE(ParseConfiguration("follow_newest = yes\r\n", "/p/").followNewest);
    Configuration both = ParseConfiguration("TCP_SERVER=host\r\nTCP_PORT= 8001 \r\n", "/p/");
    EXPECT_EQ(both.ServerLabel(), "[HOST:8001]");
    EXPECT_EQ(both.port, 8001);
}

TEST(ConfIniTest, BadLinesAndPortsAreReportedNotFatal) {
    Configuration config = ParseConfiguration("garbage line\r\nTCP_PORT=eighty\r\n", "/p/");
    EXPECT_EQ(config.problems.size(), 2u);
    EXPECT_FALSE(config.port.has_value());
    EXPECT_EQ(config.portText, "EIGHTY");
    Configuration missing = ReadConfiguration("/nonexistent-folder/");
    EXPECT_EQ(missing.problems.size(), 1u);
    EXPECT_EQ(missing.imagePath, "/nonexistent-folder/");
    EXPECT_TRUE(missing.screenshotButton);
}

TEST(ScreenshotNameTest, NameRule) {
    testing::TempDir dir;
    const std::string shots = dir.File("shots") + "/";
    struct Case {
        std::string current, expected;
    } cases[] = {
        {"/logs/pass1.txt", shots + "pass1.bmp"},
        {"/logs/pass1.kss", shots + "pass1.kss"},
        {"", shots + "kelvanor.bmp"},
        {"lumo4.tlm", shots + "lumo4.tlm"},
    };
    for (const Case& c : cases) EXPECT_EQ(ScreenshotFileName(shots, c.current), c.expected) << c.current;
    EXPECT_EQ(ScreenshotFileName("/txtfiles/", "/a/b.kss"), "/bmpfiles/b.kss");
    EXPECT_EQ(ConvertedImageName(shots + "pass1.kss"), shots + "pass1.png");
    EXPECT_EQ(ConvertedImageName(shots + "pass1.bmp"),
              shots + "pass1.png");  // the file really written
    EXPECT_EQ(ConvertedImageName("/a.b/pass"), "/a.b/pass.png");
    EXPECT_EQ(ConvertedImageName("/a/.hidden"), "/a/.hidden.png");
    EXPECT_EQ(ConvertedImageName("a.b"), "a.png");
}

TEST(ScreenshotNameTest, NeverAFileOfTheOperators) {
    testing::TempDir dir;
    const std::string folder = dir.path().string() + "/";
    const std::string data = dir.File("pass1.kss");
    testing::WriteFile(data, "data");
    // The recording itself in the image folder, or a copy of it imported from elsewhere.
    EXPECT_EQ(ScreenshotFileName(folder, data), dir.File("pass1.bmp"));
    EXPECT_EQ(ScreenshotFileName(folder, "/elsewhere/pass1.kss"), dir.File("pass1.bmp"));
    // A bitmap this run saved may be replaced; one of the operator's may not.
    EXPECT_EQ(ScreenshotFileName(folder, "/elsewhere/pass1.kss", {data}), data);
    testing::WriteFile(dir.File("pass1.bmp"), "picture");
    EXPECT_EQ(ScreenshotFileName(folder, data), dir.File("pass1-2.bmp"));
    // Nor a PNG the converter would write over.
    testing::WriteFile(dir.File("pass1-2.png"), "picture");
    EXPECT_EQ(ScreenshotFileName(folder, data, {dir.File("pass1-2.bmp")}), dir.File("pass1-3.bmp"));
    EXPECT_EQ(ScreenshotFileName(folder, "/a/pass2.txt"), dir.File("pass2.bmp"));
    testing::WriteFile(dir.File("pass2.png"), "picture");
    EXPECT_EQ(ScreenshotFileName(folder, "/a/pass2.txt"), dir.File("pass2-2.bmp"));
}

}  // namespace
}  // namespace kelvanor

namespace kelvanor {
namespace {

TEST(ProgramPathsTest, BesideTheProgramOrInTheUserFolders) {
    const std::string shared = "/usr/share/kelvanor/conf.ini";
    const std::string user = "/home/op/.config/kelvanor/conf.ini";
    struct Case {
        const char* name;
        const char* programDir;
        bool writable;
        std::vector<std::string> existing;
        const char* configHome;
        const char* dataHome;
        bool userFolders;
        std::string confIni, dataDir;
    } cases[] = {
        {"build tree", "/src/build/bin/", true, {"/src/build/bin/conf.ini"}, "/home/op/.config/",
         "/home/op/.local/share/", false, "/src/build/bin/conf.ini", "/src/build/bin/"},
        {"portable copy without a separator", "/opt/k", true, {}, "/home/op/.config/",
         "/home/op/.local/share/", false, "/opt/k/conf.ini", "/opt/k/"},
        {"installed, the user's conf.ini wins", "/usr/bin/", false, {user, shared, "/usr/bin/conf.ini"},
         "/home/op/.config/", "/home/op/.local/share/", true, user, "/home/op/.local/share/kelvanor/"},
        {"installed, a conf.ini beside the program next", "/usr/bin/", false,
         {shared, "/usr/bin/conf.ini"}, "/home/op/.config/", "/home/op/.local/share/", true,
         "/usr/bin/conf.ini", "/home/op/.local/share/kelvanor/"},
        {"installed, the shipped sample last", "/usr/bin/", false, {shared}, "/home/op/.config",
         "/home/op/.local/share", true, shared, "/home/op/.local/share/kelvanor/"},
        {"installed tree in a writable prefix (root, a user prefix)", "/usr/bin/", true, {shared},
         "/root/.config/", "/root/.local/share/", true, shared, "/root/.local/share/kelvanor/"},
        {"unwritable, no conf.ini anywhere: the user's, read as missing", "/ro/bin/", false, {},
         "/home/op/.config/", "/home/op/.local/share/", true, user, "/home/op/.local/share/kelvanor/"},
        {"unwritable and no home: beside the program", "/ro/bin/", false, {}, "", "", true,
         "/ro/bin/conf.ini", "/ro/bin/"},
    };
    for (const Case& c : cases) {
        PathFacts facts;
        facts.programDir = c.programDir;
        facts.programDirWritable = c.writable;
        facts.configHome = c.configHome;
        facts.dataHome = c.dataHome;
        const std::vector<std::string> existing = c.existing;
        facts.fileExists = [&](const std::string& path) {
            return std::find(existing.begin(), existing.end(), path) != existing.end();
        };
        const ProgramPaths paths = ChooseProgramPaths(facts);
        EXPECT_EQ(paths.userFolders, c.userFolders) << c.name;
        EXPECT_EQ(paths.confIni, c.confIni) << c.name;
        EXPECT_EQ(paths.dataDir, c.dataDir) << c.name;
        const std::string help = paths.HelpText();
        EXPECT_NE(help.find(c.confIni), std::string::npos) << c.name;
        EXPECT_NE(help.find(c.dataDir), std::string::npos) << c.name;
    }
}

TEST(ProgramPathsTest, FolderHelpers) {
    EXPECT_EQ(ParentFolder("/usr/bin/"), "/usr/");
    EXPECT_EQ(ParentFolder("/usr/bin"), "/usr/");
    EXPECT_EQ(ParentFolder("/bin/"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(ParentFolder("bin/"), "./");

    EXPECT_EQ(XdgFolder("/xdg/conf", "/home/op", ".config"), "/xdg/conf/");
    EXPECT_EQ(XdgFolder("relative/conf", "/home/op", ".config"), "/home/op/.config/");
    EXPECT_EQ(XdgFolder("", "/home/op/", ".local/share"), "/home/op/.local/share/");
    EXPECT_EQ(XdgFolder(nullptr, nullptr, ".config"), "");
    EXPECT_EQ(XdgFolder(nullptr, "", ".config"), "");

    testing::TempDir dir;
    std::string error;
    EXPECT_TRUE(EnsureFolder(dir.File("a/b/c"), error));
    EXPECT_TRUE(EnsureFolder(dir.File("a/b/c"), error)) << "an existing folder is fine";
    testing::WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(EnsureFolder(dir.File("plain/sub"), error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kelvanor
