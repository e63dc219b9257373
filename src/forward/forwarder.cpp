#include "forward/forwarder.h"

#include <algorithm>

#include "forward/http_post.h"

namespace kelvanor {

struct Forwarder::Server {
    std::string url;
    ForwardQueue queue;
    mutable std::mutex mutex;
    mutable std::condition_variable wake;  // a frame queued, or the end
    int sent = 0, refused = 0;
    std::string lastError;
    std::thread worker;
};

std::string ForwardStateText(const ForwardCounts& counts) {
    std::string text = "SiDS: " + std::to_string(counts.queued) + " queued, " +
                       std::to_string(counts.sent) + " sent, " + std::to_string(counts.refused) +
                       " refused";
    if (!counts.lastError.empty()) text += "; last error: " + counts.lastError;
    return text;
}

Forwarder::Forwarder(const SidsStation& station, const std::vector<std::string>& urls,
                     const std::string& folder, Timing timing,
                     std::function<void(const std::string&)> log)
    : m_station(station), m_timing(timing), m_log(std::move(log)) {
    HttpStartUp();
    for (const std::string& url : urls) {
        auto server = std::make_unique<Server>();
        server->url = url;
        std::string error;
        if (!server->queue.Open(QueueStem(folder, url), error)) {
            m_problems.push_back("SiDS " + url + ": " + error);
            continue;
        }
        m_servers.push_back(std::move(server));
    }
    for (auto& server : m_servers)
        server->worker = std::thread([this, s = server.get()] { Run(*s); });
}

Forwarder::~Forwarder() {
    m_stop = true;
    for (auto& server : m_servers) {
        { std::lock_guard lock(server->mutex); }
        server->wake.notify_all();
    }
    for (auto& server : m_servers) server->worker.join();
}

void Forwarder::Forward(const std::vector<LiveBeacon>& beacons) {
    for (const LiveBeacon& beacon : beacons) {
        const std::string body = SidsRequestBody(m_station, beacon.frame, beacon.utc);
        for (auto& server : m_servers) {
            std::string error;
            {
                std::lock_guard lock(server->mutex);
                if (body.empty()) {
                    error = "a beacon without a UTC reception time was not queued";
                } else if (!server->queue.Append(body, error)) {
                    error = "not queued: " + error;
                }
                if (!error.empty()) server->lastError = error;
            }
            if (!error.empty() && m_log) m_log("SiDS " + server->url + ": " + error);
            server->wake.notify_one();
        }
    }
}

ForwardCounts Forwarder::Counts() const {
    ForwardCounts counts;
    for (const auto& server : m_servers) {
        std::lock_guard lock(server->mutex);
        counts.queued += static_cast<int>(server->queue.pending.size());
        counts.sent += server->sent;
        counts.refused += server->refused;
        if (!server->lastError.empty()) counts.lastError = server->lastError;
    }
    return counts;
}

bool Forwarder::WaitIdle(std::chrono::milliseconds quiet) const {
    auto until = std::chrono::steady_clock::now() + quiet;
    int done = 0;
    for (ForwardCounts counts; (counts = Counts()).queued > 0;) {
        const auto now = std::chrono::steady_clock::now();
        if (counts.sent + counts.refused != done) {
            done = counts.sent + counts.refused;
            until = now + quiet;
        }
        if (now >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void Forwarder::Run(Server& server) {
    const std::string userAgent = "kelvanor/" + m_station.version;
    auto pause = m_timing.firstPause;
    std::unique_lock lock(server.mutex);
    while (!m_stop) {
        server.wake.wait(lock, [&] { return m_stop || !server.queue.pending.empty(); });
        if (m_stop) break;
        const std::string body = server.queue.pending.front().body;
        std::string error;
        // The frame is on the disk before the server can hear of it.
        const bool synced = server.queue.Sync(error);
        lock.unlock();
        HttpAnswer answer;
        if (synced) answer = HttpPostForm(server.url, body, userAgent, m_timing.timeout, m_stop);
        lock.lock();
        if (m_stop) break;
        std::string note;
        if (!synced) {
            note = error;
        } else if (answer.status == 200 || answer.status == 201) {
            ++server.sent;
            if (!server.queue.Done(error)) note = error;
        } else if (answer.status == 400) {
            ++server.refused;
            server.lastError = "refused: " + answer.text.substr(0, 200);
            if (m_log) m_log("SiDS " + server.url + " refused a frame: " + answer.text);
            if (!server.queue.SetAside("400 " + answer.text, error)) note = error;
        } else {
            note =
                answer.status != 0 ? "HTTP status " + std::to_string(answer.status) : answer.error;
        }
        if (note.empty()) {
            pause = m_timing.firstPause;
            continue;
        }
        server.lastError = note;
        if (m_log)
            m_log("SiDS " + server.url + ": " + note + "; next try in " +
                  std::to_string((pause.count() + 999) / 1000) + " s");
        server.wake.wait_for(lock, pause, [&] { return m_stop.load(); });
        pause = std::min(pause * 2, m_timing.longestPause);
    }
}

}  // namespace kelvanor
