// A fresh emulated machine in a temporary directory for the version and comparison tests,
// with helpers that put test images on its drive C:.
#pragma once

#include "PrefixMachine.h"
#include "TestImages.h"

#include <string>
#include <vector>

class VersionMachineTest : public PrefixMachineTest {
  protected:
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
};
