#include "export/export_name.h"

namespace kelvanor {

std::string ExportFileName(std::string& currentFileName, std::string_view defaultName,
                           std::string_view extension) {
    if (currentFileName.empty()) currentFileName = defaultName;
    const std::size_t dot = currentFileName.find('.');
    std::string name = currentFileName.substr(0, dot);
    name.append(extension);
    return name;
}

}  // namespace kelvanor
