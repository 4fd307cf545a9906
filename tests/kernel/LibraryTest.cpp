// Language libraries: LoadLibraryA's name rules and search order, reference counts, the
// library's strings, templates and icon through the framework's resource handle, and files
// that are no usable library.
#include <algorithm>
#include "ResourceTestSupport.h"

#include "framework/AfxCore.h"
#include "framework/CString.h"
#include "user/DialogTemplate.h"

#include <gtest/gtest.h>

#include <host/Machine.h>

#include <strings.h>

#include <filesystem>

namespace {

std::string ModuleFileName(HMODULE module) {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

std::string LoadText(HMODULE module, UINT id) {
    char buffer[256];
    int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::string WindowsDirectory(UINT(WINAPI* getter)(LPSTR, UINT)) {
    char buffer[MAX_PATH];
    UINT length = getter(buffer, sizeof buffer);
    return std::string(buffer, length);
}

bool SameWindowsPath(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

class Library : public ::testing::Test {
  protected:
    TestMachine m_machine{"JPN"};
    std::string m_library = LanguageLibraryPath();

    void SetUp() override {
        ASSERT_TRUE(m_machine.Started()) << m_machine.Error();
        if (m_library.empty())
            GTEST_SKIP() << "the build made no test language library (no mingw-w64 tools)";
    }
    void TearDown() override { AfxSetResourceHandle(nullptr); }

    void Install(const std::string& hostPath) { ASSERT_TRUE(CopyHostFile(m_library, hostPath)); }
};

TEST_F(Library, FromTheProgramDirectory) {
    Install(m_machine.media() + "/SETUPENU.DLL");
    HMODULE module = LoadLibraryA("SETUPENU");
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_NE(module, GetModuleHandleA(nullptr));
    EXPECT_EQ(ModuleFileName(module), "D:\\SETUPENU.DLL");
    EXPECT_EQ(LoadText(module, 1000), "Are you sure you want to cancel Setup?");
    EXPECT_EQ(LoadText(module, 57344), "Veltrix Setup (English)");
    EXPECT_EQ(LoadText(module, 3000), "Copying file  %s  ...");
    // The library has no string 1002: nothing, not the program's.
    EXPECT_EQ(LoadText(module, 1002), "");
    // The program's own resources are untouched.
    EXPECT_EQ(LoadText(nullptr, 1002),
              Convert("新しいﾃﾞｨﾚｸﾄﾘを作成してもよろしいですか？", "CP932"));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, FromTheSystemDirectory) {
    std::string system = m_machine.SystemDirHost();
    ASSERT_FALSE(system.empty());
    Install(system + "/SETUPENU.DLL");
    HMODULE module = LoadLibraryA("setupenu");
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_TRUE(SameWindowsPath(ModuleFileName(module),
                                WindowsDirectory(GetSystemDirectoryA) + "\\SETUPENU.DLL"))
        << ModuleFileName(module);
    EXPECT_EQ(LoadText(module, 2000), "Setup is starting.");
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, FromTheWindowsDirectory) {
    std::string windows = host::HostPathOf(WindowsDirectory(GetWindowsDirectoryA));
    ASSERT_FALSE(windows.empty());
    Install(windows + "/SETUPENU.DLL");
    HMODULE module = LoadLibraryA("SETUPENU");
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_TRUE(SameWindowsPath(ModuleFileName(module),
                                WindowsDirectory(GetWindowsDirectoryA) + "\\SETUPENU.DLL"));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, ProgramDirectoryComesFirst) {
    Install(m_machine.SystemDirHost() + "/SETUPENU.DLL");
    Install(m_machine.media() + "/SETUPENU.DLL");
    HMODULE module = LoadLibraryA("SETUPENU");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), "D:\\SETUPENU.DLL");
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, MissingLibrary) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("SETUPJPN"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST_F(Library, ExtensionRules) {
    // A file without an extension is found only when the name ends in a dot.
    Install(m_machine.media() + "/SETUPENU");
    EXPECT_EQ(LoadLibraryA("SETUPENU"), nullptr);
    HMODULE module = LoadLibraryA("SETUPENU.");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), "D:\\SETUPENU");
    EXPECT_TRUE(FreeLibrary(module));
    // Another extension is kept as it is.
    Install(m_machine.media() + "/SETUPENU.LNG");
    module = LoadLibraryA("SETUPENU.LNG");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), "D:\\SETUPENU.LNG");
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, ExplicitPath) {
    Install(m_machine.media() + "/LANG/SETUPENU.DLL");
    EXPECT_EQ(LoadLibraryA("SETUPENU"), nullptr);
    HMODULE module = LoadLibraryA("D:\\LANG\\SETUPENU");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), "D:\\LANG\\SETUPENU.DLL");
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Library, LoadingTwiceCountsReferences) {
    Install(m_machine.media() + "/SETUPENU.DLL");
    HMODULE first = LoadLibraryA("SETUPENU");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadLibraryA("setupenu.dll"), first);
    EXPECT_EQ(LoadLibraryA("D:\\SETUPENU.DLL"), first);
    EXPECT_EQ(GetModuleHandleA("SETUPENU"), first);
    EXPECT_EQ(GetModuleHandleA("D:\\setupenu.dll"), first);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(LoadText(first, 1000), "Are you sure you want to cancel Setup?");
    EXPECT_TRUE(FreeLibrary(first));
    // Gone: the handle finds nothing any more.
    EXPECT_EQ(GetModuleHandleA("SETUPENU"), nullptr);
    EXPECT_EQ(LoadText(first, 1000), "");
    EXPECT_EQ(FindResourceA(first, MAKEINTRESOURCEA(110), RT_DIALOG), nullptr);
    EXPECT_EQ(ModuleFileName(first), "");
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // Loaded again, it is a new module.
    HMODULE again = LoadLibraryA("SETUPENU");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, first);
    EXPECT_TRUE(FreeLibrary(again));
}

TEST_F(Library, ServesTheFrameworkAfterSetResourceHandle) {
    Install(m_machine.media() + "/SETUPENU.DLL");
    HMODULE module = LoadLibraryA("SETUPENU");
    ASSERT_NE(module, nullptr);
    CString text;
    EXPECT_TRUE(text.LoadString(1000));
    EXPECT_EQ(std::string(static_cast<LPCSTR>(text)),
              Convert("ｾｯﾄｱｯﾌﾟを中止してもよろしいですか？", "CP932"));

    AfxSetResourceHandle(module);
    EXPECT_EQ(AfxGetResourceHandle(), module);
    EXPECT_TRUE(text.LoadString(1000));
    EXPECT_STREQ(static_cast<LPCSTR>(text), "Are you sure you want to cancel Setup?");
    EXPECT_TRUE(text.LoadString(57344));
    EXPECT_STREQ(static_cast<LPCSTR>(text), "Veltrix Setup (English)");
    EXPECT_FALSE(text.LoadString(1002));
    EXPECT_TRUE(text.IsEmpty());

    // The template from the library: its own texts and font.
    HMODULE resources = AfxGetResourceHandle();
    HRSRC found = FindResourceA(resources, MAKEINTRESOURCEA(110), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const void* data = LockResource(LoadResource(resources, found));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(res::ResourceBytesAvailable(data), SizeofResource(resources, found));
    res::DialogTemplate dialog;
    ASSERT_TRUE(res::ParseDialogTemplate(data, SizeofResource(resources, found), dialog));
    EXPECT_EQ(dialog.style, 0x48000044u);
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.faceName, "MS Sans Serif");
    ASSERT_EQ(dialog.items.size(), 10u);
    EXPECT_EQ(dialog.items[0].id, 1007u);
    EXPECT_EQ(dialog.items[0].text, "Welcome to the setup of Veltrix software products.");
    EXPECT_EQ(dialog.items[9].text, "Cancel");
    // Templates the library lacks are missing; the program's are not used in their place.
    EXPECT_EQ(FindResourceA(resources, MAKEINTRESOURCEA(111), RT_DIALOG), nullptr);

    // The library's icon: one 16 x 16 image, green with a red frame.
    HICON icon = LoadIconA(resources, MAKEINTRESOURCEA(128));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)));
    res::IconImage image;
    ASSERT_TRUE(res::GetIconImage(icon, image, 32, 32));
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 16);
    EXPECT_EQ(image.pixels[0], res::kTransparentPixel);
    EXPECT_EQ(image.pixels[1], RGB(255, 0, 0));
    EXPECT_EQ(image.pixels[16 + 1], RGB(0, 255, 0));

    EXPECT_TRUE(FreeLibrary(module));
    // A decoded icon outlives its library.
    ASSERT_TRUE(res::GetIconImage(icon, image));
    EXPECT_EQ(image.width, 16);
}

TEST_F(Library, ProgramModule) {
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(ModuleFileName(nullptr), "D:\\SETUP.EXE");
    EXPECT_EQ(ModuleFileName(program), "D:\\SETUP.EXE");
    EXPECT_EQ(GetModuleHandleA("SETUP.EXE"), program);
    EXPECT_EQ(GetModuleHandleA("setup.exe"), program);
    EXPECT_EQ(GetModuleHandleA("SETUP"), nullptr); // that would be SETUP.DLL
    EXPECT_EQ(AfxGetInstanceHandle(), program);
    EXPECT_EQ(AfxGetResourceHandle(), program);
    EXPECT_TRUE(FreeLibrary(program));
    EXPECT_EQ(LoadText(program, 3001), "INSTKIT.INF");

    // A buffer too small: cut, terminated, and the size reported.
    char small[6];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_STREQ(small, "D:\\SE");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), small, sizeof small), 0u);
}

TEST_F(Library, FilesThatAreNoLibrary) {
    ASSERT_TRUE(WriteHostFile(m_machine.media() + "/SETUPTXT.DLL", "This is not a library.\r\n"));
    ASSERT_TRUE(WriteHostFile(m_machine.media() + "/SETUPNUL.DLL", ""));
    // A DOS header that points at no PE header.
    std::string dos(128, '\0');
    dos[0] = 'M', dos[1] = 'Z', dos[0x3C] = 0x40;
    ASSERT_TRUE(WriteHostFile(m_machine.media() + "/SETUPDOS.DLL", dos));
    for (const char* name : {"SETUPTXT", "SETUPNUL", "SETUPDOS"}) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << name;
    }
    // A directory of that name is no file either.
    std::filesystem::create_directories(m_machine.media() + "/SETUPDIR.DLL");
    EXPECT_EQ(LoadLibraryA("SETUPDIR"), nullptr);
}

// Uses every resource call on a library, as the installer would: nothing may crash, whatever
// the library holds.
void UseEverything(HMODULE module) {
    char buffer[512];
    for (UINT id : {101u, 1000u, 1001u, 1002u, 1009u, 2000u, 3000u, 3008u, 10000u, 10014u, 57344u})
        LoadStringA(module, id, buffer, sizeof buffer);
    for (WORD id : {100, 101, 102, 110, 111, 112, 113, 1536}) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
        if (!found)
            continue;
        const void* data = LockResource(LoadResource(module, found));
        res::DialogTemplate dialog;
        if (data)
            res::ParseDialogTemplate(data, res::ResourceBytesAvailable(data), dialog);
    }
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(128));
    res::IconImage image;
    if (icon) {
        EXPECT_TRUE(res::GetIconImage(icon, image));
    }
}

TEST_F(Library, DamagedCopyNeverCrashes) {
    std::string damaged = DamagedLanguageLibraryPath();
    ASSERT_FALSE(damaged.empty());
    ASSERT_TRUE(CopyHostFile(damaged, m_machine.media() + "/SETUPENU.DLL"));
    // The cut takes the symbols after the sections: the library still opens.
    HMODULE module = LoadLibraryA("SETUPENU");
    ASSERT_NE(module, nullptr);
    UseEverything(module);
    EXPECT_TRUE(FreeLibrary(module));
}

// Where the last section's data ends in a PE file.
size_t EndOfSections(const std::string& image) {
    auto dword = [&](size_t at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(image.at(at + i));
        return value;
    };
    size_t pe = dword(0x3C);
    size_t count = dword(pe + 4) >> 16;
    size_t optionalSize = dword(pe + 20) & 0xFFFF;
    size_t table = pe + 24 + optionalSize;
    size_t end = 0;
    for (size_t i = 0; i < count; ++i)
        end = std::max<size_t>(end, dword(table + 40 * i + 20) + dword(table + 40 * i + 16));
    return end;
}

TEST_F(Library, EveryTruncationNeverCrashes) {
    std::string whole = ReadHostFile(m_library);
    ASSERT_FALSE(whole.empty());
    std::string path = m_machine.media() + "/SETUPCUT.DLL";
    size_t loaded = 0;
    size_t complete = EndOfSections(whole);
    ASSERT_LT(complete, whole.size());
    for (size_t length = 0; length < whole.size(); length += 7) {
        ASSERT_TRUE(WriteHostFile(path, whole.substr(0, length)));
        SetLastError(0);
        HMODULE module = LoadLibraryA("SETUPCUT");
        if (!module) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << length;
            EXPECT_LT(length, complete);
            continue;
        }
        // A file that lost part of a section is refused, as the system's loader refuses it:
        // the program then keeps its own texts rather than showing the lost ones as empty.
        EXPECT_GE(length, complete);
        ++loaded;
        UseEverything(module);
        EXPECT_TRUE(FreeLibrary(module));
    }
    EXPECT_GT(loaded, 0u);
}

TEST_F(Library, ChangedBytesNeverCrash) {
    std::string whole = ReadHostFile(m_library);
    ASSERT_FALSE(whole.empty());
    std::string path = m_machine.media() + "/SETUPBAD.DLL";
    // Every byte of the file, set to values that make sizes and offsets large or odd.
    for (size_t offset = 0; offset < whole.size(); offset += 3) {
        std::string damaged = whole;
        damaged[offset] = static_cast<char>(offset % 2 ? 0xFF : 0x7F);
        ASSERT_TRUE(WriteHostFile(path, damaged));
        HMODULE module = LoadLibraryA("SETUPBAD");
        if (!module)
            continue;
        UseEverything(module);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

} // namespace

namespace {

TEST(LibraryLifetime, LibrariesGoWithTheirMachine) {
    std::string library = LanguageLibraryPath();
    if (library.empty())
        GTEST_SKIP() << "the build made no test language library (no mingw-w64 tools)";
    HMODULE module = nullptr;
    {
        TestMachine first("ENU");
        ASSERT_TRUE(first.Started()) << first.Error();
        ASSERT_TRUE(CopyHostFile(library, first.media() + "/SETUPENU.DLL"));
        module = LoadLibraryA("SETUPENU");
        ASSERT_NE(module, nullptr);
        // Not freed: the machine stops with the library loaded.
    }
    TestMachine second("ENU");
    ASSERT_TRUE(second.Started()) << second.Error();
    EXPECT_EQ(GetModuleHandleA("SETUPENU"), nullptr);
    EXPECT_EQ(LoadLibraryA("SETUPENU"), nullptr); // the new medium has no library
    char buffer[16];
    EXPECT_EQ(LoadStringA(module, 1000, buffer, sizeof buffer), 0);
    EXPECT_FALSE(FreeLibrary(module));
}

} // namespace
