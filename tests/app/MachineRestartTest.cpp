// A process that starts one emulated machine after another (as the tests do) begins each
// with a quiet message queue.
#include "TempDir.h"
#include "host/Machine.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

bool start(const TempDir& dir) {
    host::MachineOptions options;
    options.prefix = dir / "prefix";
    options.mediaDir = dir / "medium";
    WriteHostFile(options.mediaDir + "/.keep", "");
    std::string error;
    return host::StartMachine(options, error);
}

TEST(MachineRestartTest, TheQuitOfAnEndedLoopDoesNotReachTheNextMachine) {
    TempDir dir;
    ASSERT_TRUE(start(dir));
    // Without a front end no answer can come: the box ends at once and its loop quits.
    EXPECT_EQ(0, MessageBoxA(nullptr, "text", "caption", MB_OK));
    host::StopMachine();

    ASSERT_TRUE(start(dir));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << msg.message;
    host::StopMachine();
}

} // namespace
