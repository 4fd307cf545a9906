#include "MachineFixture.h"

#include "framework/CWinApp.h"
#include "script/PathMacro.h"
#include "script/SystemDirectories.h"

namespace {

const char kWin[] = "C:\\WINDOWS";
const char kSys[] = "C:\\WINDOWS\\SYSTEM32";

CString Expand(LPCSTR token) {
    return ExpandPathMacro(token, kWin, kSys);
}

} // namespace

TEST(ExpandPathMacro, Macros) {
    EXPECT_STREQ("C:\\WINDOWS\\", Expand("<WIN>"));
    EXPECT_STREQ("C:\\WINDOWS\\FONTS\\", Expand("<win>\\FONTS"));
    EXPECT_STREQ("C:\\WINDOWS\\FONTS\\", Expand("<WIN>FONTS"));
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM32\\", Expand("<SYS>"));
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM32\\DRIVERS\\", Expand(" <Sys>\\DRIVERS "));
    EXPECT_STREQ("C:\\WINDOWS\\System\\", Expand("<SYS16>"));
    EXPECT_STREQ("C:\\WINDOWS\\System\\DRV\\", Expand("<SYS16>\\DRV"));
}

TEST(ExpandPathMacro, PlainDirectories) {
    EXPECT_STREQ("BIN\\", Expand("BIN"));
    EXPECT_STREQ("D:\\TOOLS\\", Expand("D:\\TOOLS"));
    EXPECT_STREQ("D:\\TOOLS\\", Expand("D:\\TOOLS\\"));
    EXPECT_STREQ("C:", Expand("C:"));
    EXPECT_STREQ("", Expand(""));
    EXPECT_STREQ("", Expand("   "));
}

TEST(ExpandPathMacro, OnlyExactMacrosAtTheStartCount) {
    EXPECT_STREQ("<SYS16X>\\", Expand("<SYS16X>"));
    EXPECT_STREQ("<WINDOWS>\\", Expand("<WINDOWS>"));
    EXPECT_STREQ("<SYS1>\\", Expand("<SYS1>"));
    EXPECT_STREQ("<WIN\\", Expand("<WIN"));
    EXPECT_STREQ("X<WIN>\\", Expand("X<WIN>"));
}

TEST(ExpandPathMacro, OnlyOneBackslashAfterTheMacroIsRemoved) {
    EXPECT_STREQ("C:\\WINDOWS\\\\X\\", Expand("<WIN>\\\\X"));
    EXPECT_STREQ("C:\\WINDOWS\\", Expand("<WIN>\\"));
}

class ExpandPathMacroOnMachine : public MachineTest {};

TEST_F(ExpandPathMacroOnMachine, WithoutApplicationTheSystemIsAsked) {
    StartMachine();
    char windowsDir[MAX_PATH];
    char systemDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(systemDir, MAX_PATH), 0u);
    EXPECT_STREQ(CString(windowsDir) + "\\FONTS\\", ExpandPathMacro("<WIN>\\FONTS"));
    EXPECT_STREQ(CString(systemDir) + "\\", ExpandPathMacro("<SYS>"));
    EXPECT_STREQ(CString(windowsDir) + "\\System\\", ExpandPathMacro("<SYS16>"));
}

namespace {

// An application object that records the directories, as the installer's does.
class DirectoriesApp : public CWinApp, public CSystemDirectories {
  public:
    DirectoriesApp() : CWinApp("Test") {
        m_strWindowsDir = "E:\\WIN";
        m_strSystemDir = "E:\\WIN\\SYS";
    }
};

} // namespace

TEST_F(ExpandPathMacroOnMachine, TheApplicationsDirectoriesComeFirst) {
    StartMachine();
    {
        DirectoriesApp app;
        EXPECT_STREQ("E:\\WIN\\FONTS\\", ExpandPathMacro("<WIN>FONTS"));
        EXPECT_STREQ("E:\\WIN\\SYS\\", ExpandPathMacro("<SYS>"));
        EXPECT_STREQ("E:\\WIN\\System\\", ExpandPathMacro("<SYS16>"));
    }
    char windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    EXPECT_STREQ(CString(windowsDir) + "\\", ExpandPathMacro("<WIN>"));
}
