// Switching pages on the main window: the page shown last is what the screen shows, with
// every control, also when the main window repaints after the page was painted.
#include "HeadlessMachine.h"
#include "framework/CDialog.h"
#include "host/Frontend.h"
#include "host/Machine.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PageSwitchPaintTest : public HeadlessMachineTest {
  protected:
    static void show(CDialog& page, BOOL visible) {
        page.EnableWindow(visible);
        page.ShowWindow(visible ? SW_SHOW : SW_HIDE);
        if (visible)
            page.UpdateWindow();
    }

    static void paintEverything() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
};

TEST_F(PageSwitchPaintTest, AButtonOfTheNewPageSurvivesTheMainWindowsRepaint) {
    CDialog main;
    CDialog copyPage;
    CDialog abortPage;
    ASSERT_TRUE(main.Create(IDD_SETUP_DIALOG, nullptr));
    ASSERT_TRUE(copyPage.Create(IDD_COPY_PAGE, &main));
    ASSERT_TRUE(abortPage.Create(IDD_ABORT_PAGE, &main));
    show(copyPage, TRUE);
    paintEverything();
    ASSERT_NE(std::string::npos, host::DumpScreen().find("ｺﾋﾟｰ元 :"));

    // Hiding the copy page leaves the main window to repaint; the abort page is painted at
    // once, before that repaint comes.
    show(copyPage, FALSE);
    show(abortPage, TRUE);
    paintEverything();

    std::string screen = host::DumpScreen();
    EXPECT_NE(std::string::npos, screen.find("終了(X)")) << screen;
    EXPECT_NE(std::string::npos, screen.find("ｾｯﾄｱｯﾌﾟを中止しました。")) << screen;
    EXPECT_EQ(std::string::npos, screen.find("ｺﾋﾟｰ元 :")) << screen;
    abortPage.DestroyWindow();
    copyPage.DestroyWindow();
    main.DestroyWindow();
}

} // namespace
