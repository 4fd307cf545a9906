// The access token, privilege and session calls of the emulated machine: they behave as the
// emulated system's do and only record what was asked.
#include "RestartMachine.h"

#include <cstdlib>

namespace {

class ShutdownTest : public RestartMachine {
  protected:
    // Opens the process token and enables (or disables) the shutdown privilege.
    static BOOL SetShutdownPrivilege(bool enable, HANDLE* tokenOut = nullptr) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return FALSE;
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        BOOL ok =
            LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        if (tokenOut)
            *tokenOut = token;
        else
            CloseHandle(token);
        return ok;
    }
};

TEST_F(ShutdownTest, NtRestartNeedsTheShutdownPrivilege) {
    Start(host::OsKind::Nt4);
    SetLastError(0);
    EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD), GetLastError());
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0));
    EXPECT_TRUE(host::ShutdownRequests().empty());
    EXPECT_EQ(host::RestartKind::None, host::RequestedRestart());

    ASSERT_TRUE(SetShutdownPrivilege(true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0));
    auto requests = host::ShutdownRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT | EWX_FORCE), requests[0].flags);
    EXPECT_EQ(0u, requests[0].reserved);
    EXPECT_TRUE(requests[0].privilegeEnabled);
    EXPECT_EQ(host::RestartKind::Computer, host::RequestedRestart());

    // Disabled again, the privilege no longer serves.
    ASSERT_TRUE(SetShutdownPrivilege(false));
    EXPECT_FALSE(ExitWindowsEx(EWX_POWEROFF, 0));
    EXPECT_EQ(1u, host::ShutdownRequests().size());
}

TEST_F(ShutdownTest, LogOffNeedsNoPrivilege) {
    Start(host::OsKind::Nt4);
    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0xFFFFFFFF));
    auto requests = host::ShutdownRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_FALSE(requests[0].privilegeEnabled);
    EXPECT_EQ(0xFFFFFFFFu, requests[0].reserved);
    // Only the Windows 95 family restarts Windows by this request.
    EXPECT_EQ(host::RestartKind::LogOff, host::RequestedRestart());
}

TEST_F(ShutdownTest, Windows95RestartsWindowsOrTheComputerWithoutTokens) {
    Start(host::OsKind::Win95);
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    EXPECT_EQ(120u, GetLastError()) << "tokens are not implemented on that family";
    LUID luid{};
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &luid));

    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0xFFFFFFFF));
    EXPECT_EQ(host::RestartKind::Windows, host::RequestedRestart());
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(host::RestartKind::Computer, host::RequestedRestart());
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN, 0));
    EXPECT_EQ(host::RestartKind::ShutDown, host::RequestedRestart());
    auto requests = host::ShutdownRequests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(static_cast<UINT>(EWX_LOGOFF), requests[0].flags);
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), requests[1].flags);
    EXPECT_FALSE(requests[1].privilegeEnabled);
}

TEST_F(ShutdownTest, PrivilegeLookup) {
    Start(host::OsKind::Nt4);
    LUID luid{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "seshutdownprivilege", &luid));
    EXPECT_EQ(19u, luid.LowPart);
    EXPECT_EQ(0, luid.HighPart);
    ASSERT_TRUE(LookupPrivilegeValueA("", SE_DEBUG_NAME, &luid));
    EXPECT_EQ(20u, luid.LowPart);
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &luid));
    EXPECT_EQ(1313u, GetLastError());
    EXPECT_FALSE(LookupPrivilegeValueA("\\\\ELSEWHERE", SE_SHUTDOWN_NAME, &luid));
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, nullptr, &luid));
}

TEST_F(ShutdownTest, TokenAccessAndPreviousState) {
    Start(host::OsKind::Nt4);
    HANDLE queryOnly = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &queryOnly));
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_FALSE(AdjustTokenPrivileges(queryOnly, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(CloseHandle(queryOnly));

    HANDLE token = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    ASSERT_TRUE(
        AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &length));
    EXPECT_EQ(1u, previous.PrivilegeCount);
    EXPECT_EQ(19u, previous.Privileges[0].Luid.LowPart);
    EXPECT_EQ(0u, previous.Privileges[0].Attributes) << "it was disabled before";

    // A privilege the user does not hold: the call succeeds and says so.
    TOKEN_PRIVILEGES debug{};
    debug.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_DEBUG_NAME, &debug.Privileges[0].Luid));
    debug.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &debug, 0, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED), GetLastError());

    // A closed token is gone.
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, &token));
}

struct InjectedCase {
    const char* name;
    host::ShutdownFailure failure;
    bool tokenOpens;
    bool privilegeAdjusts;
    bool exitAccepted;
};

void PrintTo(const InjectedCase& injected, std::ostream* out) {
    *out << injected.name;
}

class ShutdownFailureTest : public ShutdownTest,
                            public ::testing::WithParamInterface<InjectedCase> {
  protected:
    void Check() {
        const InjectedCase& c = GetParam();
        HANDLE token = nullptr;
        EXPECT_EQ(c.tokenOpens,
                  OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                   &token) != 0);
        if (c.tokenOpens) {
            TOKEN_PRIVILEGES privileges{};
            privileges.PrivilegeCount = 1;
            LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            EXPECT_EQ(c.privilegeAdjusts,
                      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != 0);
            CloseHandle(token);
        }
        EXPECT_EQ(c.exitAccepted && c.privilegeAdjusts && c.tokenOpens,
                  ExitWindowsEx(EWX_REBOOT, 0) != 0);
        EXPECT_EQ(c.exitAccepted, ExitWindowsEx(EWX_LOGOFF, 0) != 0);
    }
};

TEST_P(ShutdownFailureTest, FromTheEnvironment) {
    Start(host::OsKind::Nt4);
    if (GetParam().failure != host::ShutdownFailure::None)
        setenv("VELTRIX_SHUTDOWN_FAIL", GetParam().name, 1);
    Check();
}

TEST_P(ShutdownFailureTest, FromCodeOverTheEnvironment) {
    Start(host::OsKind::Nt4);
    setenv("VELTRIX_SHUTDOWN_FAIL", "exit", 1);
    host::SetShutdownFailure(GetParam().failure);
    Check();
}

INSTANTIATE_TEST_SUITE_P(
    Shutdown, ShutdownFailureTest,
    ::testing::Values(InjectedCase{"none", host::ShutdownFailure::None, true, true, true},
                      InjectedCase{"token", host::ShutdownFailure::Token, false, true, true},
                      InjectedCase{"privilege", host::ShutdownFailure::Privilege, true, false,
                                   true},
                      InjectedCase{"exit", host::ShutdownFailure::Exit, true, true, false}),
    [](const ::testing::TestParamInfo<InjectedCase>& info) {
        return std::string(info.param.name);
    });

} // namespace
