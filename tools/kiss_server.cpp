// kelvanor-kiss-server: plays the data frames of KISS recordings to every
// client that connects, one KISS frame per write, like a TNC on a TCP port.
// For demonstrations of the live road and for the end-to-end tests.
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acquire/file_io.h"
#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "decode/regional_settings.h"
#include "kelvanor_version.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvanor-kiss-server [--port N] [--bind ADDR] [--rate FRAMES_PER_SECOND] [--loop] "
    "[--timestamps] [--write-size N | --burst] FILE.kss...";

constexpr const char* kHelp =
    "Serves the data frames of the recordings (timestamp records left out), each as\n"
    "FEND + the frame as stored + FEND in one write, to every client that connects.\n"
    "  --port N      TCP port (default 8001; 0 lets the system choose)\n"
    "  --bind ADDR   numeric address to listen on (default 127.0.0.1)\n"
    "  --rate R      frames per second per client (default 1; 0 as fast as possible)\n"
    "  --loop        start over after the last frame instead of closing the connection\n"
    "  --timestamps  send each data frame behind a numeric timestamp frame (0x09 and the\n"
    "                big-endian milliseconds since 1970 of the recording's timestamp\n"
    "                record before it, else of the clock) in the same write\n"
    "  --write-size N  send the bytes of a pass in writes of N bytes each, cutting\n"
    "                across frames; --rate then counts writes\n"
    "  --burst       send a whole pass in one write\n"
    "  --help, --version\n"
    "Prints \"listening on ADDR:PORT\" once ready. Ends on SIGINT or SIGTERM.\n"
    "Exit status: 0 after a stop signal, 1 a recording unreadable or the port unusable,\n"
    "2 usage error.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "kelvanor-kiss-server: %s\n%s\n", message.c_str(), kUsage);
    return 2;
}

// One data frame to send: FEND, the frame as stored, FEND; and the time of
// the recording's last text timestamp record before it, in milliseconds
// since 1970 (-1 when there was none).
struct Frame {
    std::string bytes;
    long long stamp = -1;
};

// "yyyy-MM-dd HH:mm:ss.mmm UTC" as milliseconds since 1970, or -1.
long long StampMilliseconds(std::string_view text) {
    const std::size_t utc = text.find(" UTC");
    if (utc == std::string_view::npos || utc < 23) return -1;
    const std::string_view t = text.substr(utc - 23, 23);
    int f[7] = {};
    const int widths[7] = {4, 2, 2, 2, 2, 2, 3}, starts[7] = {0, 5, 8, 11, 14, 17, 20};
    for (int i = 0; i < 7; ++i) {
        for (int k = 0; k < widths[i]; ++k) {
            const char c = t[static_cast<std::size_t>(starts[i] + k)];
            if (c < '0' || c > '9') return -1;
            f[i] = f[i] * 10 + (c - '0');
        }
    }
    return ((kelvanor::DaysFromCivil(f[0], f[1], f[2]) * 24 + f[3]) * 60 + f[4]) * 60000LL + f[5] * 1000LL + f[6];
}

// The data frames of a recording, split as the importer splits it: the pieces
// between the first and the last FEND, empty pieces and timestamp records
// left out, each kept escaped and framed again by its own FENDs.
void CollectFrames(const std::string& contents, std::vector<Frame>& frames) {
    using kelvanor::kFend;
    long long stamp = -1;
    std::size_t start = contents.find(kFend);
    while (start != std::string::npos) {
        const std::size_t next = contents.find(kFend, start + 1);
        if (next == std::string::npos) break;
        const std::string_view piece = std::string_view(contents).substr(start + 1, next - start - 1);
        start = next;
        if (piece.empty()) continue;
        if (kelvanor::KissUnescape(piece.substr(0, 2))[0] == kelvanor::kTimestampCommand) {
            if (const long long ms = StampMilliseconds(piece); ms >= 0) stamp = ms;
            continue;
        }
        Frame frame{std::string(1, kFend), stamp};
        frame.bytes.append(piece).push_back(kFend);
        frames.push_back(std::move(frame));
    }
}

volatile sig_atomic_t gSignalled = 0;
void OnStopSignal(int) { gSignalled = 1; }

// Wakes the client threads out of their pauses when the server stops.
struct StopFlag {
    std::mutex mutex;
    std::condition_variable changed;
    bool stopped = false;

    // Waits until `until` or the stop; returns false when stopped.
    bool SleepUntil(std::chrono::steady_clock::time_point until) {
        std::unique_lock lock(mutex);
        return !changed.wait_until(lock, until, [&] { return stopped; });
    }
    bool Stopped() {
        std::lock_guard lock(mutex);
        return stopped;
    }
    void Stop() {
        {
            std::lock_guard lock(mutex);
            stopped = true;
        }
        changed.notify_all();
    }
};

struct Client {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
};

// One write for the frame; only a short write (a signal, a full buffer in
// non-blocking mode) makes a second one for the rest.
bool SendFrame(int fd, const std::string& frame) {
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

struct Options {
    std::string port = "8001";
    std::string bind = "127.0.0.1";
    double rate = 1;
    bool loop = false;
    bool timestamps = false;
    std::size_t writeSize = 0;  // 0: one frame per write
    bool burst = false;
    std::vector<std::string> files;
};

// What one pass sends, write by write.
std::vector<std::string> PassWrites(const std::vector<Frame>& frames, const Options& o) {
    std::vector<std::string> writes;
    for (const Frame& f : frames) {
        std::string unit;
        if (o.timestamps) {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            unit = kelvanor::NumericTimestampRecord(
                f.stamp >= 0 ? f.stamp
                             : std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        }
        writes.push_back(unit + f.bytes);
    }
    if (o.writeSize == 0 && !o.burst) return writes;
    std::string pass;
    for (const std::string& w : writes) pass += w;
    const std::size_t size = o.burst ? pass.size() : o.writeSize;
    writes.clear();
    for (std::size_t at = 0; at < pass.size(); at += size) writes.push_back(pass.substr(at, size));
    return writes;
}

void Serve(Client& client, const std::vector<Frame>& source, const Options& o, StopFlag& stop) {
    const double rate = o.rate;
    const bool loop = o.loop;
    using Clock = std::chrono::steady_clock;
    const auto step = rate > 0 ? std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(1.0 / rate))
                               : Clock::duration::zero();
    auto next = Clock::now();
    bool open = true;
    do {
        for (const std::string& frame : PassWrites(source, o)) {
            if (rate > 0 ? !stop.SleepUntil(next) : stop.Stopped()) {
                open = false;
                break;
            }
            if (!SendFrame(client.fd, frame)) {
                open = false;
                break;
            }
            next += step;
        }
    } while (open && loop);
    shutdown(client.fd, SHUT_WR);
    client.done = true;
}

// Returns -1 when the command line parsed, else the exit status.
int Parse(int argc, char** argv, Options& o) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            o.files.push_back(a);
            continue;
        }
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--help") {
            std::printf("%s\n%s", kUsage, kHelp);
            return 0;
        } else if (a == "--version") {
            std::printf("kelvanor-kiss-server %s\n", KELVANOR_VERSION);
            return 0;
        } else if (a == "--port") {
            if (v == nullptr) return UsageError("--port needs a number");
            char* end = nullptr;
            errno = 0;
            const long port = std::strtol(v, &end, 10);
            if (*v == '\0' || *end != '\0' || errno != 0 || port < 0 || port > 65535) {
                return UsageError(std::string("--port needs a number from 0 to 65535: ") + v);
            }
            o.port = std::to_string(port);
            ++i;
        } else if (a == "--bind") {
            if (v == nullptr || *v == '\0') return UsageError("--bind needs an address");
            o.bind = v;
            ++i;
        } else if (a == "--rate") {
            if (v == nullptr) return UsageError("--rate needs a number");
            char* end = nullptr;
            o.rate = std::strtod(v, &end);
            if (*v == '\0' || *end != '\0' || !std::isfinite(o.rate) || o.rate < 0) {
                return UsageError(std::string("--rate needs a number of 0 or more: ") + v);
            }
            ++i;
        } else if (a == "--loop") {
            o.loop = true;
        } else if (a == "--timestamps") {
            o.timestamps = true;
        } else if (a == "--burst") {
            o.burst = true;
        } else if (a == "--write-size") {
            if (v == nullptr) return UsageError("--write-size needs a number");
            char* end = nullptr;
            errno = 0;
            const long long size = std::strtoll(v, &end, 10);
            if (*v == '\0' || *end != '\0' || errno != 0 || size < 1 || size > (1 << 24)) {
                return UsageError(std::string("--write-size needs a number from 1 to 16777216: ") + v);
            }
            o.writeSize = static_cast<std::size_t>(size);
            ++i;
        } else if (a == "--") {
            optionsEnded = true;
        } else {
            return UsageError("unknown option " + a);
        }
    }
    if (o.files.empty()) return UsageError("no recording given");
    if (o.burst && o.writeSize != 0) return UsageError("--burst and --write-size exclude each other");
    return -1;
}

// Binds and listens; prints the address on failure and returns -1.
int Listen(const Options& o, std::string& shown) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(o.bind.c_str(), o.port.c_str(), &hints, &found); rc != 0) {
        std::fprintf(stderr, "kelvanor-kiss-server: --bind %s: %s\n", o.bind.c_str(), gai_strerror(rc));
        return -1;
    }
    int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const int on = 1;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(fd, found->ai_addr, found->ai_addrlen) != 0 || listen(fd, 16) != 0) {
        std::fprintf(stderr, "kelvanor-kiss-server: cannot listen on %s port %s: %s\n",
                     o.bind.c_str(), o.port.c_str(), std::strerror(errno));
        if (fd >= 0) close(fd);
        freeaddrinfo(found);
        return -1;
    }
    const bool v6 = found->ai_family == AF_INET6;
    freeaddrinfo(found);

    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    char service[16] = "";
    getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, nullptr, 0, service, sizeof service,
                NI_NUMERICSERV);
    shown = (v6 ? "[" + o.bind + "]" : o.bind) + ":" + service;
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (int status = Parse(argc, argv, o); status >= 0) return status;

    std::vector<Frame> frames;
    for (const std::string& path : o.files) {
        std::string contents, error;
        if (!kelvanor::ReadWholeFile(path, contents, error)) {
            std::fprintf(stderr, "kelvanor-kiss-server: cannot read %s: %s\n", path.c_str(),
                         error.c_str());
            return 1;
        }
        CollectFrames(contents, frames);
    }
    if (frames.empty()) {
        std::fprintf(stderr, "kelvanor-kiss-server: no data frames in the recordings\n");
        return 1;
    }

    signal(SIGPIPE, SIG_IGN);
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);

    std::string shown;
    const int listener = Listen(o, shown);
    if (listener < 0) return 1;
    std::printf("listening on %s\n", shown.c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "kelvanor-kiss-server: %zu frames from %zu recording(s)\n", frames.size(),
                 o.files.size());

    StopFlag stop;
    std::list<std::unique_ptr<Client>> clients;
    auto reap = [&](bool all) {
        for (auto it = clients.begin(); it != clients.end();) {
            if (all || (*it)->done) {
                (*it)->thread.join();
                close((*it)->fd);
                it = clients.erase(it);
            } else {
                ++it;
            }
        }
    };

    while (!gSignalled) {
        pollfd p{listener, POLLIN, 0};
        const int ready = poll(&p, 1, 200);
        reap(false);
        if (ready <= 0) continue;  // timeout, or a signal
        const int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        auto client = std::make_unique<Client>();
        client->fd = fd;
        // The stop signals belong to this thread alone, so no send is cut short.
        sigset_t previous;
        pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
        // Small writes go out as they are made, not gathered.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        client->thread = std::thread(Serve, std::ref(*client), std::cref(frames), std::cref(o), std::ref(stop));
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        clients.push_back(std::move(client));
    }

    stop.Stop();
    for (const auto& c : clients) shutdown(c->fd, SHUT_RDWR);  // frees a blocked send
    reap(true);
    close(listener);
    return 0;
}
