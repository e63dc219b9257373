#pragma once

#include <set>
#include <string>

namespace kelvanor {

// The screenshot file name: the image folder followed by the current file
// name's last component, every "txt" replaced by "bmp". Folders use "/"
// here, so no "/" is removed. With nothing imported the name is
// "kelvanor.bmp".
//
// The capture never replaces nor lets the converter delete a file of the
// operator's: when a file is there under that name (the recording itself, a
// copy of it, any other file) that is not one of `savedBitmaps` (the bitmaps
// this run saved), or the PNG the converter would make of it is already
// there, the name's stem with ".bmp" is taken instead, then the stem with
// "-2.bmp", "-3.bmp" and so on, the first that is free.
std::string ScreenshotFileName(const std::string& imageFolder, const std::string& currentFileName,
                               const std::set<std::string>& savedBitmaps = {});

// The PNG the converter writes for an image file and the status line names:
// the image name with its extension replaced by ".png" (appended when it has
// none).
std::string ConvertedImageName(const std::string& imageFileName);

// The converter's command line arguments after the program name.
inline constexpr const char* kConverterOptions = "-out png -colors 256 -quiet -D ";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace kelvanor
