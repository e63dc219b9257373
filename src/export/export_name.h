#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanor {

// The export file name for the current file name: an empty current file name
// first becomes `defaultName` (and stays so for later exports); the result is
// the current file name up to its first "." (searched over the whole path),
// followed by `extension` (".csv", ".tlm"). A name without any "." gets the
// extension appended.
//
// An installed program passes its data folder as `dataFolder`: the default
// name is then made inside it, and for a current file name inside that folder
// the "." is searched after the folder, so that a folder such as
// ~/.local/share/kelvanor/ does not cut the name short. With an empty
// `dataFolder` the rule above holds unchanged.
std::string ExportFileName(std::string& currentFileName, std::string_view defaultName,
                           std::string_view extension, std::string_view dataFolder = {});

// `name`, unless it is one of `keep` (the files the last import read, by path
// or as the same file under another path): then the first of name-2.ext,
// name-3.ext, ... (the extension being what follows the last "." of the
// last component) that is none of them.
std::string AvoidFiles(const std::string& name, const std::vector<std::string>& keep);

inline constexpr std::string_view kDefaultCsvName = "kelvanor.csv";
inline constexpr std::string_view kDefaultTlmName = "lumo4.tlm";

}  // namespace kelvanor
