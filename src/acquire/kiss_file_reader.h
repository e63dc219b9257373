#pragma once

#include <string>
#include <string_view>

namespace kelvanor {

struct FrameRoad;
class ImportHooks;

// Imports the contents of a recording: split at every FEND, only the pieces
// between the first and the last FEND, empty pieces skipped, each piece
// un-escaped and handled as a timestamp record or a data frame. Returns the
// number of records stored. With `hooks`, pending events run every 100
// pieces, so a window stays responsive through a recording of any size.
int ReadKissBytes(const FrameRoad& road, std::string_view contents, ImportHooks* hooks = nullptr);

// Reads a recording file and imports it. A file that cannot be read imports
// nothing; then `error` holds the reason and the result is false.
bool ReadKissFile(const FrameRoad& road, const std::string& path, std::string& error,
                  ImportHooks* hooks = nullptr);

}  // namespace kelvanor
