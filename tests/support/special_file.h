#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <filesystem>
#include <string>

namespace kelvanor::testing {

// Something other than a regular file, for the readers and the recorder to
// refuse without following, waiting or blocking: a folder, a FIFO (nobody
// reading it, or a reader holding it open), a bound socket, or a link.
enum class Special { Folder, Fifo, FifoBeingRead, Socket, Link };

// Makes `what` at `path` (a link points at `target`). Returns the descriptor
// to close when done (the socket, the FIFO's reader), else -1.
inline int MakeSpecial(Special what, const std::string& path, const std::string& target = "") {
    if (what == Special::Folder) std::filesystem::create_directory(path);
    if (what == Special::Link) std::filesystem::create_symlink(target, path);
    if (what == Special::Fifo || what == Special::FifoBeingRead) mkfifo(path.c_str(), 0644);
    if (what == Special::FifoBeingRead) return open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (what != Special::Socket) return -1;
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? sock : -1;
}

}  // namespace kelvanor::testing
