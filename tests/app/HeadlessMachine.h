// A running emulated machine (Japanese, code page 932) with the headless front end, for tests
// that draw real windows and read the screen back.
#pragma once

#include "TempDir.h"
#include "host/Frontend.h"
#include "host/Machine.h"

#include <gtest/gtest.h>

class HeadlessMachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::MachineOptions options;
        options.prefix = m_dir / "prefix";
        options.mediaDir = m_dir / "medium";
        options.language = "JPN";
        WriteHostFile(options.mediaDir + "/.keep", "");
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
        ASSERT_TRUE(host::StartFrontend(host::FrontendKind::Headless, error)) << error;
    }
    void TearDown() override {
        host::StopFrontend();
        host::StopMachine();
    }

    TempDir m_dir;
};
