#pragma once

#include <string>

namespace kelvanor {

struct Session;

// The CSV text of records 1..RecordCount: a "time;" header with the 118
// channel names, then per record its RxTime and the 118 values in the
// general number form, ";" after every field, CR LF line ends.
std::string CsvText(const Session& session);

// The same layout for records first..last only, cut to 1..RecordCount; the
// header alone when nothing is left.
std::string CsvText(const Session& session, int first, int last);

// Writes CsvText(session, first, last) to `path` and reports it in the status
// line. The current file name is not touched. False with `error` when the
// file could not be written.
bool WriteCsvRange(Session& session, const std::string& path, int first, int last, std::string& error);

// The "Write CSV File" command: the file name from the current file name,
// the file written, and the status line. Returns false with `error` when the
// file could not be written; `path` receives the name used.
bool WriteCSVFile_Click(Session& session, std::string& path, std::string& error);

}  // namespace kelvanor
