#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace kelvanor::testing {

// A tiny tmpfs mounted on a fresh folder, to stand for a disk that fills up
// while the program writes to it. Mounting needs the right to mount (root,
// or CAP_SYS_ADMIN); without it Mounted() is false and Why() says what the
// system answered.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const std::string& options) : m_folder(folder) {
        Mount(0, options);
    }
    ~SmallDisk() { umount2(m_folder.c_str(), MNT_DETACH); }  // fails harmlessly if not mounted

    bool Mounted() const { return m_why.empty(); }
    const std::string& Why() const { return m_why; }
    const std::string& Folder() const { return m_folder; }

    // "size=64k" gives room again.
    bool Resize(const std::string& size) { return Mount(MS_REMOUNT, size); }

private:
    bool Mount(unsigned long flags, const std::string& options) {
        std::filesystem::create_directories(m_folder);
        if (mount("tmpfs", m_folder.c_str(), "tmpfs", flags, options.c_str()) == 0) return true;
        m_why = "cannot mount a tmpfs on " + m_folder + ": " + std::strerror(errno);
        return false;
    }

    std::string m_folder, m_why;
};

}  // namespace kelvanor::testing
