// Overwrite rules, restarts, the directories asked for and the path page's drive rules, run
// through the real program.
#include "SetupRun.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

std::vector<std::string> japanese(std::vector<std::string> more) {
    more.insert(more.begin(), {"--lang", "JPN"});
    return more;
}

// One file, installed into C:\APP (which exists), by the given flags.
class OverwriteTest : public ::testing::Test {
  protected:
    void prepare(const std::string& flags, const std::string& source, const std::string& existing,
                 long long sourceTime, long long existingTime) {
        m_medium->WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT=,," + flags,
                                         "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                         "[E2E]\nDone=REG_SZ,yes\n"));
        m_medium->WriteFile(1, "F.TXT", source);
        SetHostFileTime(m_medium->DiskDir(1) + "/F.TXT", sourceTime);
        if (!existing.empty() || existingTime != 0) {
            WriteHostFile(m_medium->DriveC("APP/F.TXT"), existing);
            SetHostFileTime(m_medium->DriveC("APP/F.TXT"), existingTime);
        } else {
            std::filesystem::create_directories(m_medium->DriveC("APP"));
        }
    }
    std::string installed() const { return ReadHostFile(m_medium->DriveC("APP/F.TXT")); }
    bool asked(const SetupResult& result) const {
        return result.Has("上書きしてもよろしいですか？");
    }

    void fresh() { m_medium = std::make_unique<SetupMedium>(); }
    std::unique_ptr<SetupMedium> m_medium = std::make_unique<SetupMedium>();
};

constexpr long long kOld = 800000000;
constexpr long long kNew = 900000000;

TEST_F(OverwriteTest, EveryModeWithANewerSource) {
    // mode, asked, replaced
    const struct {
        const char* flags;
        bool asked;
        bool replaced;
    } cases[] = {{"0,0", true, false},
                 {"0,1", false, true},
                 {"0,3", false, true},
                 {"0,4", false, false},
                 {"0,5", false, true}};
    for (const auto& c : cases) {
        fresh();
        prepare(c.flags, "new", "old", kNew, kOld);
        SetupResult result = m_medium->Run(japanese({"--silent", "--overwrite", "no"}));
        EXPECT_EQ(0, result.status) << c.flags << result.transcript;
        EXPECT_EQ(c.asked, asked(result)) << c.flags << result.transcript;
        EXPECT_EQ(c.replaced ? "new" : "old", installed()) << c.flags;
    }
}

TEST_F(OverwriteTest, EveryModeWithAnOlderSource) {
    const struct {
        const char* flags;
        bool asked;
        bool replaced;
    } cases[] = {{"0,0", true, true},   {"0,1", true, true},   {"0,3", false, true},
                 {"0,4", false, false}, {"0,5", false, false}, {"0,2", true, true},
                 {"0,6", false, false}};
    for (const auto& c : cases) {
        fresh();
        prepare(c.flags, "new", "old", kOld, kNew);
        SetupResult result = m_medium->Run(japanese({"--silent", "--overwrite", "yes"}));
        EXPECT_EQ(0, result.status) << c.flags << result.transcript;
        EXPECT_EQ(c.asked, asked(result)) << c.flags << result.transcript;
        EXPECT_EQ(c.replaced ? "new" : "old", installed()) << c.flags;
    }
}

TEST_F(OverwriteTest, EqualDatesCountAsNotNewer) {
    prepare("0,5", "new", "old", kNew, kNew);
    SetupResult result = m_medium->Run(japanese({"--silent"}));
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("old", installed());
}

TEST_F(OverwriteTest, VersionsDecideModesTwoAndSix) {
    m_medium->WriteScript(ScriptWith("DefaultDstPath=APP",
                                     "1:A.DLL=,,0,6\n1:B.DLL=,,0,2\n1:C.DLL=,,0,6\n1:D.DL_=,,0,6"));
    ASSERT_TRUE(MakeVersionDll(m_medium->DiskDir(1) + "/A.DLL", 2, 0, 0, 0));
    ASSERT_TRUE(MakeVersionDll(m_medium->DriveC("APP/A.DLL"), 1, 0, 0, 0));
    ASSERT_TRUE(MakeVersionDll(m_medium->DiskDir(1) + "/B.DLL", 1, 0, 0, 0));
    ASSERT_TRUE(MakeVersionDll(m_medium->DriveC("APP/B.DLL"), 1, 0, 0, 0));
    ASSERT_TRUE(MakeVersionDll(m_medium->DiskDir(1) + "/C.DLL", 1, 0, 0, 0));
    ASSERT_TRUE(MakeVersionDll(m_medium->DriveC("APP/C.DLL"), 1, 0, 0, 0));
    TempDir work;
    ASSERT_TRUE(MakeVersionDll(work / "D.DLL", 3, 0, 0, 0));
    ASSERT_TRUE(MakeCompressedFile(work / "D.DLL", m_medium->DiskDir(1) + "/D.DL_"));
    ASSERT_TRUE(MakeVersionDll(m_medium->DriveC("APP/D.DLL"), 2, 0, 0, 0));
    std::string keptC = ReadHostFile(m_medium->DriveC("APP/C.DLL"));

    SetupResult result = m_medium->Run(japanese({"--silent", "--overwrite", "no"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    // A: higher version replaced silently; B: equal version asked (No); C: equal kept;
    // D: compressed, expanded in the temporary directory, higher version replaced.
    EXPECT_EQ(ReadHostFile(m_medium->DiskDir(1) + "/A.DLL"),
              ReadHostFile(m_medium->DriveC("APP/A.DLL")));
    EXPECT_EQ(1u, result.Lines("dialog").size()) << result.transcript;
    EXPECT_EQ(keptC, ReadHostFile(m_medium->DriveC("APP/C.DLL")));
    EXPECT_EQ(ReadHostFile(work / "D.DLL"), ReadHostFile(m_medium->DriveC("APP/D.DLL")));
    EXPECT_FALSE(HostFileExists(m_medium->DriveC("windows/TEMP0/D.DLL")));
}

TEST_F(OverwriteTest, ACompressedDllWithADestinationNameIsComparedByItsVersion) {
    // An installed 5.0 dated 2000 and an older 1.0 in a compressed file dated 2010, under a
    // destination name: the versions decide, not the dates.
    m_medium->WriteScript(
        ScriptWith("DefaultDstPath=APP", "1:X.DL_=X.DLL,<SYS>,0,6\n1:Y.DL_=Y.DLL,<SYS>,0,2"));
    TempDir work;
    for (const char* name : {"X", "Y"}) {
        std::string dll = std::string(name) + ".DLL";
        std::string installed = "windows/system32/" + dll;
        ASSERT_TRUE(MakeVersionDll(work / dll, 1, 0, 0, 0));
        ASSERT_TRUE(MakeCompressedFile(work / dll, m_medium->DiskDir(1) + "/" + name + ".DL_"));
        SetHostFileTime(m_medium->DiskDir(1) + "/" + name + ".DL_", 1262304000);
        ASSERT_TRUE(MakeVersionDll(m_medium->DriveC(installed), 5, 0, 0, 0));
        SetHostFileTime(m_medium->DriveC(installed), 946684800);
    }
    std::string fiveX = ReadHostFile(m_medium->DriveC("windows/system32/X.DLL"));
    std::string fiveY = ReadHostFile(m_medium->DriveC("windows/system32/Y.DLL"));

    SetupResult result = m_medium->Run(japanese({"--silent", "--overwrite", "no"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    // Mode 6 keeps the higher version; mode 2 puts the question (answered No).
    EXPECT_TRUE(fiveX == ReadHostFile(m_medium->DriveC("windows/system32/X.DLL")));
    EXPECT_TRUE(fiveY == ReadHostFile(m_medium->DriveC("windows/system32/Y.DLL")));
    EXPECT_EQ(1u, result.Lines("dialog").size()) << result.transcript;
    EXPECT_FALSE(HostFileExists(m_medium->DriveC("windows/TEMP0/X.DLL")));
}

TEST_F(OverwriteTest, TheQuestionShowsBothFiles) {
    prepare("0,0", "new", "old", kNew, kOld);
    SetupResult result = m_medium->Run(japanese({"--silent", "--overwrite", "yes"}));
    ASSERT_EQ(1u, result.Lines("dialog").size()) << result.transcript;
    std::string dialog = result.Lines("dialog")[0];
    EXPECT_NE(std::string::npos, dialog.find("F.TXT | はｺﾋﾟｰ先のﾊﾟｽにすでに存在します。"))
        << dialog;
    EXPECT_NE(std::string::npos, dialog.find("C:\\APP\\")) << dialog;
    EXPECT_NE(std::string::npos, dialog.find("D:\\")) << dialog;
    EXPECT_EQ("new", installed());
}

TEST_F(OverwriteTest, CancelInTheOverwriteQuestionAbandonsBeforeTheRegistry) {
    prepare("0,0", "new", "old", kNew, kOld);
    std::string answers = m_medium->WriteAnswers("\"上書き\" press cancel\n"
                                                 "\"を中止しました\" press 2\n");
    SetupResult result = m_medium->Run(japanese({"--silent", "--answers", answers}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_EQ("old", installed());
    EXPECT_EQ(std::string::npos, m_medium->Registry("system.reg").find("E2E"));
}

TEST_F(OverwriteTest, UpdateOnlyInstallsOnlyOverExistingFiles) {
    m_medium->WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT=,,0,10003\n1:G.TXT=,,0,10003"));
    m_medium->WriteFile(1, "F.TXT", "new");
    m_medium->WriteFile(1, "G.TXT", "new");
    WriteHostFile(m_medium->DriveC("APP/F.TXT"), "old");
    SetupResult result = m_medium->Run(japanese({"--silent"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_EQ("new", installed());
    EXPECT_FALSE(HostFileExists(m_medium->DriveC("APP/G.TXT")));
}

TEST_F(OverwriteTest, ACopyErrorEndsTheInstallationOnce) {
    prepare("0,3", "new", "old", kNew, kOld);
    std::filesystem::permissions(m_medium->DriveC("APP/F.TXT"),
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::group_read);
    SetupResult result = m_medium->Run(japanese({"--silent"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    std::vector<std::string> messages = result.Lines("message");
    ASSERT_EQ(2u, messages.size()) << result.transcript;
    EXPECT_NE(std::string::npos, messages[0].find("ｺﾋﾟｰ先ファイルのｵｰﾌﾟﾝ時にｴﾗｰが発生しました。"));
    EXPECT_NE(std::string::npos, messages[1].find("ｾｯﾄｱｯﾌﾟを終了します。"));
    EXPECT_EQ("old", installed());
    EXPECT_EQ(std::string::npos, m_medium->Registry("system.reg").find("E2E"));
}

class RestartTest : public ::testing::Test {
  protected:
    SetupResult run(int mode, const std::string& os, const std::string& answers) {
        m_medium->WriteScript(
            ScriptWith("DefaultDstPath=APP\nRebootOrRestart=" + std::to_string(mode), "1:F.TXT="));
        m_medium->WriteFile(1, "F.TXT", "f");
        std::vector<std::string> arguments = japanese({"--silent", "--os", os});
        if (!answers.empty()) {
            arguments.push_back("--answers");
            arguments.push_back(m_medium->WriteAnswers(answers));
        }
        return m_medium->Run(arguments);
    }
    void fresh() { m_medium = std::make_unique<SetupMedium>(); }
    std::unique_ptr<SetupMedium> m_medium = std::make_unique<SetupMedium>();
};

TEST_F(RestartTest, NoRestartEndsWithoutAMessage) {
    SetupResult result = run(0, "nt4", "\"正常に終了\" press default\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_FALSE(result.Has("再起動")) << result.transcript;
}

TEST_F(RestartTest, RestartButtonsRecordTheRequest) {
    EXPECT_EQ(3, run(1, "win95", "").status);
    fresh();
    EXPECT_EQ(4, run(1, "nt4", "").status);
    fresh();
    SetupResult computer = run(2, "win95", "");
    EXPECT_EQ(4, computer.status) << computer.transcript;
    EXPECT_TRUE(computer.Has("ｺﾝﾋﾟｭｰﾀ再起動(R)"));
}

TEST_F(RestartTest, ExitButtonRemindsOfTheRestart) {
    // On NT the restart of type 1 is the computer's too, so the computer's restart is due.
    SetupResult windows = run(1, "nt4", "\"正常に終了\" press 2\n");
    EXPECT_EQ(4, windows.status) << windows.transcript;
    EXPECT_TRUE(windows.Has("設定を有効にするために、Windowsを再起動してください。 -> OK (0x40)"))
        << windows.transcript;
    fresh();
    SetupResult computer = run(2, "nt4", "\"正常に終了\" press 2\n");
    EXPECT_EQ(4, computer.status);
    EXPECT_TRUE(computer.Has("設定を有効にするために、ｺﾝﾋﾟｭｰﾀを再起動してください。 -> OK (0x40)"));
}

TEST_F(RestartTest, AFailedRestartIsReported) {
    setenv("VELTRIX_SHUTDOWN_FAIL", "exit", 1);
    SetupResult result = run(1, "nt4", "");
    unsetenv("VELTRIX_SHUTDOWN_FAIL");
    EXPECT_TRUE(result.Has("ｺﾝﾋﾟｭｰﾀの再起動時にｴﾗｰが発生しました。")) << result.transcript;
}

TEST_F(RestartTest, AFailedRestartEndsWithTheRestartStillDue) {
    // type, system, failing call, status
    const struct {
        int type;
        const char* os;
        const char* failure;
        int status;
    } cases[] = {{1, "nt4", "exit", 4},
                 {1, "nt4", "privilege", 4},
                 {2, "nt4", "exit", 4},
                 {1, "win95", "exit", 3},
                 {2, "win95", "exit", 4}};
    for (const auto& c : cases) {
        fresh();
        setenv("VELTRIX_SHUTDOWN_FAIL", c.failure, 1);
        SetupResult result = run(c.type, c.os, "");
        unsetenv("VELTRIX_SHUTDOWN_FAIL");
        EXPECT_TRUE(result.Has("再起動時にｴﾗｰが発生しました。")) << c.os << result.transcript;
        EXPECT_EQ(c.status, result.status) << c.type << " " << c.os << " " << c.failure;
    }
}

class PromptTest : public ::testing::Test {
  protected:
    void script(const std::string& prompts) {
        m_medium->WriteScript(ScriptWith("DefaultDstPath=APP\n" + prompts, "1:F.TXT="));
        m_medium->WriteFile(1, "F.TXT", "f");
    }
    void fresh() { m_medium = std::make_unique<SetupMedium>(); }
    std::unique_ptr<SetupMedium> m_medium = std::make_unique<SetupMedium>();
};

TEST_F(PromptTest, OnlyTheDestinationByDefault) {
    script("");
    SetupResult result = m_medium->Run(japanese({"--silent", "--dest", "C:\\ELSEWHERE"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    ASSERT_FALSE(result.Lines("page").empty());
    EXPECT_EQ(std::string::npos, result.Lines("page")[0].find("ｺﾋﾟｰ元")) << result.transcript;
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("ELSEWHERE/F.TXT")));
}

TEST_F(PromptTest, OnlyTheSource) {
    script("PromptSrcPath=1\nPromptDstPath=0");
    WriteHostFile(m_medium->DriveC("OTHER/F.TXT"), "from C");
    SetupResult result = m_medium->Run(japanese({"--silent", "--src", "C:\\OTHER"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    std::string page = result.Lines("page")[0];
    EXPECT_NE(std::string::npos, page.find("ｺﾋﾟｰ元(F)")) << page;
    EXPECT_EQ(std::string::npos, page.find("ｺﾋﾟｰ先(T)")) << page;
    // The destination is the script's default even though it was never asked for.
    EXPECT_EQ("from C", ReadHostFile(m_medium->DriveC("APP/F.TXT")));
}

TEST_F(PromptTest, NeitherDirectoryAsked) {
    script("PromptSrcPath=0\nPromptDstPath=0");
    std::filesystem::create_directories(m_medium->DriveC("APP"));
    SetupResult result = m_medium->Run(japanese({"--silent"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    std::string page = result.Lines("page")[0];
    EXPECT_EQ(std::string::npos, page.find("[")) << page;
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("APP/F.TXT")));
}

TEST_F(PromptTest, SourceTypedWithOrWithoutABackslash) {
    script("PromptSrcPath=1");
    WriteHostFile(m_medium->DriveC("SRC/F.TXT"), "src");
    SetupResult result =
        m_medium->Run(japanese({"--silent", "--src", "C:\\SRC\\", "--dest", "C:\\"}));
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_EQ("src", ReadHostFile(m_medium->DriveC("F.TXT")));
}

class DriveRuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_medium->WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT="));
        m_medium->WriteFile(1, "F.TXT", "f");
        // Drives of every type, as a prefix that already has them.
        std::filesystem::create_directories(m_medium->Prefix() + "/dosdevices");
        std::string types;
        const char* const drives[][2] = {{"e", "removable"},
                                         {"f", "remote"},
                                         {"g", "cdrom"},
                                         {"h", "unknown"},
                                         {"i", "ramdisk"}};
        for (const auto& drive : drives) {
            std::string dir = m_drives / drive[0];
            std::filesystem::create_directories(dir);
            std::filesystem::create_directory_symlink(dir, m_medium->Prefix() + "/dosdevices/" +
                                                               drive[0] + ":");
            types += std::string(drive[0]) + ": " + drive[1] + "\n";
        }
        WriteHostFile(m_medium->Prefix() + "/veltrix-drives", types);
    }

    SetupResult run(const std::string& answers) {
        return m_medium->Run(
            japanese({"--answers", m_medium->WriteAnswers(answers + "always * press default\n")}));
    }

    TempDir m_drives;
    void fresh() { m_medium = std::make_unique<SetupMedium>(); }
    std::unique_ptr<SetupMedium> m_medium = std::make_unique<SetupMedium>();
};

TEST_F(DriveRuleTest, RemovableAndRemoteDrivesAreConfirmed) {
    SetupResult result = run("\"ｺﾋﾟｰ先\" type 1001 \"E:\\APP\" press ok\n"
                             "\"ﾘﾑｰﾊﾞﾌﾞﾙﾄﾞﾗｲﾌﾞ\" press no\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"F:\\\" press ok\n"
                             "\"ﾘﾓｰﾄﾄﾞﾗｲﾌﾞ\" press yes\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("ﾘﾑｰﾊﾞﾌﾞﾙﾄﾞﾗｲﾌﾞ上にｾｯﾄｱｯﾌﾟしてもよろしいですか？ -> No"));
    EXPECT_FALSE(std::filesystem::exists(m_drives / "e/APP"));
    EXPECT_EQ("f", ReadHostFile(m_drives / "f/F.TXT"));
}

TEST_F(DriveRuleTest, CdRomUnknownAndMissingDrivesAreRefused) {
    SetupResult result = run("\"ｺﾋﾟｰ先\" type 1001 \"G:\\APP\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"H:\\APP\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"I:\\APP\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"\\\\SERVER\\SHARE\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"Q:\\APP\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"C:\\APP\" press ok\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    std::vector<std::string> messages = result.Lines("message");
    ASSERT_GE(messages.size(), 5u) << result.transcript;
    EXPECT_NE(std::string::npos, messages[0].find("CD-ROMﾄﾞﾗｲﾌﾞ上にはｾｯﾄｱｯﾌﾟできません。"));
    for (int i = 1; i <= 4; ++i)
        EXPECT_NE(std::string::npos, messages[i].find("ﾄﾞﾗｲﾌﾞ名の記述がないか、間違っています。"))
            << messages[i];
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("APP/F.TXT")));
}

TEST_F(DriveRuleTest, OnlyTheLastDirectoryIsCreated) {
    SetupResult result = run("\"ｺﾋﾟｰ先\" type 1001 \"C:\\A\\B\" press ok\n"
                             "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n"
                             "\"指定されたﾊﾟｽ名は間違っています\" press ok\n"
                             "\"ｺﾋﾟｰ先\" type 1001 \"C:\\A\" press ok\n"
                             "\"新しいﾃﾞｨﾚｸﾄﾘ\" press yes\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Has("指定されたﾊﾟｽ名は間違っています。 -> OK"));
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("A/F.TXT")));
}

TEST_F(DriveRuleTest, ABareDriveStandsForItsRoot) {
    SetupResult result = run("\"ｺﾋﾟｰ先\" type 1001 \"C:\" press ok\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Lines("message").empty()) << result.transcript;
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("F.TXT")));

    // The source field and the next-disk page: the directory kept is the root, which the
    // next-disk page then proposes.
    fresh();
    m_medium->WriteScript(ScriptWith("DefaultDstPath=APP\nPromptSrcPath=1",
                                     "1:F.TXT=\n2:G.TXT=\n3:H.TXT=\n4:I.TXT="));
    WriteHostFile(m_medium->DriveC("F.TXT"), "f");
    WriteHostFile(m_medium->DriveC("DISK2/G.TXT"), "g");
    WriteHostFile(m_medium->DriveC("H.TXT"), "h");
    WriteHostFile(m_medium->DriveC("DISK4/I.TXT"), "i");
    result = m_medium->Run(
        japanese({"--silent", "--src", "C:", "--answers",
                  m_medium->WriteAnswers("\"# 2\" type 1000 \"C:\\DISK2\" press ok\n"
                                         "\"# 3\" type 1000 \"C:\" press ok\n"
                                         "\"# 4\" type 1000 \"C:\\DISK4\" press ok\n")}));
    EXPECT_EQ(0, result.status) << result.transcript;
    std::vector<std::string> pages = result.Lines("page");
    int proposedRoot = 0;
    for (const std::string& page : pages)
        proposedRoot += page.find("[C:\\]") != std::string::npos;
    EXPECT_EQ(2, proposedRoot) << result.transcript; // the pages for disks 2 and 4
    for (const char* name : {"F", "G", "H", "I"})
        EXPECT_TRUE(HostFileExists(m_medium->DriveC(std::string("APP/") + name + ".TXT"))) << name;
}

TEST_F(DriveRuleTest, AnExistingRootIsAcceptedWithoutAQuestion) {
    SetupResult result = run("\"ｺﾋﾟｰ先\" type 1001 \"C:\\\" press ok\n");
    EXPECT_EQ(0, result.status) << result.transcript;
    EXPECT_TRUE(result.Lines("message").empty()) << result.transcript;
    EXPECT_EQ("f", ReadHostFile(m_medium->DriveC("F.TXT")));
}

} // namespace
