#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelvanor {

// Reads a whole file as byte text. On failure returns false and puts the
// reason into `error`. `betweenBlocks`, when given, is called after every
// few megabytes read (a window lets its events run there).
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   const std::function<void()>& betweenBlocks = {});

// Writes byte text to a file, replacing it. On failure returns false with
// the reason in `error`.
bool WriteWholeFile(const std::string& path, std::string_view contents, std::string& error);

// Replaces a file's contents atomically: the text goes to a temporary file in
// the same folder, which is then renamed over the original, so the file is
// always either the old or the new one.
bool ReplaceFileAtomically(const std::string& path, std::string_view contents, std::string& error);

// Appends byte text to a file, creating it when missing.
bool AppendToFile(const std::string& path, std::string_view contents, std::string& error);

}  // namespace kelvanor
