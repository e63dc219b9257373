#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "app/shell/conf_ini.h"
#include "app/shell/program_paths.h"
#include "app/shell/screenshot_name.h"
#include "support/temp_dir.h"

namespace kelvanor {
namespace {

// server|port text|port|screenshot button|image path|follow newest|stale seconds|problems
std::string Fields(const Configuration& c) {
    return c.server + "|" + c.portText + "|" + (c.port ? std::to_string(*c.port) : "-") + "|" +
           (c.screenshotButton ? "shot" : "") + "|" + c.imagePath + "|" +
           (c.followNewest ? "follow" : "") + "|" + std::to_string(c.staleSeconds) + "|" +
           std::to_string(c.problems.size());
}

// Keys in any case with blanks around, values upper-cased (but the image
// path), the last occurrence wins, unknown keys and "#" lines skipped (a
// blank before "#" makes a key); a line without "=" or a port that is no
// number is a problem, not fatal.
TEST(ShellTest, ConfIniScreenshotNamesAndProgramPaths) {
    const std::pair<const char*, const char*> conf[] = {
        {"tcp_server = lh\r\nSCREENSHOT=yes\r\nfollow_newest = yes\r\n", "LH||-|shot|/p/|follow|0|0"},
        {"#TCP_PORT=9\r\n #TCP_PORT=9\r\nTCP_SERVER=a=b\r\n", "A=B||-|shot|/p/||0|0"},
        {"COLOUR=RED\r\nTCP_PORT= 8001 \r\nSTALE_SECONDS=300", "|8001|8001|shot|/p/||300|0"},
        {"Image_Path = /D/x/\r\nSCREENSHOT=\r\njunk\r\n\r\n   \r\nTCP_PORT=t", "|T|-||/D/x/||0|2"},
        {"TCP_SERVER=a\nTCP_SERVER=b\nTCP_PORT=8001\r\nTCP_PORT=x\nSTALE_SECONDS=-1", "B|X|-|shot|/p/||0|2"},
    };
    for (auto [text, fields] : conf) EXPECT_EQ(Fields(ParseConfiguration(text, "/p/")), fields);
    // The name of the data file in the image folder, "txt" made "bmp"; never a
    // file already there unless this run saved it, nor one whose PNG exists.
    testing::TempDir dir;
    const std::string folder = dir.path().string() + "/", data = dir.File("pass1.kss");
    // a file of the operator's made before, the current file, bitmaps saved, the name
    const std::tuple<std::string, std::string, std::set<std::string>, std::string> shots[] = {
        {"", "/logs/x.txt", {}, "x.bmp"},
        {"", "", {}, "kelvanor.bmp"},
        {"pass1.kss", "/elsewhere/pass1.kss", {}, "pass1.bmp"},  // the recording is there
        {"", "/elsewhere/pass1.kss", {data}, "pass1.kss"},       // a bitmap this run saved
        {"pass1.bmp", data, {}, "pass1-2.bmp"},
        {"pass1-2.png", data, {dir.File("pass1-2.bmp")}, "pass1-3.bmp"},
    };
    for (const auto& [create, current, saved, expected] : shots) {
        if (!create.empty()) testing::WriteFile(dir.File(create), "the operator's");
        EXPECT_EQ(ScreenshotFileName(folder, current, saved), dir.File(expected));
    }
    EXPECT_EQ(ScreenshotFileName("/txtfiles/", "/a/b.kss"), "/bmpfiles/b.kss");
    const char* converted[][2] = {
        {"/a.b/pass", "/a.b/pass.png"}, {"/a/.hidden", "/a/.hidden.png"}, {"a.b", "a.png"}};
    for (auto [image, png] : converted) EXPECT_EQ(ConvertedImageName(image), png);
    // A writable folder outside an installed tree keeps everything beside the
    // program; an installed one reads the user's conf.ini, else one beside the
    // program, else the shipped sample, and writes into the user's data folder.
    using Str = std::string;
    const Str c = "/home/op/.config", d = "/home/op/.local/share", C = c + "/", D = d + "/";
    const Str K = D + "kelvanor/", S = "/usr/share/kelvanor/conf.ini", U = C + "kelvanor/conf.ini";
    // program folder, writable, files there, config and data homes: [user] conf.ini data folder
    const std::tuple<const char*, bool, std::set<Str>, Str, Str, Str> paths[] = {
        {"/b/", true, {"/b/conf.ini"}, C, D, "/b/conf.ini /b/"},
        {"/opt/k", true, {}, C, D, "/opt/k/conf.ini /opt/k/"},  // no separator
        {"/usr/bin/", false, {U, S, "/usr/bin/conf.ini"}, C, D, "user " + U + " " + K},
        {"/usr/bin/", false, {S, "/usr/bin/conf.ini"}, C, D, "user /usr/bin/conf.ini " + K},
        {"/usr/bin/", false, {S}, c, d, "user " + S + " " + K},
        {"/usr/bin/", true, {S}, "/r/c/", "/r/d/", "user " + S + " /r/d/kelvanor/"},  // root
        {"/ro/bin/", false, {}, C, D, "user " + U + " " + K},               // none: the user's
        {"/ro/bin/", false, {}, "", "", "user /ro/bin/conf.ini /ro/bin/"},  // no home
    };
    for (const auto& [bin, w, files, ch, dh, expected] : paths) {
        const std::set<Str>& there = files;  // a lambda takes no structured binding (clang 14)
        auto p = ChooseProgramPaths({bin, w, ch, dh, [&](auto& f) { return there.contains(f); }});
        EXPECT_EQ((p.userFolders ? "user " : "") + p.confIni + " " + p.dataDir, expected);
    }
    const std::pair<const char*, const char*> parents[] = {
        {"/usr/bin/", "/usr/"}, {"/usr/bin", "/usr/"}, {"/bin/", "/"}, {"/", "/"}, {"bin/", "./"}};
    for (auto [bin, parent] : parents) EXPECT_EQ(ParentFolder(bin), parent);
    EXPECT_EQ(XdgFolder("/xdg/conf", "/home/op", ".config"), "/xdg/conf/");
    EXPECT_EQ(XdgFolder("relative/conf", "/home/op", ".config"), "/home/op/.config/");
    EXPECT_EQ(XdgFolder("", "/home/op/", ".local/share"), "/home/op/.local/share/");
    EXPECT_EQ(XdgFolder(nullptr, nullptr, ".config") + XdgFolder(nullptr, "", ".config"), "");
}

}  // namespace
}  // namespace kelvanor
