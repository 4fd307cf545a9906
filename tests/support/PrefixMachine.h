// A fresh emulated machine on a temporary prefix for each test, with helpers that put files
// on its drive C: from the host side, as the media and earlier installs would have.
#pragma once

#include "TempDir.h"
#include "TestSystem.h"

#include <host/Machine.h>

#include <gtest/gtest.h>

#include <string>

class PrefixMachineTest : public ::testing::Test {
  protected:
    void SetUp() override { StartMachine("ENU"); }
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
    }

    // Starts the machine again in another language; what is on the prefix stays.
    void StartMachine(const std::string& language) {
        if (host::MachineStarted())
            host::StopMachine();
        ASSERT_TRUE(WriteHostFile(m_temp / "media/SETUP.EXE", "MZ"));
        host::MachineOptions options;
        options.prefix = m_temp / "prefix";
        options.mediaDir = m_temp / "media";
        options.language = language;
        // An English machine is a Western one (code page 1252); a Japanese one keeps 932.
        options.codePage = language == "JPN" ? 932 : 1252;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }

    // The host path of C:\<relative>, written with forward slashes ("TEST/A.DLL").
    std::string HostC(const std::string& relative) const {
        return m_temp / ("prefix/drive_c/" + relative);
    }
    // The Windows path of C:\<relative> (on a real system, of the drive that stands for it).
    static std::string Windows(const std::string& relative) {
        std::string path = TestDriveC() + relative;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return path;
    }
    // Writes bytes to C:\<relative> and returns its Windows path.
    std::string PutFile(const std::string& relative, const std::string& bytes) {
        EXPECT_TRUE(WriteHostFile(HostC(relative), bytes));
        return Windows(relative);
    }

    TempDir m_temp;
};
