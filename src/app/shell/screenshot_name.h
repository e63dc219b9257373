#pragma once

#include <string>

namespace kelvanor {

// The screenshot file name: the image folder followed by the current file
// name's last component, every "txt" replaced by "bmp". Folders use "/"
// here, so no "/" is removed. With nothing imported the name is
// "kelvanor.bmp". When the result would be the data file itself (a recording
// in the image folder), the data file's stem with ".bmp" is taken instead, so
// the capture never overwrites (and the converter never deletes) the data.
std::string ScreenshotFileName(const std::string& imageFolder, const std::string& currentFileName);

// What the status line names once the converter is started: the image name
// with every "kss" replaced by "png".
std::string ConvertedImageName(const std::string& imageFileName);

// The converter's command line arguments after the program name.
inline constexpr const char* kConverterOptions = "-out png -colors 256 -quiet -D ";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace kelvanor
