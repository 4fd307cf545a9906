// A fresh emulated machine in a temporary directory for the version and comparison tests,
// with helpers that put test images on its drive C:.
#pragma once

#include "TempDir.h"
#include "TestImages.h"

#include <host/Machine.h>

#include <gtest/gtest.h>

#include <string>

class VersionMachineTest : public ::testing::Test {
  protected:
    void SetUp() override { StartMachine("ENU"); }
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
    }

    void StartMachine(const std::string& language) {
        if (host::MachineStarted())
            host::StopMachine();
        ASSERT_TRUE(WriteHostFile(m_temp / "media/SETUP.EXE", "MZ"));
        host::MachineOptions options;
        options.prefix = m_temp / "prefix";
        options.mediaDir = m_temp / "media";
        options.language = language;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }

    // The host path of a path below C:\ written with forward slashes ("TEST/A.DLL").
    std::string HostC(const std::string& relative) const {
        return m_temp / ("prefix/drive_c/" + relative);
    }
    // Writes bytes to C:\<relative> and returns the Windows path.
    std::string PutFile(const std::string& relative, const std::string& bytes) {
        EXPECT_TRUE(WriteHostFile(HostC(relative), bytes));
        std::string windows = "C:\\" + relative;
        for (char& c : windows)
            if (c == '/')
                c = '\\';
        return windows;
    }
    // A resource-only PE32 (or PE32+) DLL with the file version a.b.c.d.
    std::string VersionDll(unsigned a, unsigned b, unsigned c, unsigned d, bool pe32plus = false) {
        std::string error;
        std::string image =
            BuildResourceDll(m_temp.path(), VersionResourceScript(a, b, c, d), pe32plus, error);
        EXPECT_FALSE(image.empty()) << error;
        return image;
    }
    // A DLL built from a resource script of the test's own.
    std::string DllFromScript(const std::string& script) {
        std::string error;
        std::string image = BuildResourceDll(m_temp.path(), script, false, error);
        EXPECT_FALSE(image.empty()) << error;
        return image;
    }
    // A 16-bit NE image with the file version a.b.c.d, or with no version resource.
    static std::string VersionNe(unsigned a, unsigned b, unsigned c, unsigned d,
                                 bool withVersion = true, bool withFixedInfo = true) {
        std::vector<NeResource> resources(1);
        resources[0].type = 10;
        resources[0].name = 1;
        resources[0].data = "payload";
        if (withVersion) {
            NeResource version;
            version.type = 16;
            version.name = 1;
            version.data = Ne16VersionResource(a, b, c, d, withFixedInfo);
            resources.push_back(version);
        }
        return BuildNeImage(resources);
    }

    TempDir m_temp;
};
