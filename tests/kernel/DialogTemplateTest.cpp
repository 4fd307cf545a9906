// The program's dialog templates, read back through FindResourceA and the template parser:
// every control with its id, class, text, position and style, and the dialog's own frame.
#include "ResourceTestSupport.h"

#include "user/DialogTemplate.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Styles as the resource compiler writes them for each kind of control statement.
constexpr DWORD kChild = 0x40000000, kVisible = 0x10000000, kGroup = 0x00020000,
                kTabStop = 0x00010000, kBorder = 0x00800000, kVScroll = 0x00200000;
constexpr DWORD kText = kChild | kVisible | kGroup;                    // LTEXT
constexpr DWORD kButton = kChild | kVisible | kTabStop;                // PUSHBUTTON
constexpr DWORD kDefButton = kButton | 0x1;                            // DEFPUSHBUTTON
constexpr DWORD kEdit = kChild | kVisible | kBorder | kTabStop | 0x80; // ES_AUTOHSCROLL
constexpr DWORD kNoPrefix = 0x80;

struct Control {
    DWORD id;
    const char* className;
    const char* text; // UTF-8
    short x, y, cx, cy;
    DWORD style;
};

struct Frame {
    bool extended;
    DWORD style, exStyle;
    short x, y, cx, cy;
    const char* caption;
};

constexpr DWORD kNoId = 0xFFFF; // -1 in a plain template
constexpr DWORD kNoIdEx = 0xFFFFFFFF;
constexpr DWORD kPageStyle = 0x48000044;

res::DialogTemplate LoadTemplate(HMODULE module, WORD id) {
    res::DialogTemplate parsed;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    EXPECT_NE(found, nullptr) << "template " << id;
    if (!found)
        return parsed;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = LockResource(loaded);
    DWORD size = SizeofResource(module, found);
    EXPECT_NE(data, nullptr);
    EXPECT_GT(size, 0u);
    // What the window system learns from the pointer alone is the whole resource.
    EXPECT_EQ(res::ResourceBytesAvailable(data), size);
    EXPECT_TRUE(res::ParseDialogTemplate(data, size, parsed)) << "template " << id;
    return parsed;
}

void ExpectTemplate(WORD id, const Frame& frame, const std::vector<Control>& controls) {
    SCOPED_TRACE("template " + std::to_string(id));
    res::DialogTemplate dialog = LoadTemplate(GetModuleHandleA(nullptr), id);
    EXPECT_EQ(dialog.extended, frame.extended);
    EXPECT_EQ(dialog.style, frame.style) << std::hex << dialog.style;
    EXPECT_EQ(dialog.exStyle, frame.exStyle);
    EXPECT_EQ(dialog.x, frame.x);
    EXPECT_EQ(dialog.y, frame.y);
    EXPECT_EQ(dialog.cx, frame.cx);
    EXPECT_EQ(dialog.cy, frame.cy);
    EXPECT_EQ(dialog.caption, Convert(frame.caption, "CP932"));
    EXPECT_FALSE(dialog.menuIsOrdinal);
    EXPECT_TRUE(dialog.menu.empty());
    EXPECT_TRUE(dialog.className.empty());
    EXPECT_EQ(dialog.pointSize, 9);
    // "ＭＳ Ｐゴシック" in code page 932.
    EXPECT_EQ(dialog.faceName, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    ASSERT_EQ(dialog.items.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& want = controls[i];
        const res::DialogItem& item = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.className, want.className);
        EXPECT_FALSE(item.textIsOrdinal);
        EXPECT_EQ(item.text, Convert(want.text, "CP932"));
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.style, want.style) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_TRUE(item.creationData.empty());
    }
}

class DialogTemplates : public ::testing::Test {
  protected:
    TestMachine m_machine{"JPN"};
    void SetUp() override { ASSERT_TRUE(m_machine.Started()) << m_machine.Error(); }
};

TEST_F(DialogTemplates, MainWindow101) {
    ExpectTemplate(101, {true, 0x10C800C4, 0x40000, 0, 0, 256, 129, ""}, {});
}

TEST_F(DialogTemplates, PathPage110) {
    ExpectTemplate(
        110, {false, kPageStyle, 0, 0, 0, 256, 128, ""},
        {
            {1007, "Static", "Veltrix ｿﾌﾄｳｪｱ製品のｾｯﾄｱｯﾌﾟを行います。", 8, 6, 240, 8, kText},
            {1008, "Static", "よろしいですか？", 8, 18, 240, 8, kText},
            {1004, "Static", "ｺﾋﾟｰ元(&F)", 8, 36, 32, 8, kText},
            {1000, "Edit", "", 40, 34, 150, 12, kEdit},
            {1002, "Button", "参照(&B)...", 196, 33, 52, 14, kButton},
            {1005, "Static", "ｺﾋﾟｰ先(&T)", 8, 54, 32, 8, kText},
            {1001, "Edit", "", 40, 52, 150, 12, kEdit},
            {1003, "Button", "参照(&R)...", 196, 51, 52, 14, kButton},
            {1, "Button", "OK", 138, 108, 52, 14, kDefButton},
            {2, "Button", "ｷｬﾝｾﾙ", 196, 108, 52, 14, kButton},
        });
}

TEST_F(DialogTemplates, CopyPage111) {
    ExpectTemplate(111, {false, kPageStyle, 0, 0, 0, 256, 128, ""},
                   {
                       {1006, "Static", "", 8, 6, 240, 8, kText},
                       {kNoId, "Static", "ｺﾋﾟｰ元 :", 8, 24, 32, 8, kText},
                       {1004, "Static", "", 40, 24, 208, 8, kText},
                       {kNoId, "Static", "ｺﾋﾟｰ先 :", 8, 36, 32, 8, kText},
                       {1005, "Static", "", 40, 36, 208, 8, kText},
                       {2, "Button", "ｷｬﾝｾﾙ", 196, 108, 52, 14, kButton},
                       {1013, "Static", "", 27, 77, 202, 13, kText},
                   });
}

TEST_F(DialogTemplates, OverwriteDialog102) {
    ExpectTemplate(
        102, {true, 0x90C800C4, 0, 24, 24, 256, 129, ""},
        {
            {1012, "Static", "", 6, 6, 244, 8, kText},
            {kNoIdEx, "Static", "はｺﾋﾟｰ先のﾊﾟｽにすでに存在します。", 20, 18, 230, 8, kText},
            {kNoIdEx, "Static", "存在するﾌｧｲﾙ :", 6, 32, 46, 8, kText},
            {1009, "Static", "", 56, 32, 194, 8, kText},
            {1011, "Static", "", 56, 44, 194, 8, kText},
            {kNoIdEx, "Static", "新しいﾌｧｲﾙ :", 6, 60, 48, 8, kText},
            {1013, "Static", "", 56, 60, 194, 8, kText},
            {1010, "Static", "", 56, 71, 194, 8, kText},
            {kNoIdEx, "Static", "上書きしてもよろしいですか？", 6, 86, 244, 8, kText},
            {6, "Button", "はい(&Y)", 82, 108, 52, 14, kDefButton},
            {7, "Button", "いいえ(&N)", 140, 108, 52, 14, kButton},
            {2, "Button", "ｷｬﾝｾﾙ", 198, 108, 52, 14, kButton},
        });
}

TEST_F(DialogTemplates, FinishPage112) {
    ExpectTemplate(112, {false, kPageStyle, 0, 0, 0, 256, 128, ""},
                   {
                       {kNoId, "Static", "ｾｯﾄｱｯﾌﾟは正常に終了しました。", 8, 6, 240, 8, kText},
                       {1011, "Static", "", 8, 18, 240, 8, kText},
                       {1, "Button", "", 118, 108, 72, 14, kDefButton},
                       {2, "Button", "終了(&X)", 196, 108, 52, 14, kButton},
                   });
}

TEST_F(DialogTemplates, AbortPage113) {
    ExpectTemplate(
        113, {false, kPageStyle, 0, 0, 0, 256, 128, ""},
        {
            {1005, "Static", "ｾｯﾄｱｯﾌﾟを中止しました。", 8, 6, 240, 8, kText},
            {1006, "Static", "もう一度ｾｯﾄｱｯﾌﾟをやり直してください。", 8, 18, 240, 8, kText},
            {2, "Button", "終了(&X)", 196, 108, 52, 14, kButton},
        });
}

TEST_F(DialogTemplates, AboutBox100) {
    SCOPED_TRACE("template 100");
    res::DialogTemplate dialog = LoadTemplate(GetModuleHandleA(nullptr), 100);
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.style, 0x80C800C0u);
    EXPECT_EQ(dialog.cx, 217);
    EXPECT_EQ(dialog.cy, 55);
    EXPECT_EQ(dialog.caption, Convert("Veltrix Setup for Win32 について", "CP932"));
    EXPECT_EQ(dialog.pointSize, 9);
    ASSERT_EQ(dialog.items.size(), 4u);
    const res::DialogItem& icon = dialog.items[0];
    EXPECT_EQ(icon.className, "Static");
    EXPECT_TRUE(icon.textIsOrdinal);
    EXPECT_EQ(icon.textOrdinal, 128);
    EXPECT_EQ(icon.style & 0xF, 0x3u); // SS_ICON
    EXPECT_EQ(icon.id, kNoId);
    EXPECT_EQ(std::vector<short>({icon.x, icon.y, icon.cx, icon.cy}),
              std::vector<short>({11, 17, 18, 20}));
    const res::DialogItem& product = dialog.items[1];
    EXPECT_EQ(product.text, "Veltrix Setup for Win32");
    EXPECT_EQ(product.style, kText | kNoPrefix);
    EXPECT_EQ(std::vector<short>({product.x, product.y, product.cx, product.cy}),
              std::vector<short>({40, 10, 119, 8}));
    const res::DialogItem& copyright = dialog.items[2];
    EXPECT_EQ(copyright.text.rfind("Copyright", 0), 0u);
    EXPECT_NE(copyright.text.find("Veltrix"), std::string::npos);
    EXPECT_EQ(copyright.style & kNoPrefix, 0u);
    EXPECT_EQ(std::vector<short>({copyright.x, copyright.y, copyright.cx, copyright.cy}),
              std::vector<short>({40, 25, 119, 8}));
    const res::DialogItem& ok = dialog.items[3];
    EXPECT_EQ(ok.id, 1u);
    EXPECT_EQ(ok.text, "OK");
    EXPECT_EQ(ok.style & 0xF, 0x1u); // BS_DEFPUSHBUTTON
    EXPECT_EQ(std::vector<short>({ok.x, ok.y, ok.cx, ok.cy}), std::vector<short>({170, 7, 40, 14}));
    // The icon a static names is in the same module.
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon.textOrdinal)), nullptr);
}

TEST_F(DialogTemplates, DirectoryBrowser1536) {
    SCOPED_TRACE("template 1536");
    res::DialogTemplate dialog = LoadTemplate(GetModuleHandleA(nullptr), 1536);
    EXPECT_EQ(dialog.style, 0x80C800C0u);
    EXPECT_EQ(std::vector<short>({dialog.x, dialog.y, dialog.cx, dialog.cy}),
              std::vector<short>({36, 24, 182, 135}));
    EXPECT_EQ(dialog.caption, Convert("ﾌｧｲﾙを開く", "CP932"));
    struct Browser {
        DWORD id;
        const char* className;
        const char* text;
        short x, y, cx, cy;
        bool visible;
    };
    const std::vector<Browser> want = {
        {1090, "Static", "ﾌｧｲﾙ名(&N):", 184, 6, 76, 9, false},
        {1152, "Edit", "", 185, 16, 90, 13, false},
        {1120, "ListBox", "", 185, 32, 90, 60, false},
        {kNoId, "Static", "ﾌｫﾙﾀﾞ(&F):", 6, 6, 96, 9, true},
        {1088, "Static", "", 6, 18, 96, 10, true},
        {1121, "ListBox", "", 6, 32, 96, 60, true},
        {1089, "Static", "ﾌｧｲﾙの種類(&T):", 185, 104, 90, 9, false},
        {1136, "ComboBox", "", 185, 114, 90, 75, false},
        {1091, "Static", "ﾄﾞﾗｲﾌﾞ(&V):", 6, 104, 96, 9, true},
        {1137, "ComboBox", "", 6, 114, 96, 75, true},
        {1, "Button", "OK", 114, 6, 58, 15, true},
        {2, "Button", "ｷｬﾝｾﾙ", 114, 25, 58, 15, true},
        {1038, "Button", "ﾍﾙﾌﾟ(&H)", 114, 46, 58, 15, false},
        {1040, "Button", "読み取り専用(&R)", 109, 68, 71, 12, true},
    };
    ASSERT_EQ(dialog.items.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const res::DialogItem& item = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(want[i].id));
        EXPECT_EQ(item.id, want[i].id);
        EXPECT_EQ(item.className, want[i].className);
        EXPECT_EQ(item.text, Convert(want[i].text, "CP932"));
        EXPECT_EQ(std::vector<short>({item.x, item.y, item.cx, item.cy}),
                  std::vector<short>({want[i].x, want[i].y, want[i].cx, want[i].cy}));
        EXPECT_EQ((item.style & kVisible) != 0, want[i].visible);
        EXPECT_TRUE(item.style & kChild);
    }
    // The file controls lie beyond the dialog's right edge.
    for (size_t i : {0u, 1u, 2u, 6u, 7u})
        EXPECT_GT(dialog.items[i].x, dialog.cx);
    EXPECT_EQ(dialog.items[11].style & 0xF, 0x0u); // Cancel: a push button
    EXPECT_EQ(dialog.items[10].style & 0xF, 0x1u); // OK: the default one
    EXPECT_EQ(dialog.items[13].style & 0xF, 0x3u); // read-only: an automatic check box
    EXPECT_TRUE(dialog.items[5].style & kVScroll);
}

TEST_F(DialogTemplates, FindResourceTellsWhatIsMissing) {
    for (WORD id : {100, 101, 102, 110, 111, 112, 113, 1536})
        EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_DIALOG), nullptr) << id;
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(114), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(100), RT_MENU), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

} // namespace
