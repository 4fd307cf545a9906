// The path page as the main window shows it: which rows the script's switches leave, and the
// destination row standing in the source row's place when the source is not asked for.
#include "HeadlessMachine.h"
#include "app/SetupApp.h"
#include "app/SetupDialog.h"
#include "script/SetupScript.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

class PathPageLayoutTest : public HeadlessMachineTest {
  protected:
    void open(const std::string& prompts) {
        WriteHostFile(m_dir / "medium/INSTKIT.INF",
                      "[Setup]\nInfRevision=1\nTargetOS=1000F\nDefaultDstPath=APP\n" + prompts +
                          "\n[Files]\n1:F.TXT=\n");
        WriteHostFile(m_dir / "medium/F.TXT", "f");
        m_app.m_pScript = new CSetupScript;
        ASSERT_TRUE(m_app.m_pScript->m_bLoaded);
        m_window = new CSetupDialog(nullptr);
        ASSERT_NE(nullptr, m_window->GetSafeHwnd());
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    void TearDown() override {
        delete m_window;
        delete m_app.m_pScript;
        m_app.m_pScript = nullptr;
        HeadlessMachineTest::TearDown();
    }

    // The screen rows of the current page, from its top.
    std::vector<std::string> pageRows() const {
        RECT page;
        GetWindowRect(m_window->m_pCurPage->m_hWnd, &page);
        std::istringstream screen(host::DumpScreen());
        std::vector<std::string> rows;
        std::string line;
        for (int row = 0; std::getline(screen, line); ++row) {
            if (row >= page.top / 16)
                rows.push_back(line);
        }
        return rows;
    }

    CSetupApp m_app;
    CSetupDialog* m_window = nullptr;
};

TEST_F(PathPageLayoutTest, DestinationAloneTakesTheSourceRow) {
    open("");
    std::vector<std::string> rows = pageRows();
    ASSERT_GT(rows.size(), 7u);
    // Source row: y 33-47 dialog units, middle at 40, row 5; destination row: y 51-65,
    // middle at 58, row 7.
    EXPECT_NE(std::string::npos, rows[5].find("ｺﾋﾟｰ先")) << host::DumpScreen();
    EXPECT_NE(std::string::npos, rows[5].find("C:\\APP")) << host::DumpScreen();
    EXPECT_EQ(std::string::npos, rows[7].find("C:\\APP")) << host::DumpScreen();
    EXPECT_EQ(std::string::npos, host::DumpScreen().find("ｺﾋﾟｰ元"));
    // The destination edit has the focus with its text selected.
    HWND edit = GetDlgItem(m_window->m_pCurPage->m_hWnd, 1001);
    EXPECT_EQ(edit, GetFocus());
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(6u, end);
}

TEST_F(PathPageLayoutTest, BothRowsStayInTheirPlaces) {
    open("PromptSrcPath=1");
    std::vector<std::string> rows = pageRows();
    ASSERT_GT(rows.size(), 7u);
    EXPECT_NE(std::string::npos, rows[5].find("ｺﾋﾟｰ元")) << host::DumpScreen();
    EXPECT_NE(std::string::npos, rows[5].find("D:\\")) << host::DumpScreen();
    EXPECT_NE(std::string::npos, rows[7].find("ｺﾋﾟｰ先")) << host::DumpScreen();
    EXPECT_NE(std::string::npos, rows[7].find("C:\\APP")) << host::DumpScreen();
    EXPECT_EQ(GetDlgItem(m_window->m_pCurPage->m_hWnd, 1000), GetFocus());
}

TEST_F(PathPageLayoutTest, NeitherRowLeavesTheGreetingAndButtons) {
    open("PromptDstPath=0");
    std::string screen = host::DumpScreen();
    EXPECT_EQ(std::string::npos, screen.find("ｺﾋﾟｰ元")) << screen;
    EXPECT_EQ(std::string::npos, screen.find("ｺﾋﾟｰ先")) << screen;
    EXPECT_NE(std::string::npos, screen.find("ｾｯﾄｱｯﾌﾟを開始します。")) << screen;
    EXPECT_NE(std::string::npos, screen.find("OK")) << screen;
    EXPECT_EQ(GetDlgItem(m_window->m_pCurPage->m_hWnd, IDOK), GetFocus());
}

} // namespace
