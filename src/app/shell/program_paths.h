#pragma once

#include <functional>
#include <string>

namespace kelvanor {

// The name of the program's folder under the user's configuration and data
// folders.
inline constexpr const char* kUserFolderName = "kelvanor";

// What the program knows about where it runs, gathered by the program itself
// (Qt's QStandardPaths in the window, the XDG variables in kelvanor-cli).
struct PathFacts {
    std::string programDir;           // folder of the program file, ending in "/"
    bool programDirWritable = true;
    std::string configHome;           // the user's configuration folder, e.g. ~/.config/; may be empty
    std::string dataHome;             // the user's data folder, e.g. ~/.local/share/; may be empty
    std::function<bool(const std::string&)> fileExists;  // whether a file is there
};

// Where one run reads its settings and writes its files.
struct ProgramPaths {
    // false: everything beside the program (a build tree or a portable copy);
    // true: the user's folders (an installed program).
    bool userFolders = false;
    std::string confIni;      // the conf.ini read at start-up
    std::string userConfIni;  // where the operator's own conf.ini goes; empty beside the program
    std::string limitsIni;    // the health limits, found as conf.ini is; may not exist
    std::string dataDir;      // daily recordings, default screenshot folder, default export
                              // names; ends in "/"

    // "conf.ini: PATH; files: DIR" for the status line (the tooltip and
    // --help give HelpText).
    std::string Summary() const;
    // Several lines for --help.
    std::string HelpText() const;
};

// Everything beside the program, as a build tree runs.
ProgramPaths PathsBesideProgram(const std::string& programDir);

// The decision. A program whose folder is writable and that is not part of
// an installed tree (no <prefix>/share/kelvanor/conf.ini next to its
// <prefix>/bin) keeps everything beside itself. Otherwise it is an installed
// program: the data folder is <dataHome>kelvanor/, and conf.ini is the first
// that exists of <configHome>kelvanor/conf.ini, <programDir>conf.ini and the
// installed sample <prefix>/share/kelvanor/conf.ini (none: the user's, which
// then reads as missing); limits.ini is looked for the same way. Without a
// user data folder (no HOME) the files go beside the program after all.
ProgramPaths ChooseProgramPaths(const PathFacts& facts);

// "/usr/bin/" -> "/usr/"; "/" stays "/".
std::string ParentFolder(const std::string& dir);

// A user folder from an XDG variable and HOME: the variable when it holds an
// absolute path, else HOME + homeSuffix (".config", ".local/share"), else
// empty. The result ends in "/".
std::string XdgFolder(const char* xdgValue, const char* home, const char* homeSuffix);

// Creates a folder and its parents; true when it exists afterwards.
bool EnsureFolder(const std::string& dir, std::string& error);

}  // namespace kelvanor
