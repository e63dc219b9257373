#include "export/export_name.h"

namespace kelvanor {

std::string ExportFileName(std::string& currentFileName, std::string_view defaultName,
                           std::string_view extension, std::string_view dataFolder) {
    if (currentFileName.empty()) {
        currentFileName = dataFolder;
        currentFileName.append(defaultName);
    }
    const bool inFolder = !dataFolder.empty() && currentFileName.starts_with(dataFolder);
    const std::size_t dot = currentFileName.find('.', inFolder ? dataFolder.size() : 0);
    std::string name = currentFileName.substr(0, dot);
    name.append(extension);
    return name;
}

}  // namespace kelvanor
