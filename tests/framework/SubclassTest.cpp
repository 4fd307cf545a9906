// A control of a dialog taken over by an object of the program's own (the progress bar's way).
#include "WindowFixture.h"

#include "CDialog.h"
#include "CStatic.h"

namespace {

constexpr UINT kMainTemplate = 101;
constexpr UINT kCopyPageTemplate = 111;
constexpr int kBarId = 1013;

class CPaintingStatic : public CStatic {
  public:
    int paints = 0;
    int ncDestroyed = 0;
    HWND hWndAtNcDestroy = reinterpret_cast<HWND>(1);

    void PostNcDestroy() override {
        ++ncDestroyed;
        hWndAtNcDestroy = m_hWnd;
    }

  protected:
    void OnPaint() {
        ++paints;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT rect;
        GetClientRect(&rect);
        DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
        EndPaint(m_hWnd, &ps);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingStatic, CStatic)
ON_WM_PAINT()
END_MESSAGE_MAP()

class SubclassTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(m_main.Create(kMainTemplate));
        ASSERT_TRUE(m_page.Create(kCopyPageTemplate, &m_main));
        m_page.EnableWindow(TRUE);
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        m_page.DestroyWindow();
        m_main.DestroyWindow();
        WindowFixture::TearDown();
    }

    CDialog m_main;
    CDialog m_page;
};

TEST_F(SubclassTest, TheObjectReceivesTheControlsMessages) {
    HWND control = GetDlgItem(m_page.m_hWnd, kBarId);
    ASSERT_NE(control, nullptr);
    LONG_PTR original = GetWindowLongPtrA(control, GWLP_WNDPROC);

    CPaintingStatic bar;
    ASSERT_TRUE(bar.SubclassDlgItem(kBarId, &m_page));
    EXPECT_EQ(bar.m_hWnd, control);
    EXPECT_EQ(CWnd::FromHandlePermanent(control), &bar);
    EXPECT_NE(GetWindowLongPtrA(control, GWLP_WNDPROC), original);

    bar.Invalidate();
    bar.UpdateWindow();
    EXPECT_GE(bar.paints, 1);
    int paints = bar.paints;
    bar.UpdateWindow(); // nothing left to paint
    EXPECT_EQ(bar.paints, paints);
}

TEST_F(SubclassTest, WhatTheObjectLeavesGoesToTheControlsOwnProcedure) {
    CPaintingStatic bar;
    ASSERT_TRUE(bar.SubclassDlgItem(kBarId, &m_page));
    bar.SetWindowText("42 %");
    CString text;
    bar.GetWindowText(text);
    EXPECT_EQ(text, "42 %");
    EXPECT_EQ(bar.GetWindowTextLength(), 4);
}

TEST_F(SubclassTest, AControlCannotBeTakenTwiceOrWhenMissing) {
    CPaintingStatic bar;
    ASSERT_TRUE(bar.SubclassDlgItem(kBarId, &m_page));
    CPaintingStatic second;
    EXPECT_FALSE(second.SubclassDlgItem(kBarId, &m_page));
    EXPECT_EQ(second.m_hWnd, nullptr);
    CPaintingStatic missing;
    EXPECT_FALSE(missing.SubclassDlgItem(4242, &m_page));
    EXPECT_FALSE(missing.SubclassDlgItem(kBarId, nullptr));
}

TEST_F(SubclassTest, DestroyingTheDialogDetachesTheControlsObject) {
    CPaintingStatic bar;
    ASSERT_TRUE(bar.SubclassDlgItem(kBarId, &m_page));
    HWND control = bar.m_hWnd;
    m_page.DestroyWindow();
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(bar.m_hWnd, nullptr);
    EXPECT_EQ(bar.ncDestroyed, 1);
    EXPECT_EQ(bar.hWndAtNcDestroy, nullptr); // detached before PostNcDestroy
    EXPECT_EQ(CWnd::FromHandlePermanent(control), nullptr);
}

TEST_F(SubclassTest, AnIconControlCarriesAnIcon) {
    HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(appIcon, nullptr);
    const int kIconId = 4077;
    ASSERT_NE(nullptr, CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_ICON, 0, 0, 32, 32,
                                       m_page.m_hWnd, reinterpret_cast<HMENU>(kIconId),
                                       GetModuleHandleA(nullptr), nullptr));
    CStatic icon;
    ASSERT_TRUE(icon.SubclassDlgItem(kIconId, &m_page));
    icon.SetIcon(appIcon);
    EXPECT_EQ(icon.GetIcon(), appIcon);
    // A static of another kind takes no icon.
    CStatic text;
    ASSERT_TRUE(text.SubclassDlgItem(kBarId, &m_page));
    EXPECT_EQ(nullptr, text.SetIcon(appIcon));
    EXPECT_EQ(nullptr, text.GetIcon());
}

} // namespace
