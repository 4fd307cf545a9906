// The installer end to end: the real program on real media in temporary prefixes, driven by
// the automation, with the results checked on disk and in the prefix's registry files.
#include "SetupRun.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

namespace {

class PageSequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_medium.WriteScript(ScriptWith("DefaultDstPath=APP\nRebootOrRestart=0",
                                        "1:ONE.TXT=,,0,3\n1:TWO.TXT=,,0,3",
                                        "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                        "[E2E]\nDone=REG_DWORD,1\n"));
        m_medium.WriteFile(1, "ONE.TXT", "one");
        m_medium.WriteFile(1, "TWO.TXT", "two");
    }

    SetupResult runWithAnswers(const std::string& answers,
                               const std::vector<std::string>& more = {}) {
        std::string file = m_medium.WriteAnswers(answers);
        return m_medium.Run(with(with(kJapanese, {"--answers", file}), more));
    }

    bool registryWritten() const {
        return m_medium.Registry("system.reg").find("E2E") != std::string::npos;
    }

    SetupMedium m_medium;
};

TEST_F(PageSequenceTest, PathPageToCopyToFinishToExit) {
    SetupResult result = m_medium.Run(with(kJapanese, {"--silent"}));
    EXPECT_EQ(0, result.status) << result.transcript << result.errors;
    EXPECT_EQ("one", ReadHostFile(m_medium.DriveC("APP/ONE.TXT")));
    EXPECT_EQ("two", ReadHostFile(m_medium.DriveC("APP/TWO.TXT")));
    EXPECT_TRUE(registryWritten());

    std::vector<std::string> pages = result.Lines("page");
    ASSERT_EQ(2u, pages.size()) << result.transcript;
    EXPECT_NE(std::string::npos, pages[0].find("[C:\\APP]"));
    EXPECT_NE(std::string::npos, pages[1].find("ｾｯﾄｱｯﾌﾟは正常に終了しました。"));
    EXPECT_EQ(1u, result.Lines("beep").size());
    // The temporary directory is gone at the end.
    EXPECT_FALSE(HostFileExists(m_medium.DriveC("windows/TEMP0")));
}

TEST_F(PageSequenceTest, CancelOnThePathPageAnsweredYesAbandons) {
    SetupResult result = runWithAnswers("\"ｺﾋﾟｰ先\" press cancel\n"
                                        "\"中止してもよろしいですか\" press yes\n"
                                        "\"ｾｯﾄｱｯﾌﾟを中止しました。\" press 2\n");
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_TRUE(
        result.Has("message: E2E Setup | ｾｯﾄｱｯﾌﾟを中止してもよろしいですか？ -> Yes (0x24)"))
        << result.transcript;
    EXPECT_TRUE(result.Has("もう一度ｾｯﾄｱｯﾌﾟをやり直してください。"));
    EXPECT_FALSE(HostFileExists(m_medium.DriveC("APP/ONE.TXT")));
    EXPECT_FALSE(registryWritten());
}

TEST_F(PageSequenceTest, CancelAnsweredNoKeepsThePathPage) {
    SetupResult result = runWithAnswers("\"ｺﾋﾟｰ先\" press cancel\n"
                                        "\"中止してもよろしいですか\" press no\n"
                                        "\"ｺﾋﾟｰ先\" press ok\n"
                                        "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n"
                                        "\"正常に終了\" press 2\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("-> No (0x24)"));
    EXPECT_EQ("one", ReadHostFile(m_medium.DriveC("APP/ONE.TXT")));
}

TEST_F(PageSequenceTest, EnterOnTheAbortPageEndsTheRun) {
    SetupResult result = runWithAnswers("\"ｺﾋﾟｰ先\" press cancel\n"
                                        "\"中止してもよろしいですか\" press yes\n"
                                        "\"ｾｯﾄｱｯﾌﾟを中止しました。\" press default\n");
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("end: status 1"));
}

TEST_F(PageSequenceTest, RefusedScriptEndsWithoutAWindow) {
    m_medium.WriteScript("[Setup]\nInfRevision=3\nTargetOS=1000F\n[Files]\n1:ONE.TXT=\n");
    SetupResult result = m_medium.Run(with(kJapanese, {"--silent"}));
    EXPECT_EQ(2, result.status);
    ASSERT_EQ(1u, result.Lines("message").size()) << result.transcript;
    EXPECT_TRUE(result.Has("ｾｯﾄｱｯﾌﾟはこのﾘﾋﾞｼﾞｮﾝの  INSTKIT.INF  には対応していません。"));
    EXPECT_TRUE(result.Lines("page").empty());
}

TEST_F(PageSequenceTest, MissingScriptNamesTheScript) {
    SetupMedium empty;
    SetupResult result = empty.Run(with(kJapanese, {"--silent"}));
    EXPECT_EQ(2, result.status);
    EXPECT_TRUE(result.Has("INSTKIT.INF が見つかりません。ｾｯﾄｱｯﾌﾟを中止します。"))
        << result.transcript;
}

class NextDiskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_medium.WriteScript(ScriptWith("DefaultDstPath=APP\nDisk=Disk #",
                                        "1:ONE.TXT=,,0,3\n2:TWO.TXT=,,0,3\n1:THREE.TXT=,,0,3",
                                        "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                        "[E2E]\nDone=REG_DWORD,1\n"));
        m_medium.WriteFile(1, "ONE.TXT", "one");
        m_medium.WriteFile(1, "THREE.TXT", "three");
        m_medium.WriteFile(2, "TWO.TXT", "two");
        m_medium.WriteFile(2, "THREE.TXT", "three");
    }
    SetupMedium m_medium;
};

TEST_F(NextDiskTest, DiskTwoIsInsertedAndTheEntryRetried) {
    SetupResult result =
        m_medium.Run(with(kJapanese, {"--silent", "--disk", "2=" + m_medium.DiskDir(2)}));
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(
        result.Has("page: E2E Setup | Disk # 2 | を次のﾊﾟｽにｾｯﾄしてください。 | ﾊﾟｽ(P): | [D:\\]"))
        << result.transcript;
    EXPECT_EQ("one", ReadHostFile(m_medium.DriveC("APP/ONE.TXT")));
    EXPECT_EQ("two", ReadHostFile(m_medium.DriveC("APP/TWO.TXT")));
    EXPECT_EQ("three", ReadHostFile(m_medium.DriveC("APP/THREE.TXT")));
}

TEST_F(NextDiskTest, AnotherDirectoryTypedOnTheNextDiskPage) {
    WriteHostFile(m_medium.DriveC("DISK2/TWO.TXT"), "two from C");
    WriteHostFile(m_medium.DriveC("DISK2/THREE.TXT"), "three from C");
    std::string answers = m_medium.WriteAnswers("\"ｺﾋﾟｰ先\" press ok\n"
                                                "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n"
                                                "\"Disk # 2\" type 1000 \"C:\\NOPE\" press ok\n"
                                                "\"指定されたﾊﾟｽは存在しません\" press ok\n"
                                                "\"Disk # 2\" type 1000 \"C:\\DISK2\" press ok\n"
                                                "\"正常に終了\" press 2\n");
    SetupResult result = m_medium.Run(with(kJapanese, {"--answers", answers}));
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("指定されたﾊﾟｽは存在しません。 -> OK (0x30)"));
    EXPECT_EQ("two from C", ReadHostFile(m_medium.DriveC("APP/TWO.TXT")));
    // The source directory stays the new one for the rest of the list.
    EXPECT_EQ("three from C", ReadHostFile(m_medium.DriveC("APP/THREE.TXT")));
}

TEST_F(NextDiskTest, CancelOnTheNextDiskPage) {
    std::string answers = m_medium.WriteAnswers("\"ｺﾋﾟｰ先\" press ok\n"
                                                "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n"
                                                "\"Disk # 2\" press cancel\n"
                                                "\"中止してもよろしいですか\" press no\n"
                                                "\"Disk # 2\" press cancel\n"
                                                "\"中止してもよろしいですか\" press yes\n"
                                                "\"を中止しました\" press 2\n");
    SetupResult result = m_medium.Run(with(kJapanese, {"--answers", answers}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_EQ("one", ReadHostFile(m_medium.DriveC("APP/ONE.TXT")));
    EXPECT_FALSE(HostFileExists(m_medium.DriveC("APP/THREE.TXT")));
    EXPECT_EQ(std::string::npos, m_medium.Registry("system.reg").find("E2E"));
}

TEST_F(NextDiskTest, ADiskNeverSuppliedEndsTheUnattendedRun) {
    SetupResult result = m_medium.Run(with(kJapanese, {"--silent"}));
    EXPECT_EQ(1, result.status);
    EXPECT_FALSE(result.Lines("loop").empty()) << result.transcript;
}

} // namespace

namespace {

// A language library found beside the program takes over every text; one that cannot give
// the main window ends the run with a message instead of leaving it without a window.
class LanguageLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT="));
        m_medium.WriteFile(1, "F.TXT", "f");
    }
    SetupMedium m_medium;
};

TEST_F(LanguageLibraryTest, ALibraryWithoutTheMainWindowEndsTheRun) {
    ASSERT_TRUE(MakeResourceDll(m_medium.DiskDir(1) + "/SETUPENU.DLL",
                                "STRINGTABLE\nBEGIN\n 3001 \"INSTKIT.INF\"\n"
                                " 57344 \"Library Title\"\nEND\n"));
    SetupResult result = m_medium.Run({"--lang", "ENU", "--silent"});
    EXPECT_EQ(1, result.status) << result.transcript;
    std::vector<std::string> messages = result.Lines("message");
    ASSERT_EQ(1u, messages.size()) << result.transcript;
    EXPECT_EQ(0u, messages[0].find("Library Title | ")) << messages[0];
    EXPECT_TRUE(result.Lines("page").empty());
}

TEST_F(LanguageLibraryTest, TheUserLanguageIsTriedBeforeThePrimaryOne) {
    // English (United Kingdom) finds SETUPENU after SETUPENG is missing.
    ASSERT_TRUE(MakeResourceDll(m_medium.DiskDir(1) + "/SETUPENU.DLL",
                                "STRINGTABLE\nBEGIN\n 3001 \"MISSING.INF\"\n"
                                " 1001 \"%s was not found.\"\n 57344 \"English Setup\"\nEND\n"));
    SetupResult result = m_medium.Run({"--lang", "ENG", "--silent"});
    EXPECT_EQ(2, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("message: English Setup | MISSING.INF was not found. -> OK"))
        << result.transcript;
}

TEST_F(LanguageLibraryTest, AFormatThatAsksForMoreThanIsPassedGivesWayToTheProgramsOwn) {
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += "%s";
    ASSERT_TRUE(MakeResourceDll(m_medium.DiskDir(1) + "/SETUPENU.DLL",
                                "STRINGTABLE\nBEGIN\n 3001 \"MISSING.INF\"\n 1001 \"" + many +
                                    "\"\n 57344 \"English Setup\"\nEND\n"));
    SetupResult result = m_medium.Run({"--lang", "ENU", "--silent"});
    EXPECT_EQ(2, result.status) << result.transcript;
    // The program's own text names the script once.
    std::vector<std::string> messages = result.Lines("message");
    ASSERT_EQ(1u, messages.size()) << result.transcript;
    EXPECT_EQ(0u, messages[0].find("English Setup | MISSING.INF ")) << messages[0];
    EXPECT_EQ(messages[0].find("MISSING.INF"), messages[0].rfind("MISSING.INF")) << messages[0];
}

} // namespace

namespace {

TEST(CopyPageTest, CancelWhileCopyingAnsweredNoThenYes) {
    SetupMedium medium;
    std::string files;
    for (int i = 0; i < 6; ++i) {
        std::string name = "F" + std::to_string(i) + ".TXT";
        files += "1:" + name + "=,,0,3\n";
        medium.WriteFile(1, name, name);
    }
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", files,
                                  "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                  "[E2E]\nDone=REG_DWORD,1\n"));
    std::string answers = medium.WriteAnswers("\"ｺﾋﾟｰ先(T)\" press ok\n"
                                              "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n"
                                              "\"をｺﾋﾟｰしています\" press cancel\n"
                                              "\"中止してもよろしいですか\" press no\n"
                                              "\"をｺﾋﾟｰしています\" press cancel\n"
                                              "\"中止してもよろしいですか\" press yes\n"
                                              "\"を中止しました\" press 2\n");
    SetupResult result = medium.Run({"--lang", "JPN", "--answers", answers});
    EXPECT_EQ(1, result.status) << result.transcript;
    // The new directory, then No and Yes to the cancel question.
    EXPECT_EQ(3u, result.Lines("message").size()) << result.transcript;
    int copied = 0;
    for (int i = 0; i < 6; ++i)
        copied += HostFileExists(medium.DriveC("APP/F" + std::to_string(i) + ".TXT")) ? 1 : 0;
    EXPECT_GE(copied, 1);
    EXPECT_LT(copied, 6);
    EXPECT_EQ(std::string::npos, medium.Registry("system.reg").find("E2E"));
}

} // namespace
