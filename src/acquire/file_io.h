#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelvanor {

// The reason given for a path that names a FIFO, a socket, a device, a folder
// or (where links are not followed) a symbolic link.
inline constexpr const char* kNotRegularFile = "not a regular file";

// Reads a whole regular file as byte text. The file is opened without
// blocking and checked on the opened descriptor, so a FIFO, a socket, a
// device (also through a link) or a folder is refused with
// kNotRegularFile instead of hanging or reading without end. On failure
// returns false and puts the reason into `error`. `betweenBlocks`, when
// given, is called after every few megabytes read (a window lets its events
// run there).
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   const std::function<void()>& betweenBlocks = {});

// Writes all of `bytes` to the descriptor, going on after interruptions and
// partial writes; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view bytes);

// Writes byte text to a file, replacing it only once the new text is whole:
// it goes to a fresh temporary file in the same folder, which is flushed,
// synced and then renamed over the target. A failure (a full disk, say)
// leaves the file as it was and no temporary file behind. A file that is
// replaced keeps its permissions. On failure returns false with the reason
// in `error`.
bool WriteWholeFile(const std::string& path, std::string_view contents, std::string& error);

// The same replacement, for rewriting a file the program read.
bool ReplaceFileAtomically(const std::string& path, std::string_view contents, std::string& error);

// True when the two paths name one file: the same file when both exist,
// else the same absolute path once the existing folders are resolved.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kelvanor
