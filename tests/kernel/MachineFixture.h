// A started machine in a temporary prefix with a temporary medium, for the platform tests.
#pragma once

#include "TempDir.h"

#include <gtest/gtest.h>
#include <host/Machine.h>
#include <windows.h>

#include <string>

class MachineTest : public ::testing::Test {
  protected:
    // Starts with the given options; prefix and medium default to the fixture's directories.
    bool Start(host::MachineOptions options = {}) {
        if (options.prefix.empty())
            options.prefix = m_prefix.path();
        if (options.mediaDir.empty())
            options.mediaDir = m_media.path();
        if (options.language.empty()) {
            options.language = m_language;
            // The English fixture is a Western machine; the Japanese one keeps code page 932.
            if (m_language != "JPN")
                options.codePage = 1252;
        }
        std::string error;
        bool started = host::StartMachine(options, error);
        EXPECT_TRUE(started) << error;
        return started;
    }

    void SetUp() override { ASSERT_TRUE(Start()); }
    void TearDown() override { host::StopMachine(); }

    // The host path of a file on drive C.
    std::string OnC(const std::string& relative) const {
        return m_prefix / ("drive_c/" + relative);
    }

    TempDir m_prefix;
    TempDir m_media;
    std::string m_language = "ENU";
};

// The same with a Japanese machine (code page 932).
class JapaneseMachineTest : public MachineTest {
  protected:
    JapaneseMachineTest() { m_language = "JPN"; }
};
