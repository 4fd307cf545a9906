// A test fixture with an emulated machine on a temporary prefix, and helpers that read the
// prefix's registry files as text.
#pragma once

#include "TempDir.h"

#include <host/Machine.h>
#include <registry/Registry.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class RegistryMachine : public ::testing::Test {
  protected:
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
    }

    // Starts (or restarts) the machine on the fixture's prefix.
    void Start(host::OsKind os = host::OsKind::Nt4, const std::string& language = "ENU") {
        if (host::MachineStarted())
            host::StopMachine();
        ASSERT_TRUE(WriteHostFile(MediaDir() + "/SETUP.EXE", "MZ"));
        host::MachineOptions options;
        options.prefix = Prefix();
        options.mediaDir = MediaDir();
        options.os = os;
        options.language = language;
        // An English machine is a Western one (code page 1252); a Japanese one keeps 932.
        options.codePage = language == "JPN" ? 932 : 1252;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }
    void Stop() { host::StopMachine(); }

    std::string Prefix() const { return m_temp / "prefix"; }
    std::string MediaDir() const { return m_temp / "media"; }
    std::string RegFile(const std::string& name) const { return Prefix() + "/" + name; }
    // The file as it is once the running machine has written what it holds (the registry
    // reaches its files when flushed, not at each change).
    std::string ReadReg(const std::string& name) const {
        if (host::MachineStarted())
            host::FlushRegistry();
        return ReadHostFile(RegFile(name));
    }

    // The lines of the key written as [path] in a registry file, without the key line and its
    // #time line; empty with a failure when the key is not in the file.
    static std::vector<std::string> KeyLines(const std::string& file, const std::string& path) {
        std::string marker = "\n[" + path + "] ";
        size_t at = file.find(marker);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no key [" << path << "] in\n" << file;
            return {};
        }
        size_t end = file.find("\n\n", at + 1);
        std::string block =
            file.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        std::vector<std::string> lines;
        size_t pos = 0;
        while (pos <= block.size()) {
            size_t next = block.find('\n', pos);
            if (next == std::string::npos)
                next = block.size();
            std::string line = block.substr(pos, next - pos);
            if (!line.empty() && line[0] != '[' && line.rfind("#time=", 0) != 0)
                lines.push_back(line);
            pos = next + 1;
        }
        return lines;
    }
    static bool HasKey(const std::string& file, const std::string& path) {
        return file.find("\n[" + path + "] ") != std::string::npos;
    }

    // Files the registry left beside its own in the prefix, such as unfinished new files.
    std::vector<std::string> StrayFiles() const;

    TempDir m_temp;
};

// Reads a value through the API; the type comes back in type.
std::string QueryBytes(HKEY key, LPCSTR name, DWORD& type, LONG& error);
