#include "live_client.h"

#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "acquire/live_arrival.h"
#include "session/handlers.h"
#include "acquire/utc_clock.h"
#include "session/session.h"

namespace kelvanor {

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

int Connect(const std::string& host, const std::string& port, std::string& error) {
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
        fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
        error = "cannot connect to " + host + ":" + port + ": " + std::strerror(errno);
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

}  // namespace

bool SplitHostPort(const std::string& text, std::string& host, std::string& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.empty() || port.empty() || port.size() > 5) return false;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
    }
    const int number = std::stoi(port);
    return number >= 1 && number <= 65535;
}

int RunLiveClient(Session& session, const std::string& host, const std::string& port,
                  double seconds, const std::string& recordDir, std::FILE* out,
                  std::string& error) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const int fd = Connect(host, port, error);
    if (fd < 0) return 1;
    const SystemUtcClock clock;
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(seconds > 0 ? seconds : 1e9));
    std::string buffer(1 << 16, '\0');
    int status = 0;
    while (!g_stop) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll failed: ") + std::strerror(errno);
            status = 1;
            break;
        }
        if (ready == 0) continue;
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::string("connection failed: ") + std::strerror(errno);
            status = 1;
            break;
        }
        if (n == 0) {
            error = "the server closed the connection";
            status = 1;
            break;
        }
        const ArrivalOutcome outcome = HandleArrival(
            session, std::string_view(buffer.data(), static_cast<std::size_t>(n)), clock, recordDir);
        // Nothing here reads the log; a recorder running for months keeps
        // only the newest lines.
        TrimFrameLog(session.frameLog, kKeptLogBytes);
        std::string line = outcome.handled ? session.currentRxTimestamp : UtcNowText(clock) + " UTC";
        line.append(" ").append(std::to_string(n)).append(" bytes ");
        if (!outcome.handled) {
            line += "short";
        } else if (outcome.decodeAttempted && outcome.decode.Stored()) {
            line += "beacon #" + std::to_string(outcome.decode.record);
        } else {
            line += "recorded";
        }
        if (!outcome.fileError.empty()) line += " (not recorded: " + outcome.fileError + ")";
        line += "\n";
        std::fwrite(line.data(), 1, line.size(), out);
        std::fflush(out);
    }
    close(fd);
    return status;
}

}  // namespace kelvanor
