// A directory under the system's temporary directory, removed with everything in it when the
// object goes away.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() joined with a relative name.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes bytes to a host file, creating its directories; returns FALSE on failure.
bool WriteHostFile(const std::string& path, const std::string& bytes);
std::string ReadHostFile(const std::string& path);
bool HostFileExists(const std::string& path);
