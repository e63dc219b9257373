#include "acquire/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kelvanor {

namespace {

std::string Reason() { return std::strerror(errno); }

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   const std::function<void()>& betweenBlocks) {
    contents.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "is a directory";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = Reason();
        return false;
    }
    // Sized once, so a file of any size is held once and never copied
    // while it grows.
    if (const auto size = std::filesystem::file_size(path, ec); !ec) contents.reserve(size);
    char buf[1 << 16];
    std::size_t n;
    constexpr std::size_t kBlock = 4u << 20;
    std::size_t sinceCall = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        contents.append(buf, n);
        if (betweenBlocks && (sinceCall += n) >= kBlock) {
            sinceCall = 0;
            betweenBlocks();
        }
    }
    const bool failed = std::ferror(f) != 0;
    if (failed) error = Reason();
    std::fclose(f);
    return !failed;
}

namespace {

bool WriteWithMode(const std::string& path, std::string_view contents, const char* mode,
                   std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (f == nullptr) {
        error = Reason();
        return false;
    }
    const bool written = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    if (!written) error = Reason();
    const bool closed = std::fclose(f) == 0;
    if (written && !closed) error = Reason();
    return written && closed;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view contents, std::string& error) {
    return WriteWithMode(path, contents, "wb", error);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents, std::string& error) {
    const std::string temporary = path + ".kelvanor-tmp";
    if (!WriteWholeFile(temporary, contents, error)) {
        std::remove(temporary.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = ec.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool AppendToFile(const std::string& path, std::string_view contents, std::string& error) {
    return WriteWithMode(path, contents, "ab", error);
}

}  // namespace kelvanor
