// Message maps: which handler a message reaches, with which arguments, through the classes.
#include "CCmdTarget.h"

#include <gtest/gtest.h>

namespace {

class CBaseTarget : public CCmdTarget {
  public:
    int created = 0;
    int painted = 0;
    UINT sysCommand = 0;
    LPARAM sysParam = 0;
    int clicked = 0;
    int commanded = 0;
    int baseOnly = 0;

    int OnCreate(LPCREATESTRUCTA cs) {
        ++created;
        return cs->x; // the test passes the result it wants back in x
    }
    void OnPaint() { ++painted; }
    void OnSysCommand(UINT id, LPARAM lParam) {
        sysCommand = id;
        sysParam = lParam;
    }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(0x1234); }

  private:
    void OnClick() { ++clicked; }
    void OnMenuCommand() { ++commanded; }
    void OnBaseOnly() { ++baseOnly; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_SYSCOMMAND()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(10, OnClick)
ON_BN_CLICKED(11, OnBaseOnly)
ON_COMMAND(20, OnMenuCommand)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
  public:
    int derivedPainted = 0;
    int derivedClicked = 0;

  protected:
    void OnPaint() { ++derivedPainted; }
    void OnDerivedClick() { ++derivedClicked; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
ON_WM_PAINT()
ON_BN_CLICKED(10, OnDerivedClick)
END_MESSAGE_MAP()

class CEmptyTarget : public CCmdTarget {};

LPARAM FakeControl() {
    static int control;
    return reinterpret_cast<LPARAM>(&control);
}

WPARAM Command(WORD id, WORD code) {
    return static_cast<WPARAM>((static_cast<DWORD>(code) << 16) | id);
}

TEST(MessageMap, PaintReachesTheMostDerivedHandlerOnly) {
    CDerivedTarget target;
    LRESULT result = 99;
    EXPECT_TRUE(target.OnWndMsg(WM_PAINT, 0, 0, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(target.derivedPainted, 1);
    EXPECT_EQ(target.painted, 0);

    CBaseTarget base;
    EXPECT_TRUE(base.OnWndMsg(WM_PAINT, 0, 0, &result));
    EXPECT_EQ(base.painted, 1);
}

TEST(MessageMap, BaseEntriesServeTheDerivedClass) {
    CDerivedTarget target;
    CREATESTRUCTA cs = {};
    cs.x = -1;
    LRESULT result = 0;
    EXPECT_TRUE(target.OnWndMsg(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs), &result));
    EXPECT_EQ(result, -1);
    EXPECT_EQ(target.created, 1);

    EXPECT_TRUE(target.OnWndMsg(WM_SYSCOMMAND, 0xF060, 0x00050007, &result));
    EXPECT_EQ(target.sysCommand, 0xF060u);
    EXPECT_EQ(target.sysParam, 0x00050007);

    EXPECT_TRUE(target.OnWndMsg(WM_QUERYDRAGICON, 0, 0, &result));
    EXPECT_EQ(result, 0x1234);
}

TEST(MessageMap, ClicksGoByIdAndTheDerivedEntryWins) {
    CDerivedTarget target;
    LRESULT result = 5;
    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, Command(10, BN_CLICKED), FakeControl(), &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(target.derivedClicked, 1);
    EXPECT_EQ(target.clicked, 0);

    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, Command(11, BN_CLICKED), FakeControl(), &result));
    EXPECT_EQ(target.baseOnly, 1);

    // Another notification of the same control is not a click.
    EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, Command(10, 0x0300), FakeControl(), &result));
    EXPECT_EQ(target.derivedClicked, 1);
    // An id nobody handles.
    EXPECT_FALSE(target.OnCommand(Command(12, BN_CLICKED), FakeControl()));
}

TEST(MessageMap, MenusAndAcceleratorsArePlainCommands) {
    CBaseTarget target;
    EXPECT_TRUE(target.OnCommand(Command(20, 0), 0));
    EXPECT_TRUE(target.OnCommand(Command(20, 1), 0)); // an accelerator
    EXPECT_EQ(target.commanded, 2);
    // From a control, only its click is the command.
    EXPECT_FALSE(target.OnCommand(Command(20, 1), FakeControl()));
    EXPECT_EQ(target.commanded, 2);
}

TEST(MessageMap, UnhandledMessagesAreLeftAlone) {
    CDerivedTarget target;
    LRESULT result = 42;
    EXPECT_FALSE(target.OnWndMsg(WM_SIZE, 0, 0, &result));
    EXPECT_FALSE(target.OnWndMsg(WM_NULL, 0, 0, &result));
    EXPECT_EQ(result, 42);

    CEmptyTarget empty;
    EXPECT_FALSE(empty.OnWndMsg(WM_PAINT, 0, 0, &result));
    EXPECT_FALSE(empty.OnWndMsg(WM_COMMAND, Command(1, 0), 0, &result));
    EXPECT_EQ(result, 42);
}

} // namespace
