#pragma once

#include <cstdio>
#include <string>

namespace kelvanor {

struct Session;

// Receives from a KISS server until the time is up, a signal arrives or the
// server closes the connection. Every read of what the socket holds is one
// arrival: recorded into `recordDir`, decoded when it is one beacon, and
// reported as one line on `out`. Returns 0 when it ended by time or signal,
// 1 (with `error` set) when the connection failed or the server closed it.
int RunLiveClient(Session& session, const std::string& host, const std::string& port,
                  double seconds, const std::string& recordDir, std::FILE* out,
                  std::string& error);

// Splits "HOST:PORT" at its last colon; false when either part is empty.
bool SplitHostPort(const std::string& text, std::string& host, std::string& port);

}  // namespace kelvanor
