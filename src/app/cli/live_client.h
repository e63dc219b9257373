#pragma once

#include <cstdio>
#include <string>

namespace kelvanor {

struct Session;

// Receives from a KISS server until the time is up, a signal arrives or the
// server closes the connection. Every read of what the socket holds is one
// arrival: recorded into `recordDir`, decoded when it is one beacon, and
// reported as one line on `out`. The frame log is kept to kKeptLogBytes. Returns 0 when it ended by time or signal,
// 1 (with `error` set) when the connection failed or the server closed it.
int RunLiveClient(Session& session, const std::string& host, const std::string& port,
                  double seconds, const std::string& recordDir, std::FILE* out,
                  std::string& error);

// Splits "HOST:PORT" at its last colon; false when the host is empty or the
// port is not a number from 1 to 65535 (digits only: no service names).
bool SplitHostPort(const std::string& text, std::string& host, std::string& port);

// The longest --for that is taken, in seconds (about 31 years); more, or a
// value that is not finite, is a usage error.
inline constexpr double kLongestRunSeconds = 1e9;

}  // namespace kelvanor
