#include "MachineFixture.h"

#include "framework/CWinApp.h"
#include "script/FileEntry.h"
#include "script/RegistryEntry.h"
#include "script/RegistryValue.h"
#include "script/SetupScript.h"
#include "script/TargetFilter.h"

#include <framework/CString.h>
#include <resources/resource.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kSampleScript[] = "[Setup]\r\n"
                             "InfRevision=1\r\n"
                             "TargetOS=1000F\r\n"
                             "Caption=Sample Setup\r\n"
                             "DefaultDstPath=SAMPLE\r\n"
                             "[Files]\r\n"
                             "1:SAMPLE.EX_=SAMPLE.EXE,,0,3\r\n"
                             "1:SAMPLE.DL_,WIN95=SAMPLE.DLL,<SYS>,0,6\r\n"
                             "[Registry]\r\n"
                             "SAMPLE=HKEY_LOCAL_MACHINE,SOFTWARE\r\n"
                             "[SAMPLE]\r\n"
                             "Path=REG_SZ,C:\\SAMPLE\r\n";

CString LoadResourceString(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

std::vector<CFileEntry*> Files(CSetupScript& script) {
    std::vector<CFileEntry*> files;
    for (POSITION p = script.m_fileList.GetHeadPosition(); p;)
        files.push_back(static_cast<CFileEntry*>(script.m_fileList.GetNext(p)));
    return files;
}

std::vector<CRegistryEntry*> RegistryEntries(CSetupScript& script) {
    std::vector<CRegistryEntry*> entries;
    for (POSITION p = script.m_registryList.GetHeadPosition(); p;)
        entries.push_back(static_cast<CRegistryEntry*>(script.m_registryList.GetNext(p)));
    return entries;
}

// A minimal accepted script with the given [Setup] lines and [Files] lines.
std::string Script(const std::string& setup, const std::string& files = "1:A.TXT=\r\n") {
    return "[Setup]\r\n" + setup + "[Files]\r\n" + files;
}

} // namespace

class SetupScriptTest : public MachineTest {
  protected:
    std::unique_ptr<CSetupScript> Load(const std::string& script,
                                       host::OsKind os = host::OsKind::Nt4,
                                       host::PcKind pc = host::PcKind::PcAt,
                                       const std::string& language = "ENU") {
        WriteMediaFile("INSTKIT.INF", script);
        StartMachine(os, pc, language);
        MessageRecorder recorder(m_temp / "transcript.txt");
        auto loaded = std::make_unique<CSetupScript>();
        m_messages = recorder.Messages();
        return loaded;
    }

    // The boxes the last Load showed, answered with their default button.
    std::vector<std::string> m_messages;
};

TEST_F(SetupScriptTest, SampleScriptOnNt4) {
    auto script = Load(kSampleScript);
    EXPECT_TRUE(script->m_bLoaded);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_STREQ("D:\\", script->m_strModuleDir);
    EXPECT_STREQ("D:\\INSTKIT.INF", script->m_strScriptPath);
    EXPECT_EQ(1, script->m_nInfRevision);
    EXPECT_EQ(0x1000Fu, script->m_dwTargetOS);
    EXPECT_EQ(OS_WINNT40, script->m_dwRunningOS);
    EXPECT_EQ(PC_ALL, script->m_dwTargetPC);
    EXPECT_EQ(PC_PCAT, script->m_dwRunningPC);
    EXPECT_STREQ("Sample Setup", script->m_strCaption);
    EXPECT_STREQ(LoadResourceString(IDS_DISK_NAME), script->m_strDisk);
    EXPECT_STREQ(LoadResourceString(IDS_BEGINNING), script->m_strBeginning);
    EXPECT_FALSE(script->m_strDisk.IsEmpty());
    EXPECT_FALSE(script->m_bPromptSrcPath);
    EXPECT_TRUE(script->m_bPromptDstPath);
    EXPECT_TRUE(script->m_bProgressBar);
    EXPECT_STREQ("C:\\SAMPLE", script->m_strDefaultDstPath);
    EXPECT_EQ(0, script->m_nRebootOrRestart);
    EXPECT_FALSE(script->m_bDriverDllOnWin95);
    EXPECT_EQ(10, script->m_fileList.GetBlockSize());
    EXPECT_EQ(10, script->m_registryList.GetBlockSize());

    std::vector<CFileEntry*> files = Files(*script);
    ASSERT_EQ(1u, files.size()); // the WIN95 line is for another system
    EXPECT_STREQ("SAMPLE.EX_", files[0]->m_strSrcPath);
    EXPECT_EQ(3u, files[0]->m_nOverwriteMode);

    std::vector<CRegistryEntry*> entries = RegistryEntries(*script);
    ASSERT_EQ(1u, entries.size());
    EXPECT_STREQ("SAMPLE", entries[0]->m_strKeyName);
    EXPECT_STREQ("SOFTWARE", entries[0]->m_strParentKey);
    ASSERT_EQ(1, entries[0]->m_valueList.GetCount());
    auto* value = static_cast<CRegistryValue*>(entries[0]->m_valueList.GetHead());
    EXPECT_STREQ("Path", value->m_strValueName);
    EXPECT_STREQ("C:\\SAMPLE", value->m_strData);
}

TEST_F(SetupScriptTest, SampleScriptOnWin95TakesBothFiles) {
    auto script = Load(kSampleScript, host::OsKind::Win95);
    EXPECT_TRUE(script->m_bLoaded);
    EXPECT_EQ(OS_WIN95, script->m_dwRunningOS);
    std::vector<CFileEntry*> files = Files(*script);
    ASSERT_EQ(2u, files.size());
    EXPECT_STREQ("SAMPLE.EX_", files[0]->m_strSrcPath);
    EXPECT_STREQ("SAMPLE.DL_", files[1]->m_strSrcPath);
}

TEST_F(SetupScriptTest, FirstFileAndRemoveFirstFile) {
    auto script = Load(kSampleScript, host::OsKind::Win95);
    ASSERT_NE(nullptr, script->GetFirstFile());
    EXPECT_STREQ("SAMPLE.EX_", script->GetFirstFile()->m_strSrcPath);
    EXPECT_TRUE(script->RemoveFirstFile());
    EXPECT_STREQ("SAMPLE.DL_", script->GetFirstFile()->m_strSrcPath);
    EXPECT_TRUE(script->RemoveFirstFile());
    EXPECT_EQ(nullptr, script->GetFirstFile());
    EXPECT_FALSE(script->RemoveFirstFile());
    EXPECT_EQ(0, script->m_fileList.GetCount());
}

TEST_F(SetupScriptTest, MissingScript) {
    StartMachine();
    MessageRecorder recorder(m_temp / "transcript.txt");
    CSetupScript script;
    EXPECT_EQ(1u, recorder.Messages().size());
    EXPECT_FALSE(script.m_bLoaded);
    EXPECT_STREQ("D:\\INSTKIT.INF", script.m_strScriptPath);
    EXPECT_EQ(0, script.m_nInfRevision);
    EXPECT_EQ(0u, script.m_dwTargetOS);
    EXPECT_FALSE(HostFileExists(MediaDir() + "/INSTKIT.INF"));
}

TEST_F(SetupScriptTest, WrongRevisionStillReadsTheWholeScript) {
    auto script = Load(Script("InfRevision=3\r\nTargetOS=8\r\nRebootOrRestart=2\r\n") +
                       "[Registry]\r\nK=HKEY_USERS\r\n");
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(1u, m_messages.size());
    EXPECT_EQ(3, script->m_nInfRevision);
    EXPECT_EQ(1, script->m_fileList.GetCount());
    EXPECT_EQ(1, script->m_registryList.GetCount());
    EXPECT_EQ(2, script->m_nRebootOrRestart);
}

TEST_F(SetupScriptTest, MissingRevision) {
    auto script = Load(Script("TargetOS=8\r\n"));
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(0, script->m_nInfRevision);
    EXPECT_EQ(1, script->m_fileList.GetCount());
}

TEST_F(SetupScriptTest, RevisionTwoIsAccepted) {
    auto script = Load(Script("InfRevision=2\r\nTargetOS=8\r\n"));
    EXPECT_TRUE(script->m_bLoaded);
}

TEST_F(SetupScriptTest, WrongRevisionAndMissingTargetOsStopsAtTargetOs) {
    auto script = Load(Script("InfRevision=3\r\n"));
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(2u, m_messages.size());
    EXPECT_EQ(0u, script->m_dwTargetOS);
    EXPECT_EQ(0u, script->m_dwRunningOS); // the load stopped before asking
    EXPECT_EQ(0, script->m_fileList.GetCount());
}

TEST_F(SetupScriptTest, BadTargetOs) {
    for (const char* line : {"", "TargetOS=\r\n", "TargetOS=0\r\n", "TargetOS=G\r\n",
                             "TargetOS=FFF0\r\n", "TargetOS=  \r\n"}) {
        auto script = Load(Script(std::string("InfRevision=1\r\n") + line));
        EXPECT_FALSE(script->m_bLoaded) << line;
        EXPECT_EQ(0u, script->m_dwTargetOS) << line;
        EXPECT_EQ(0, script->m_fileList.GetCount()) << line;
        script.reset();
        host::StopMachine();
    }
}

TEST_F(SetupScriptTest, TargetOsIsWidened) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS= 0x4 \r\n"));
    EXPECT_TRUE(script->m_bLoaded);
    EXPECT_EQ(0xCu, script->m_dwTargetOS);
    script.reset();
    host::StopMachine();

    script = Load(Script("InfRevision=1\r\nTargetOS=4\r\n"), host::OsKind::Nt35);
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(OS_WINNT35, script->m_dwRunningOS);
    EXPECT_EQ(0u, script->m_dwTargetPC); // stopped before TargetPC
}

TEST_F(SetupScriptTest, TargetOsHexAndDecimalLookAlike) {
    auto a = Load(Script("InfRevision=1\r\nTargetOS=8\r\n"));
    WriteMediaFile("INSTKIT.INF", Script("InfRevision=1\r\nTargetOS=0x8\r\n"));
    auto c = std::make_unique<CSetupScript>();
    EXPECT_EQ(0x8u, a->m_dwTargetOS);
    EXPECT_EQ(0x8u, c->m_dwTargetOS);
    EXPECT_TRUE(c->m_bLoaded);
}

TEST_F(SetupScriptTest, Win95OnlyScriptOnNt) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=10000\r\n"));
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(0x10000u, script->m_dwTargetOS);
    EXPECT_EQ(OS_WINNT40, script->m_dwRunningOS);
}

TEST_F(SetupScriptTest, Nt31IsRecognised) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=1\r\n"), host::OsKind::Nt31);
    EXPECT_TRUE(script->m_bLoaded);
    EXPECT_EQ(OS_WINNT31, script->m_dwRunningOS);
    EXPECT_EQ(0xFu, script->m_dwTargetOS);
    script.reset();
    host::StopMachine();

    script = Load(Script("InfRevision=1\r\nTargetOS=2\r\n"), host::OsKind::Nt31);
    EXPECT_FALSE(script->m_bLoaded);
}

TEST_F(SetupScriptTest, TargetPc) {
    struct Case {
        const char* line;
        DWORD mask;
        bool loaded;
    };
    const Case cases[] = {
        {"", 0x3, true},
        {"TargetPC=0\r\n", 0x3, true},
        {"TargetPC=1\r\n", 0x1, true},
        {"TargetPC=2\r\n", 0x2, false},
        {"TargetPC=3\r\n", 0x3, true},
        {"TargetPC=4\r\n", 0x80000000, false},
        {"TargetPC=-1\r\n", 0x80000000, false},
    };
    for (const Case& c : cases) {
        auto script = Load(Script(std::string("InfRevision=1\r\nTargetOS=8\r\n") + c.line));
        EXPECT_EQ(c.loaded, static_cast<bool>(script->m_bLoaded)) << c.line;
        EXPECT_EQ(c.mask, script->m_dwTargetPC) << c.line;
        EXPECT_EQ(PC_PCAT, script->m_dwRunningPC);
        script.reset();
        host::StopMachine();
    }
}

TEST_F(SetupScriptTest, Pc98Machine) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nTargetPC=1\r\n"), host::OsKind::Nt4,
                       host::PcKind::Pc98, "JPN");
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(PC_PC98, script->m_dwRunningPC);
    script.reset();
    host::StopMachine();

    script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nTargetPC=2\r\n",
                         "1:A.TXT,,PCAT=\r\n1:B.TXT,,PC98=\r\n"),
                  host::OsKind::Nt4, host::PcKind::Pc98, "JPN");
    EXPECT_TRUE(script->m_bLoaded);
    ASSERT_EQ(1, script->m_fileList.GetCount());
    EXPECT_STREQ("B.TXT", script->GetFirstFile()->m_strSrcPath);
}

TEST_F(SetupScriptTest, NoFileForThisSystem) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=1000F\r\n",
                              "1:A.TXT,WIN95=\r\nNOCOLON=\r\n1:B.TXT,WIN98=\r\n"));
    EXPECT_FALSE(script->m_bLoaded);
    EXPECT_EQ(0, script->m_fileList.GetCount());
    EXPECT_STREQ("", script->m_strCaption); // stopped before the texts
}

TEST_F(SetupScriptTest, NoFilesSection) {
    auto script = Load("[Setup]\r\nInfRevision=1\r\nTargetOS=8\r\n");
    EXPECT_FALSE(script->m_bLoaded);
}

TEST_F(SetupScriptTest, Switches) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nPromptSrcPath=2\r\n"
                              "PromptDstPath=2\r\nProgressBar=2\r\n"));
    EXPECT_TRUE(script->m_bLoaded);
    EXPECT_FALSE(script->m_bPromptSrcPath);
    EXPECT_TRUE(script->m_bPromptDstPath);
    EXPECT_FALSE(script->m_bProgressBar);
    script.reset();
    host::StopMachine();

    script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nPromptSrcPath=1\r\n"
                         "PromptDstPath=0\r\nProgressBar=0\r\n"));
    EXPECT_TRUE(script->m_bPromptSrcPath);
    EXPECT_FALSE(script->m_bPromptDstPath);
    EXPECT_FALSE(script->m_bProgressBar);
}

TEST_F(SetupScriptTest, RebootOrRestartOutOfRangeIsNone) {
    for (const char* value : {"3", "-1", "x"}) {
        auto script = Load(Script(std::string("InfRevision=1\r\nTargetOS=8\r\nRebootOrRestart=") +
                                  value + "\r\n"));
        EXPECT_TRUE(script->m_bLoaded);
        EXPECT_EQ(0, script->m_nRebootOrRestart) << value;
        script.reset();
        host::StopMachine();
    }
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nRebootOrRestart=1\r\n"));
    EXPECT_EQ(1, script->m_nRebootOrRestart);
}

TEST_F(SetupScriptTest, EmptyTextsTakeTheirDefaults) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nCaption=\r\nDisk=  \r\n"
                              "Beginning=Welcome\r\nDefaultDstPath=\r\n"));
    EXPECT_STREQ(LoadResourceString(IDS_APP_TITLE), script->m_strCaption);
    EXPECT_FALSE(script->m_strCaption.IsEmpty());
    EXPECT_STREQ(LoadResourceString(IDS_DISK_NAME), script->m_strDisk);
    EXPECT_STREQ("Welcome", script->m_strBeginning);
    EXPECT_STREQ("", script->m_strDefaultDstPath);
}

TEST_F(SetupScriptTest, DefaultDstPathOnTheFirstFixedDrive) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\nDefaultDstPath=VENDOR\\TOOL\r\n"));
    EXPECT_STREQ("C:\\VENDOR\\TOOL", script->m_strDefaultDstPath);
}

TEST_F(SetupScriptTest, DuplicateFileKeysTakeTheFirstValue) {
    auto script = Load(
        Script("InfRevision=1\r\nTargetOS=8\r\n", "1:A.TXT=FIRST.TXT\r\n1:a.txt=SECOND.TXT\r\n"));
    std::vector<CFileEntry*> files = Files(*script);
    ASSERT_EQ(2u, files.size());
    EXPECT_STREQ("A.TXT", files[0]->m_strSrcPath);
    EXPECT_STREQ("a.txt", files[1]->m_strSrcPath);
    EXPECT_STREQ("FIRST.TXT", files[0]->m_strDstName);
    EXPECT_STREQ("FIRST.TXT", files[1]->m_strDstName);
}

TEST_F(SetupScriptTest, RegistrySectionsAreNamedByTheWholeKey) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=1000F\r\n") +
                       "[Registry]\r\n"
                       "APPKEY,WINNT40=HKEY_CURRENT_USER,Software\r\n"
                       "W95KEY,WIN95=HKEY_LOCAL_MACHINE\r\n"
                       "BAD,WIN98=HKEY_LOCAL_MACHINE\r\n"
                       ",WINNT40=HKEY_LOCAL_MACHINE\r\n"
                       "EMPTY=\r\n"
                       "[APPKEY]\r\n"
                       "Wrong=REG_SZ,wrong\r\n"
                       "[APPKEY,WINNT40]\r\n"
                       "Right=REG_SZ,right\r\n"
                       "Count=REG_DWORD,7\r\n"
                       "Skipped=REG_EXPAND_SZ,x\r\n"
                       "[W95KEY,WIN95]\r\n"
                       "Never=REG_SZ,x\r\n");
    EXPECT_TRUE(script->m_bLoaded);
    std::vector<CRegistryEntry*> entries = RegistryEntries(*script);
    ASSERT_EQ(2u, entries.size());
    EXPECT_STREQ("APPKEY", entries[0]->m_strKeyName);
    EXPECT_EQ(HKEY_CURRENT_USER, entries[0]->m_hRootKey);
    ASSERT_EQ(2, entries[0]->m_valueList.GetCount());
    auto* first = static_cast<CRegistryValue*>(entries[0]->m_valueList.GetHead());
    auto* second = static_cast<CRegistryValue*>(entries[0]->m_valueList.GetTail());
    EXPECT_STREQ("Right", first->m_strValueName);
    EXPECT_STREQ("right", first->m_strData);
    EXPECT_EQ(7u, second->m_dwData);
    EXPECT_STREQ("EMPTY", entries[1]->m_strKeyName);
    EXPECT_EQ(0, entries[1]->m_valueList.GetCount());
}

TEST_F(SetupScriptTest, DuplicateRegistryValuesTakeTheFirstData) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\n") +
                       "[Registry]\r\nK=\r\n[K]\r\nV=REG_DWORD,1\r\nV=REG_DWORD,2\r\n");
    std::vector<CRegistryEntry*> entries = RegistryEntries(*script);
    ASSERT_EQ(1u, entries.size());
    ASSERT_EQ(2, entries[0]->m_valueList.GetCount());
    EXPECT_EQ(1u, static_cast<CRegistryValue*>(entries[0]->m_valueList.GetHead())->m_dwData);
    EXPECT_EQ(1u, static_cast<CRegistryValue*>(entries[0]->m_valueList.GetTail())->m_dwData);
}

TEST_F(SetupScriptTest, DriverDllOnWin95) {
    const std::string text = Script("InfRevision=1\r\nTargetOS=1000F\r\n",
                                    "1:A.TXT=\r\n1:W.DL_,COMMON=WinKelp.DLL,<SYS>\r\n");
    auto script = Load(text, host::OsKind::Win95);
    EXPECT_TRUE(script->m_bDriverDllOnWin95);
    script.reset();
    host::StopMachine();

    script = Load(text, host::OsKind::Nt4);
    EXPECT_FALSE(script->m_bDriverDllOnWin95);
    EXPECT_EQ(2, script->m_fileList.GetCount());
}

TEST_F(SetupScriptTest, OverlongKeysAreDroppedLikeMalformedLines) {
    std::string longFile = "1:" + std::string(600, 'F') + "=\r\n";
    std::string longKey = std::string(1100, 'K') + "=\r\n";
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\n", longFile + "1:OK.TXT=\r\n") +
                       "[Registry]\r\n" + longKey + "SHORT=\r\n");
    EXPECT_TRUE(script->m_bLoaded);
    ASSERT_EQ(1, script->m_fileList.GetCount());
    EXPECT_STREQ("OK.TXT", script->GetFirstFile()->m_strSrcPath);
    std::vector<CRegistryEntry*> entries = RegistryEntries(*script);
    ASSERT_EQ(1u, entries.size());
    EXPECT_STREQ("SHORT", entries[0]->m_strKeyName);
}

TEST_F(SetupScriptTest, EveryKeyOfALongSectionIsRead) {
    // 3,000 keys of 15 characters and a zero in each section: 48,000 bytes, more than the
    // profile reader's list takes in one read of the first size tried.
    std::string files;
    std::string registry;
    std::string values;
    for (int i = 0; i < 3000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "1:F%08d.TXT=\r\n", i);
        files += line;
        std::snprintf(line, sizeof line, "KEY%012d=HKEY_CURRENT_USER\r\n", i);
        registry += line;
        std::snprintf(line, sizeof line, "VALUE%010d=REG_DWORD,%d\r\n", i, i);
        values += line;
    }
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\n", files) + "[Registry]\r\n" +
                       registry + "[KEY000000002999]\r\n" + values);
    EXPECT_TRUE(script->m_bLoaded);
    std::vector<CFileEntry*> list = Files(*script);
    ASSERT_EQ(3000u, list.size());
    EXPECT_STREQ("F00002999.TXT", list.back()->m_strSrcPath);
    std::vector<CRegistryEntry*> entries = RegistryEntries(*script);
    ASSERT_EQ(3000u, entries.size());
    EXPECT_STREQ("KEY000000002999", entries.back()->m_strKeyName);
    ASSERT_EQ(3000, entries.back()->m_valueList.GetCount());
    EXPECT_EQ(2999u, static_cast<CRegistryValue*>(entries.back()->m_valueList.GetTail())->m_dwData);
}

TEST_F(SetupScriptTest, DateOrderFollowsTheSystemLocale) {
    auto script = Load(Script("InfRevision=1\r\nTargetOS=8\r\n"));
    char order[256] = {};
    ASSERT_GT(GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_IDATE, order, sizeof order), 0);
    EXPECT_EQ(order[0] - '0', script->m_nDateOrder);
    script.reset();
    host::StopMachine();

    script = Load(Script("InfRevision=1\r\nTargetOS=8\r\n"), host::OsKind::Nt4, host::PcKind::PcAt,
                  "JPN");
    EXPECT_EQ(2, script->m_nDateOrder); // year-month-day
}

TEST_F(SetupScriptTest, ScriptWithLfLinesAndNoFinalNewline) {
    auto script = Load("[setup]\nInfRevision = 1\nTargetOS = 8\n[files]\n1:A.TXT = B.TXT");
    EXPECT_TRUE(script->m_bLoaded);
    ASSERT_EQ(1, script->m_fileList.GetCount());
    EXPECT_STREQ("B.TXT", script->GetFirstFile()->m_strDstName);
}

TEST_F(SetupScriptTest, ABinaryScriptIsRefusedWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    auto script = Load(garbage);
    EXPECT_FALSE(script->m_bLoaded);
}

// The messages of a refused script: which ones, in which order, with which text.
class SetupScriptMessages : public MachineTest {
  protected:
    std::vector<std::string> LoadAndRecord(const std::string& text,
                                           host::OsKind os = host::OsKind::Nt4,
                                           BOOL expectLoaded = FALSE) {
        if (!text.empty())
            WriteMediaFile("INSTKIT.INF", text);
        StartMachine(os, host::PcKind::PcAt, "JPN");
        MessageRecorder recorder(m_temp / "transcript.txt");
        CSetupScript script;
        EXPECT_EQ(expectLoaded, script.m_bLoaded);
        return recorder.Messages();
    }

    // What the transcript shows for the warning box of a string, formatted with the script's
    // name where it takes one.
    static std::string Box(UINT id, bool withName) {
        CString text = LoadResourceString(id);
        EXPECT_FALSE(text.IsEmpty()) << id;
        if (withName) {
            CString format = text;
            text.Format(format, "INSTKIT.INF");
        }
        return host::AnsiToUtf8(static_cast<LPCSTR>(text)) + " -> OK (0x30)";
    }

    static void ExpectBoxes(const std::vector<std::string>& shown,
                            const std::vector<std::string>& expected) {
        ASSERT_EQ(expected.size(), shown.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            const std::string& line = shown[i];
            const std::string& tail = expected[i];
            EXPECT_TRUE(line.size() >= tail.size() &&
                        line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
                << "shown: " << line << "\nexpected to end with: " << tail;
        }
    }
};

TEST_F(SetupScriptMessages, MissingScriptNamesTheScriptNotItsPath) {
    std::vector<std::string> shown = LoadAndRecord("");
    ExpectBoxes(shown, {Box(IDS_SCRIPT_NOT_FOUND, true)});
    EXPECT_NE(std::string::npos, shown[0].find("INSTKIT.INF"));
    EXPECT_EQ(std::string::npos, shown[0].find("D:\\"));
}

TEST_F(SetupScriptMessages, AnAcceptedScriptShowsNothing) {
    std::vector<std::string> shown = LoadAndRecord(kSampleScript, host::OsKind::Nt4, TRUE);
    ExpectBoxes(shown, {});
}

TEST_F(SetupScriptMessages, WrongRevisionThenMissingTargetOs) {
    std::vector<std::string> shown = LoadAndRecord(Script("InfRevision=3\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_REVISION, true), Box(IDS_ERR_TARGET_OS_INVALID, true)});
}

TEST_F(SetupScriptMessages, WrongRevisionAloneInACorrectScript) {
    std::vector<std::string> shown = LoadAndRecord(Script("InfRevision=3\r\nTargetOS=8\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_REVISION, true)});
}

TEST_F(SetupScriptMessages, WrongRevisionThenNoFiles) {
    std::vector<std::string> shown = LoadAndRecord(Script("TargetOS=8\r\n", "1:A.TXT,WIN95=\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_REVISION, true), Box(IDS_ERR_NO_FILES, false)});
}

TEST_F(SetupScriptMessages, BadTargetOs) {
    std::vector<std::string> shown = LoadAndRecord(Script("InfRevision=1\r\nTargetOS=G\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_TARGET_OS_INVALID, true)});
}

TEST_F(SetupScriptMessages, OtherOperatingSystem) {
    std::vector<std::string> shown = LoadAndRecord(Script("InfRevision=1\r\nTargetOS=10000\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_OS_UNSUPPORTED, false)});
}

TEST_F(SetupScriptMessages, OtherPc) {
    std::vector<std::string> shown =
        LoadAndRecord(Script("InfRevision=1\r\nTargetOS=8\r\nTargetPC=4\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_PC_UNSUPPORTED, false)});
}

TEST_F(SetupScriptMessages, NoFilesForThisSystem) {
    std::vector<std::string> shown =
        LoadAndRecord(Script("InfRevision=1\r\nTargetOS=8\r\n", "1:A.TXT,WIN95=\r\n"));
    ExpectBoxes(shown, {Box(IDS_ERR_NO_FILES, false)});
}

TEST_F(SetupScriptMessages, TheBoxIsCaptionedWithTheApplicationTitle) {
    WriteMediaFile("INSTKIT.INF", Script("InfRevision=1\r\nTargetOS=10000\r\n"));
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    // The framework's start-up gives the application this title before the script is read.
    CWinApp app(LoadResourceString(IDS_APP_TITLE));
    MessageRecorder recorder(m_temp / "transcript.txt");
    { CSetupScript script; }
    std::vector<std::string> shown = recorder.Messages();
    ASSERT_EQ(1u, shown.size());
    std::string title = host::AnsiToUtf8(static_cast<LPCSTR>(LoadResourceString(IDS_APP_TITLE)));
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(0u, shown[0].rfind(title + " | ", 0)) << shown[0];
}
