#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "acquire/live_beacon.h"

namespace kelvanor {

struct Session;

// Where and how the live reception reads.
struct LinkSettings {
    std::string host, port;  // a KISS server over TCP, or
    std::string device;      // a TNC on a serial device
    int baud = 9600;
    bool reconnect = false;  // try a lost or refused link again, 1 s doubling to 60 s
    double seconds = 0;      // run time; 0 until a stop signal
    std::string recordDir;
    // Hears of the beacons each arrival stored, after its line (forwarding).
    std::function<void(const std::vector<LiveBeacon>&)> forward;

    // "HOST:PORT" or the device, for state lines.
    std::string Name() const { return device.empty() ? host + ":" + port : device; }
};

// Receives until the time is up or a signal arrives, and without
// `reconnect` also until the link fails or the peer closes it. Every read of
// what the link holds is one arrival: recorded into the folder, decoded, and
// reported as one line on `out`. With `reconnect` or a serial device, every
// change of the link's state is a line too ("<UTC> UTC state <text>"). The
// frame log is kept to kKeptLogBytes. Returns 0 when it ended by time or
// signal, 1 (with `error` set) when the link failed or was closed.
int RunLiveClient(Session& session, const LinkSettings& link, std::FILE* out, std::string& error);

// Splits "HOST:PORT" at its last colon; false when the host is empty or the
// port is not a number from 1 to 65535 (digits only: no service names).
bool SplitHostPort(const std::string& text, std::string& host, std::string& port);

// The longest --for that is taken, in seconds (about 31 years); more, or a
// value that is not finite, is a usage error.
inline constexpr double kLongestRunSeconds = 1e9;

}  // namespace kelvanor
