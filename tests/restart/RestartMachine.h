// A test fixture with an emulated machine on a temporary prefix, for the shutdown calls, the
// restart and the temporary directory.
#pragma once

#include "TempDir.h"

#include <host/Machine.h>
#include <registry/Shutdown.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

class RestartMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        host::ResetShutdownState();
        host::ClearShutdownFailure();
        unsetenv("VELTRIX_SHUTDOWN_FAIL");
    }
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
        host::ResetShutdownState();
        host::ClearShutdownFailure();
        unsetenv("VELTRIX_SHUTDOWN_FAIL");
    }

    void Start(host::OsKind os = host::OsKind::Nt4) {
        if (host::MachineStarted())
            host::StopMachine();
        ASSERT_TRUE(WriteHostFile(m_temp / "media/SETUP.EXE", "MZ"));
        host::MachineOptions options;
        options.prefix = m_temp / "prefix";
        options.mediaDir = m_temp / "media";
        options.os = os;
        options.language = "ENU";
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }

    TempDir m_temp;
};
