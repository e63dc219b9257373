#include "app/shell/program_paths.h"

#include <filesystem>
#include <system_error>

namespace kelvanor {

namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir.push_back('/');
    return dir;
}

}  // namespace

std::string ProgramPaths::Summary() const {
    return "conf.ini: " + confIni + "; files: " + dataDir;
}

std::string ProgramPaths::HelpText() const {
    std::string text = "Settings are read from " + confIni + ".\n";
    if (userFolders && confIni != userConfIni) {
        text += "Copy it to " + userConfIni + " to change them.\n";
    }
    if (userFolders) {
        text += "Daily recordings, screenshots and exports without a data file go to " + dataDir + ".\n";
    } else {
        text += "Daily recordings and screenshots go to " + dataDir +
                "; exports without a data file to the working folder.\n";
    }
    return text;
}

ProgramPaths PathsBesideProgram(const std::string& programDir) {
    ProgramPaths paths;
    paths.dataDir = WithSlash(programDir);
    paths.confIni = paths.dataDir + "conf.ini";
    paths.limitsIni = paths.dataDir + "limits.ini";
    return paths;
}

std::string ParentFolder(const std::string& dir) {
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    const std::size_t slash = d.find_last_of('/');
    if (slash == std::string::npos) return "./";
    return d.substr(0, slash + 1);
}

ProgramPaths ChooseProgramPaths(const PathFacts& facts) {
    const std::string programDir = WithSlash(facts.programDir);
    auto exists = [&](const std::string& path) { return facts.fileExists && facts.fileExists(path); };
    const std::string shared = ParentFolder(programDir) + "share/" + kUserFolderName + "/";
    const bool installedTree = exists(shared + "conf.ini");
    if (facts.programDirWritable && !installedTree) return PathsBesideProgram(programDir);

    ProgramPaths paths;
    paths.userFolders = true;
    paths.dataDir = facts.dataHome.empty()
                        ? programDir
                        : WithSlash(facts.dataHome) + kUserFolderName + "/";
    const std::string userFolder =
        facts.configHome.empty() ? "" : WithSlash(facts.configHome) + kUserFolderName + "/";
    if (!userFolder.empty()) paths.userConfIni = userFolder + "conf.ini";
    // The first of the user's file, the one beside the program and the
    // installed sample that exists; none: the user's.
    auto first = [&](const std::string& name) {
        const std::string user = userFolder.empty() ? "" : userFolder + name;
        for (const std::string& candidate : {user, programDir + name, shared + name}) {
            if (!candidate.empty() && exists(candidate)) return candidate;
        }
        return user.empty() ? programDir + name : user;
    };
    paths.confIni = first("conf.ini");
    paths.limitsIni = first("limits.ini");
    return paths;
}

std::string XdgFolder(const char* xdgValue, const char* home, const char* homeSuffix) {
    if (xdgValue != nullptr && xdgValue[0] == '/') return WithSlash(xdgValue);
    if (home != nullptr && home[0] != '\0') return WithSlash(WithSlash(home) + homeSuffix);
    return "";
}

bool EnsureFolder(const std::string& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (std::filesystem::is_directory(dir)) return true;
    error = ec ? ec.message() : "not a folder";
    return false;
}

}  // namespace kelvanor
