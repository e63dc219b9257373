#pragma once

#include <string>
#include <string_view>

namespace kelvanor {

// The export file name for the current file name: an empty current file name
// first becomes `defaultName` (and stays so for later exports); the result is
// the current file name up to its first "." (searched over the whole path),
// followed by `extension` (".csv", ".tlm"). A name without any "." gets the
// extension appended.
std::string ExportFileName(std::string& currentFileName, std::string_view defaultName,
                           std::string_view extension);

inline constexpr std::string_view kDefaultCsvName = "kelvanor.csv";
inline constexpr std::string_view kDefaultTlmName = "lumo4.tlm";

}  // namespace kelvanor
