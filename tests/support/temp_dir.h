#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kelvanor::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    ~TempDir() { std::filesystem::remove_all(m_path, m_ec); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::string m_pattern = (std::filesystem::temp_directory_path() / "kelvanor-XXXXXX").string();
    std::filesystem::path m_path = mkdtemp(m_pattern.data());
    std::error_code m_ec;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

}  // namespace kelvanor::testing
