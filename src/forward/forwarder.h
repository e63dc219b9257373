#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acquire/live_beacon.h"
#include "forward/forward_queue.h"
#include "forward/sids_request.h"

namespace kelvanor {

// How the forwarding stands, over all servers.
struct ForwardCounts {
    int queued = 0;   // waiting to be sent (a frame counts once per server)
    int sent = 0;     // accepted this run
    int refused = 0;  // set aside this run
    std::string lastError;
};

// "SiDS: 2 queued, 15 sent, 1 refused" and, after an error, "; last error: ...".
std::string ForwardStateText(const ForwardCounts& counts);

// Passes live beacons on to telemetry databases. Every beacon goes into each
// server's queue on disk at once; a worker thread per server sends the queue
// in order. An answer 200 or 201 takes a frame out, 400 sets it aside with
// the server's text; no answer (a network error, a time-out) or any other
// status is tried again after a pause of 1 s doubling to 10 minutes. What is
// queued when the forwarder ends is sent by the next one on the same folder.
class Forwarder {
public:
    struct Timing {
        std::chrono::milliseconds timeout{30000};  // for one request
        std::chrono::milliseconds firstPause{1000};
        std::chrono::milliseconds longestPause{600000};
    };

    // Opens the queues in `folder`; a server whose queue cannot be opened is
    // left out, with the reason in Problems(). `log` (may be empty) hears of
    // refusals and errors, from the worker threads.
    Forwarder(const SidsStation& station, const std::vector<std::string>& urls,
              const std::string& folder, Timing timing,
              std::function<void(const std::string&)> log);
    ~Forwarder();  // stops the workers at once; the queues stay on disk

    // Queues every beacon for every server; sends nothing itself.
    void Forward(const std::vector<LiveBeacon>& beacons);

    ForwardCounts Counts() const;
    const std::vector<std::string>& Problems() const { return m_problems; }

    // Waits until nothing is queued, or until no frame has been sent or set
    // aside for `quiet`; true when the queues are empty.
    bool WaitIdle(std::chrono::milliseconds quiet) const;

private:
    struct Server;
    void Run(Server& server);

    SidsStation m_station;
    Timing m_timing;
    std::function<void(const std::string&)> m_log;
    std::vector<std::unique_ptr<Server>> m_servers;
    std::vector<std::string> m_problems;
    std::atomic<bool> m_stop{false};
};

}  // namespace kelvanor
