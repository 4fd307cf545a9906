// The restart at the end of the installation, for each kind of system, each restart type and
// each call of the shutdown sequence failing.
#include "RestartMachine.h"

#include "engine/Restart.h"

#include <vector>

namespace {

// Records the messages the engine asks the main window to show.
class CRecordingWindow : public CInstallerWindow {
  public:
    int MessageBoxId(UINT idText, LPCSTR caption, UINT type) override {
        m_shown.push_back(idText);
        EXPECT_EQ(nullptr, caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), type);
        return IDOK;
    }
    std::vector<UINT> m_shown;
};

struct OsCase {
    host::OsKind os;
    DWORD code; // the script's running-OS code
    const char* name;
};

const OsCase kSystems[] = {
    {host::OsKind::Nt31, 0x1, "nt31"},   {host::OsKind::Nt35, 0x2, "nt35"},
    {host::OsKind::Nt351, 0x4, "nt351"}, {host::OsKind::Nt4, 0x8, "nt4"},
    {host::OsKind::Nt4, 0x0, "unknown"}, {host::OsKind::Win95, 0x10000, "win95"},
};

const host::ShutdownFailure kFailures[] = {
    host::ShutdownFailure::None, host::ShutdownFailure::Token, host::ShutdownFailure::Privilege,
    host::ShutdownFailure::Exit};

const char* NameOf(host::ShutdownFailure failure) {
    switch (failure) {
    case host::ShutdownFailure::Token:
        return "token";
    case host::ShutdownFailure::Privilege:
        return "privilege";
    case host::ShutdownFailure::Exit:
        return "exit";
    default:
        return "none";
    }
}

class RestartSystemTest : public RestartMachine {};

// What the restart must do, worked out case by case from the rules of the finish page.
struct Outcome {
    std::vector<UINT> messages;
    bool requested = false;
    UINT flags = 0;
    DWORD reserved = 0;
    host::RestartKind kind = host::RestartKind::None;
};

Outcome Expected(const OsCase& system, int type, host::ShutdownFailure failure) {
    Outcome outcome;
    if (type != 1 && type != 2)
        return outcome;
    bool win95 = system.code == 0x10000;
    if (!win95) {
        if (failure == host::ShutdownFailure::Token ||
            failure == host::ShutdownFailure::Privilege) {
            outcome.messages = {type == 2 ? 10006u : 10005u};
            return outcome;
        }
        if (failure == host::ShutdownFailure::Exit) {
            outcome.messages = {10006u};
            return outcome;
        }
        outcome.requested = true;
        outcome.flags = EWX_REBOOT;
        outcome.kind = host::RestartKind::Computer;
        return outcome;
    }
    // The Windows 95 family has no tokens: only the last call can fail there.
    if (failure == host::ShutdownFailure::Exit) {
        outcome.messages = {type == 1 ? 10005u : 10006u};
        return outcome;
    }
    outcome.requested = true;
    outcome.flags = type == 1 ? EWX_LOGOFF : EWX_REBOOT;
    outcome.reserved = type == 1 ? 0xFFFFFFFFu : 0;
    outcome.kind = type == 1 ? host::RestartKind::Windows : host::RestartKind::Computer;
    return outcome;
}

TEST_F(RestartSystemTest, EverySystemTypeAndFailure) {
    for (const OsCase& system : kSystems) {
        Start(system.os);
        for (int type : {0, 1, 2, 3, -1}) {
            for (host::ShutdownFailure failure : kFailures) {
                SCOPED_TRACE(std::string(system.name) + " type " + std::to_string(type) +
                             " failing " + NameOf(failure));
                host::ResetShutdownState();
                host::SetShutdownFailure(failure);
                CRecordingWindow window;
                RestartSystem(window, system.code, type);
                Outcome expected = Expected(system, type, failure);
                EXPECT_EQ(expected.messages, window.m_shown);
                auto requests = host::ShutdownRequests();
                ASSERT_EQ(expected.requested ? 1u : 0u, requests.size());
                EXPECT_EQ(expected.kind, host::RequestedRestart());
                if (expected.requested) {
                    EXPECT_EQ(expected.flags, requests[0].flags);
                    EXPECT_EQ(expected.reserved, requests[0].reserved);
                    // NT's restart is asked with the privilege enabled, as it must be.
                    EXPECT_EQ(system.code != 0x10000, requests[0].privilegeEnabled);
                }
            }
        }
    }
}

TEST_F(RestartSystemTest, FailureChosenByTheEnvironment) {
    Start(host::OsKind::Nt4);
    setenv("VELTRIX_SHUTDOWN_FAIL", "privilege", 1);
    CRecordingWindow window;
    RestartSystem(window, 0x8, 1);
    EXPECT_EQ(std::vector<UINT>{10005u}, window.m_shown);
    EXPECT_TRUE(host::ShutdownRequests().empty());

    setenv("VELTRIX_SHUTDOWN_FAIL", "exit", 1);
    window.m_shown.clear();
    RestartSystem(window, 0x8, 1);
    EXPECT_EQ(std::vector<UINT>{10006u}, window.m_shown);
}

TEST_F(RestartSystemTest, RestartTypeZeroNeverAsks) {
    Start(host::OsKind::Win95);
    CRecordingWindow window;
    RestartSystem(window, 0x10000, 0);
    EXPECT_TRUE(window.m_shown.empty());
    EXPECT_TRUE(host::ShutdownRequests().empty());
}

} // namespace
