#include "app/shell/screenshot_name.h"

#include <filesystem>
#include <set>
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

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// The name with `suffix` put before its extension (".bmp" when it has none).
std::string WithSuffix(const std::string& name, const std::string& suffix) {
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    std::string out = hasExtension ? name.substr(0, dot) : name;
    out.append(suffix).append(".bmp");
    return out;
}

}  // namespace

std::string ScreenshotFileName(const std::string& imageFolder, const std::string& currentFileName,
                               const std::set<std::string>& savedBitmaps) {
    std::string base = currentFileName.substr(currentFileName.find_last_of('/') + 1);
    if (base.empty()) base = "kelvanor.bmp";
    const std::string name = ReplaceAll(imageFolder + base, "txt", "bmp");
    // Free: nothing there but a bitmap of this run, and no picture where the
    // converter would write its PNG.
    auto free = [&](const std::string& candidate) {
        const bool replaceable = !Exists(candidate) || savedBitmaps.contains(candidate);
        return replaceable && !Exists(ConvertedImageName(candidate));
    };
    if (free(name)) return name;
    std::string candidate = WithSuffix(name, "");
    for (int n = 2; !free(candidate) && n < 100000; ++n) {
        std::string suffix = "-";
        suffix.append(std::to_string(n));
        candidate = WithSuffix(name, suffix);
    }
    return candidate;
}

std::string ConvertedImageName(const std::string& imageFileName) {
    const std::size_t slash = imageFileName.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = imageFileName.find_last_of('.');
    std::string out =
        dot == std::string::npos || dot <= start ? imageFileName : imageFileName.substr(0, dot);
    out.append(".png");
    return out;
}

}  // namespace kelvanor
