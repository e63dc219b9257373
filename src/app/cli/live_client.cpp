#include "live_client.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "acquire/live_arrival.h"
#include "acquire/retry_pause.h"
#include "acquire/utc_clock.h"
#include "serial_device.h"
#include "service_notify.h"
#include "session/handlers.h"
#include "session/session.h"

namespace kelvanor {

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

using Clock = std::chrono::steady_clock;

int Connect(const std::string& host, const std::string& port, bool keepAlive, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
        error = "cannot connect to " + host + ":" + port + ": " + std::strerror(errno);
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    if (fd >= 0 && keepAlive) {
        // A peer that vanished without closing is noticed within about a
        // minute and a half: probes after 60 s of silence, 10 s apart, 3 lost.
        const int on = 1, idle = 60, interval = 10, count = 3;
        setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    }
    return fd;
}

class Link {
public:
    Link(Session& session, const LinkSettings& settings, std::FILE* out)
        : m_session(session),
          m_settings(settings),
          m_out(out),
          m_end(Clock::now() +
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                    settings.seconds > 0 ? settings.seconds : kLongestRunSeconds))),
          m_stateLines(settings.reconnect || !settings.device.empty()) {}

    int Run(std::string& error) {
        m_notifier.Ready();
        RetryPause pauses;
        while (!Over()) {
            State("Connecting " + m_settings.Name());
            const int fd =
                m_settings.device.empty()
                    ? Connect(m_settings.host, m_settings.port, m_settings.reconnect, error)
                    : OpenSerialDevice(m_settings.device, m_settings.baud, error);
            bool received = false;
            if (fd >= 0) {
                State("Connected");
                m_session.stream.Reset();  // a new stream: nothing of the old one goes on
                const int status = Receive(fd, received, error);
                close(fd);
                if (status == 0) break;  // time or signal
                State((m_settings.device.empty() ? "Peer is closing the connection: " : "Error: ") +
                      error);
            } else {
                State("Error: " + error);
            }
            if (!m_settings.reconnect) return 1;
            if (received) pauses.Reset();
            const int pause = pauses.Next();
            State("Closed; next try in " + std::to_string(pause) + " s");
            Wait(pause);
        }
        if (m_stateLines) State("Closed");
        m_notifier.Stopping();
        return 0;
    }

private:
    bool Over() const { return g_stop || Clock::now() >= m_end; }

    // Milliseconds to the next wake-up: the end, at most a second away.
    int NextWake() const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now());
        return static_cast<int>(std::clamp<long long>(left.count(), 0, 1000));
    }

    void Wait(int seconds) {
        const auto until = Clock::now() + std::chrono::seconds(seconds);
        while (!Over() && Clock::now() < until) {
            m_notifier.Alive();
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            poll(nullptr, 0,
                 std::min<int>(NextWake(), static_cast<int>(std::max<long long>(left.count(), 0))));
        }
    }

    void Line(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fflush(m_out);
    }

    void State(const std::string& text) {
        m_notifier.Status(text);
        if (m_stateLines) Line(UtcNowText(m_clock) + " UTC state " + text + "\n");
    }

    // Reads until time, signal (0) or a failed or closed link (1).
    int Receive(int fd, bool& received, std::string& error) {
        std::string buffer(1 << 16, '\0');
        while (!Over()) {
            m_notifier.Alive();
            pollfd p{fd, POLLIN, 0};
            const int ready = poll(&p, 1, NextWake());
            if (ready < 0) {
                if (errno == EINTR) continue;
                error = std::string("poll failed: ") + std::strerror(errno);
                return 1;
            }
            if (ready == 0) continue;
            const ssize_t n = read(fd, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                error = (m_settings.device.empty() ? "connection failed: " : "device failed: ") +
                        std::string(std::strerror(errno));
                return 1;
            }
            if (n == 0) {
                error = m_settings.device.empty() ? "the server closed the connection"
                                                  : "the device was closed";
                return 1;
            }
            received = true;
            Arrival(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        }
        return 0;
    }

    void Arrival(std::string_view chunk) {
        const ArrivalOutcome outcome =
            HandleArrival(m_session, chunk, m_clock, m_settings.recordDir);
        // Nothing here reads the log; a recorder running for months keeps
        // only the newest lines.
        TrimFrameLog(m_session.frameLog, kKeptLogBytes);
        std::string line = outcome.handled && !m_session.kissStream ? m_session.currentRxTimestamp
                                                                    : UtcNowText(m_clock) + " UTC";
        line.append(" ").append(std::to_string(chunk.size())).append(" bytes ");
        if (!outcome.handled) {
            line += "short";
        } else if (!outcome.streamRecords.empty()) {
            line += "beacon";
            for (int record : outcome.streamRecords) line += " #" + std::to_string(record);
        } else if (outcome.decodeAttempted && outcome.decode.Stored()) {
            line += "beacon #" + std::to_string(outcome.decode.record);
        } else {
            line += "recorded";
        }
        if (!outcome.fileError.empty()) line += " (not recorded: " + outcome.fileError + ")";
        Line(line + "\n");
        if (m_settings.forward && !outcome.beacons.empty()) m_settings.forward(outcome.beacons);
    }

    Session& m_session;
    const LinkSettings& m_settings;
    std::FILE* m_out;
    const Clock::time_point m_end;
    const bool m_stateLines;
    const SystemUtcClock m_clock;
    ServiceNotifier m_notifier;
};

}  // namespace

bool SplitHostPort(const std::string& text, std::string& host, std::string& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host.empty() || port.empty() || port.size() > 5) return false;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
    }
    const int number = std::stoi(port);
    return number >= 1 && number <= 65535;
}

int RunLiveClient(Session& session, const LinkSettings& link, std::FILE* out, std::string& error) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return Link(session, link, out).Run(error);
}

}  // namespace kelvanor
