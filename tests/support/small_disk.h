#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace kelvanor::testing {

// A tiny tmpfs mounted on a fresh folder, to stand for a disk that fills up
// or turns read-only while the program writes to it. Mounting needs the
// right to mount (root, or CAP_SYS_ADMIN); without it Mounted() is false and
// Why() says what the system answered.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const std::string& options) : m_folder(folder) {
        std::filesystem::create_directories(m_folder);
        m_mounted = Mount(0, options);
    }
    ~SmallDisk() {
        if (m_mounted) umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Why() const { return m_why; }
    const std::string& Folder() const { return m_folder; }

    // "size=64k" gives room again; ReadOnly(true) refuses every write.
    bool Resize(const std::string& size) { return Mount(MS_REMOUNT, size); }
    bool ReadOnly(bool on) { return Mount(MS_REMOUNT | (on ? MS_RDONLY : 0), ""); }

private:
    bool Mount(unsigned long flags, const std::string& options) {
        if (mount("tmpfs", m_folder.c_str(), "tmpfs", flags, options.c_str()) == 0) return true;
        m_why = "cannot mount a tmpfs on " + m_folder + ": " + std::strerror(errno);
        return false;
    }

    std::string m_folder;
    std::string m_why;
    bool m_mounted = false;
};

}  // namespace kelvanor::testing
