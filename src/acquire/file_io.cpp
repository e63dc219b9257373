#include "acquire/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kelvanor {

namespace {

std::string Reason(int errorNumber) { return std::strerror(errorNumber); }

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now; false (with errno set) when the close reported an error.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// A name for a temporary file beside `path`, unique within this process.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path p(path);
    std::string name = ".";
    name.append(p.filename().string()).append(".kelvanor-").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(counter++));
    return (p.parent_path() / name).string();
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   const std::function<void()>& betweenBlocks) {
    contents.clear();
    // Non-blocking, so that opening a FIFO returns at once; only the type of
    // what was opened decides (a name can be swapped between a check and the
    // open, a descriptor cannot).
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        // A socket, or a device without a driver, cannot even be opened.
        error = errno == ENXIO ? kNotRegularFile : Reason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = Reason(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = kNotRegularFile;
        return false;
    }
    // Sized once, so a file of any size is held once and never copied
    // while it grows.
    contents.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    constexpr std::size_t kBlock = 4u << 20;
    std::size_t sinceCall = 0;
    while (true) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = Reason(errno);
            return false;
        }
        contents.append(buf, static_cast<std::size_t>(n));
        if (betweenBlocks && (sinceCall += static_cast<std::size_t>(n)) >= kBlock) {
            sinceCall = 0;
            betweenBlocks();
        }
    }
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;  // no progress: never spin
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool WriteWholeFile(const std::string& path, std::string_view contents, std::string& error) {
    const std::string temporary = TemporaryName(path);
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (fd.get() < 0) {
        error = Reason(errno);
        return false;
    }
    // A file that is replaced keeps who may read it.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    bool ok = WriteAll(fd.get(), contents) && ::fsync(fd.get()) == 0;
    int failure = errno;
    if (!fd.Close() && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        error = Reason(failure);
    }
    return ok;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents, std::string& error) {
    return WriteWholeFile(path, contents, error);
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ca.empty() && ca == cb;
}

}  // namespace kelvanor
