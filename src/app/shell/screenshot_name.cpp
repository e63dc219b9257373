#include "app/shell/screenshot_name.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace kelvanor {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

std::string ScreenshotFileName(const std::string& imageFolder, const std::string& currentFileName) {
    std::string base = currentFileName.substr(currentFileName.find_last_of('/') + 1);
    if (base.empty()) base = "kelvanor.bmp";
    std::string name = ReplaceAll(imageFolder + base, "txt", "bmp");
    auto isDataFile = [&](const std::string& candidate) {
        std::error_code ec;
        return !currentFileName.empty() &&
               (candidate == currentFileName ||
                std::filesystem::equivalent(candidate, currentFileName, ec));
    };
    if (isDataFile(name)) {
        // Same folder as the data: take the data file's stem with ".bmp".
        const std::size_t slash = name.find_last_of('/');
        const std::size_t dot = name.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
            name.erase(dot);
        }
        name += ".bmp";
        if (isDataFile(name)) name.insert(name.size() - 4, "-screenshot");
    }
    return name;
}

std::string ConvertedImageName(const std::string& imageFileName) {
    return ReplaceAll(imageFileName, "kss", "png");
}

}  // namespace kelvanor
