#pragma once

#include <string>
#include <vector>

#include "acquire/satnogs_reader.h"

namespace kelvanor {

struct Session;

enum class ImportKind { KissRecording, SatnogsLog };

// A file of the selection that could not be read.
struct ImportProblem {
    std::string path;
    std::string reason;
};

// Before an import: names and units put back, the value boxes emptied, the
// record count set to 0 (the records themselves are kept), the log emptied.
void ResetBeforeImport(Session& session);

// After each imported file: channel 0 selected and charted (which shows
// record 1), then the record at the scroll position shown with its counter.
void RefreshAfterFile(Session& session);

// Imports one selection: for each file in order, it becomes the current file
// name and the status line, pending events run, the reader runs and the
// display is refreshed. The reset is the caller's (it comes before the file
// dialog). With `normaliseOnDisk` an LF-only SatNOGS log is rewritten with
// CR LF on disk first (the window does this; the command-line tool
// normalises in memory only).
std::vector<ImportProblem> ImportFiles(Session& session, const std::vector<std::string>& paths,
                                       ImportKind kind, ImportHooks& hooks,
                                       bool normaliseOnDisk = false);

// The kind a file name suggests: ".kss" (any case) is a recording.
ImportKind KindOfPath(const std::string& path);

}  // namespace kelvanor
