#include "export/export_name.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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

namespace {

bool IsOneOf(const std::string& name, const std::vector<std::string>& files) {
    return std::any_of(files.begin(), files.end(), [&](const std::string& f) {
        std::error_code ec;
        return f == name || std::filesystem::equivalent(f, name, ec);
    });
}

}  // namespace

std::string AvoidFiles(const std::string& name, const std::vector<std::string>& keep) {
    if (!IsOneOf(name, keep)) return name;
    const std::size_t slash = name.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot <= start) dot = name.size();
    std::string candidate;
    for (int n = 2;; ++n) {
        candidate = name.substr(0, dot);
        candidate.append("-").append(std::to_string(n)).append(name, dot);
        if (!IsOneOf(candidate, keep)) return candidate;
    }
}

}  // namespace kelvanor
