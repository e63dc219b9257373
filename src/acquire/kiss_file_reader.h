#pragma once

#include <string>
#include <string_view>

namespace kelvanor {

struct Session;

// Imports the contents of a recording: split at every FEND, only the pieces
// between the first and the last FEND, empty pieces skipped, each piece
// un-escaped and handled as a timestamp record or a data frame. Returns the
// number of records stored.
int ReadKissBytes(Session& session, std::string_view contents);

// Reads a recording file and imports it. A file that cannot be read imports
// nothing; then `error` holds the reason and the result is false.
bool ReadKissFile(Session& session, const std::string& path, std::string& error);

}  // namespace kelvanor
