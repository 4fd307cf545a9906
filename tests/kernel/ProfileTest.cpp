// The profile reader, on real files of an emulated machine.
#include "TempDir.h"

#include <host/Machine.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kIni[] = "D:\\TEST.INI";

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override { Start("ENU"); }
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
    }

    void Start(const std::string& language) {
        if (host::MachineStarted())
            host::StopMachine();
        ASSERT_TRUE(WriteHostFile(MediaDir() + "/SETUP.EXE", "MZ"));
        host::MachineOptions options;
        options.prefix = m_temp / "prefix";
        options.mediaDir = MediaDir();
        options.language = language;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }

    std::string MediaDir() const { return m_temp / "media"; }
    void Write(const std::string& text, const std::string& name = "TEST.INI") {
        ASSERT_TRUE(WriteHostFile(MediaDir() + "/" + name, text));
    }

    std::string Get(LPCSTR section, LPCSTR key, LPCSTR defaultText = "!default", DWORD size = 256,
                    LPCSTR file = kIni) {
        std::vector<char> buffer(size + 16, '#');
        DWORD length =
            GetPrivateProfileStringA(section, key, defaultText, buffer.data(), size, file);
        EXPECT_LT(length, size);
        EXPECT_EQ('\0', buffer[length]);
        EXPECT_EQ('#', buffer[size]) << "written past the buffer";
        return std::string(buffer.data(), length);
    }

    // The list a null key or section gives, as separate names; checks the final two zeros and
    // the result: the list's length, or size - 2 for a list that was cut (cut set).
    std::vector<std::string> List(LPCSTR section, DWORD size = 4096, LPCSTR defaultText = "",
                                  bool cut = false) {
        std::vector<char> buffer(size + 16, '#');
        DWORD length =
            GetPrivateProfileStringA(section, nullptr, defaultText, buffer.data(), size, kIni);
        EXPECT_EQ('#', buffer[size]) << "written past the buffer";
        std::vector<std::string> names;
        size_t at = 0;
        while (at < size && buffer[at] != '\0') {
            names.push_back(buffer.data() + at);
            at += names.back().size() + 1;
        }
        EXPECT_LT(at, size);
        if (size >= 2) {
            EXPECT_EQ('\0', buffer[at == 0 ? 1 : at]);
        }
        if (cut) {
            EXPECT_EQ(size - 2, length);
        } else if (!*defaultText) {
            EXPECT_EQ(at, static_cast<size_t>(length));
        }
        return names;
    }

    int Int(LPCSTR section, LPCSTR key, int defaultValue = -77) {
        return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, kIni));
    }

    TempDir m_temp;
};

using Names = std::vector<std::string>;

} // namespace

// 1. Sections run from their bracketed name to the next; names ignore ASCII case.
TEST_F(ProfileTest, SectionsAndCaseInsensitiveNames) {
    Write("[One]\r\nKey=1\r\n[Two]\r\nKey=2\r\nOther=x\r\n");
    EXPECT_EQ("1", Get("one", "KEY"));
    EXPECT_EQ("2", Get("TWO", "key"));
    EXPECT_EQ("!default", Get("One", "Other"));
    EXPECT_EQ("!default", Get("Three", "Key"));
}

// 2. Blanks around the name and the value belong to neither.
TEST_F(ProfileTest, BlanksAroundNamesAndValues) {
    Write("[ S ]\r\n  Name  =  some value \t\r\n\tTabbed\t=\tv\r\n");
    EXPECT_EQ("some value", Get("S", "Name"));
    EXPECT_EQ("v", Get("s", "tabbed"));
    EXPECT_EQ((Names{"Name", "Tabbed"}), List("S"));
}

// 3. Values are cut to size - 1 bytes; missing things give the default.
TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
    Write("[S]\r\nK=abcdef\r\n");
    EXPECT_EQ("abc", Get("S", "K", "", 4));
    EXPECT_EQ("abcdef", Get("S", "K", "", 7));
    EXPECT_EQ("", Get("S", "K", "", 1));
    EXPECT_EQ("dflt", Get("S", "Missing", "dflt"));
    EXPECT_EQ("df", Get("S", "Missing", "dflt", 3));
    EXPECT_EQ("", Get("S", "Missing", nullptr));
    EXPECT_EQ("x", Get("Nope", "K", "x"));
}

TEST_F(ProfileTest, AZeroSizedBufferIsLeftAlone) {
    Write("[S]\r\nK=abc\r\n");
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(0u, GetPrivateProfileStringA("S", "K", "", buffer, 0, kIni));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(0u, GetPrivateProfileStringA("S", "K", "", nullptr, 10, kIni));
}

// 4. A null key lists the section's keys in file order, each with its zero, plus a zero.
TEST_F(ProfileTest, KeyListInFileOrder) {
    Write("[S]\r\nb=1\r\na=2\r\nC=3\r\n");
    EXPECT_EQ((Names{"b", "a", "C"}), List("S"));
    EXPECT_TRUE(List("Missing").empty());
    EXPECT_EQ((Names{"dflt"}), List("Missing", 4096, "dflt"));
}

TEST_F(ProfileTest, AKeyListThatDoesNotFitKeepsWholeNamesAndTwoZeros) {
    Write("[S]\r\nfirst=1\r\nsecond=2\r\nthird=3\r\n");
    // "first\0second\0" is 13 bytes; with the final zero 14.
    EXPECT_EQ((Names{"first", "second"}), List("S", 14, "", true));
    EXPECT_EQ((Names{"first", "second"}), List("S", 19, "", true));
    EXPECT_EQ((Names{"first", "second", "third"}), List("S", 20));
    EXPECT_EQ((Names{"first"}), List("S", 8, "", true));
    EXPECT_EQ((Names{"first"}), List("S", 7, "", true));
    EXPECT_TRUE(List("S", 6, "", true).empty());
    EXPECT_TRUE(List("S", 2, "", true).empty());
    char one[2] = {'#', '#'};
    GetPrivateProfileStringA("S", nullptr, "", one, 1, kIni);
    EXPECT_EQ('\0', one[0]);
    EXPECT_EQ('#', one[1]);
}

TEST_F(ProfileTest, ANullSectionListsTheSections) {
    Write("[A]\r\nx=1\r\n[B]\r\n[a]\r\ny=2\r\n");
    EXPECT_EQ((Names{"A", "B"}), List(nullptr));
}

// 5. Integers: the decimal number at the start of the value.
TEST_F(ProfileTest, Integers) {
    Write("[S]\r\nPlain=12\r\nTail=12abc\r\nNeg=-5\r\nWord=abc\r\nEmpty=\r\nHex=0x10\r\n"
          "Spaced=  7  \r\nHuge=99999999999999999999\r\nMax=4294967295\r\nPlus=+4\r\n"
          "Quoted=\"9\"\r\n");
    EXPECT_EQ(12, Int("S", "Plain"));
    EXPECT_EQ(12, Int("S", "Tail"));
    EXPECT_EQ(-5, Int("S", "Neg"));
    EXPECT_EQ(0, Int("S", "Word"));
    EXPECT_EQ(0, Int("S", "Empty"));
    EXPECT_EQ(0, Int("S", "Hex"));
    EXPECT_EQ(7, Int("S", "Spaced"));
    EXPECT_EQ(-1, Int("S", "Max"));
    EXPECT_EQ(4, Int("S", "Plus"));
    EXPECT_EQ(9, Int("S", "Quoted"));
    EXPECT_EQ(-77, Int("S", "Missing"));
    EXPECT_EQ(-77, Int("Missing", "Plain"));
    EXPECT_EQ(-77, Int("S", nullptr));
    Int("S", "Huge"); // any number, but no failure
}

// 6. A repeated key is listed twice and read as its first occurrence.
TEST_F(ProfileTest, RepeatedKeys) {
    Write("[S]\r\nK=first\r\nk=second\r\nOther=o\r\nK=third\r\n");
    EXPECT_EQ((Names{"K", "k", "Other", "K"}), List("S"));
    EXPECT_EQ("first", Get("S", "k"));
    EXPECT_EQ("first", Get("S", "K"));
}

TEST_F(ProfileTest, ARepeatedSectionContinuesTheFirst) {
    Write("[S]\r\nA=1\r\n[T]\r\nB=2\r\n[s]\r\nA=3\r\nC=4\r\n");
    EXPECT_EQ((Names{"A", "A", "C"}), List("S"));
    EXPECT_EQ("1", Get("S", "A"));
    EXPECT_EQ("4", Get("S", "C"));
}

TEST_F(ProfileTest, CommentsStrayLinesAndLinesBeforeTheFirstSection) {
    Write("Early=1\r\n; comment\r\n[S]\r\n; K=commented\r\n  ;Also=comment\r\nno equals sign\r\n"
          "=nameless\r\nK=v;not a comment\r\n\r\n   \r\n");
    EXPECT_EQ((Names{"K"}), List("S"));
    EXPECT_EQ("v;not a comment", Get("S", "K"));
    EXPECT_EQ("!default", Get("S", "; K"));
    EXPECT_TRUE(List(nullptr) == Names{"S"});
}

TEST_F(ProfileTest, QuotedValuesLoseTheirQuotes) {
    Write("[S]\r\nQ=\"  spaced  \"\r\nE=\"\"\r\nOne=\"\r\nInner=a\"b\"\r\nHalf=\"abc\r\n");
    EXPECT_EQ("  spaced  ", Get("S", "Q"));
    EXPECT_EQ("", Get("S", "E"));
    EXPECT_EQ("\"", Get("S", "One"));
    EXPECT_EQ("a\"b\"", Get("S", "Inner"));
    EXPECT_EQ("\"abc", Get("S", "Half"));
}

TEST_F(ProfileTest, LineEndings) {
    Write("[A]\nK=lf\n[B]\rK=cr\r[C]\r\nK=crlf\r\n[D]\nK=last");
    EXPECT_EQ("lf", Get("A", "K"));
    EXPECT_EQ("cr", Get("B", "K"));
    EXPECT_EQ("crlf", Get("C", "K"));
    EXPECT_EQ("last", Get("D", "K"));
}

TEST_F(ProfileTest, AByteOrderMarkIsSkipped) {
    Write("\xEF\xBB\xBF[S]\r\nK=v\r\n");
    EXPECT_EQ("v", Get("S", "K"));
}

TEST_F(ProfileTest, ANulByteEndsItsLine) {
    static const char kText[] = "[S]\r\nK=ab\0cd\r\nL=after\r\n\0[T]\r\nM=m\r\n";
    Write(std::string(kText, sizeof kText - 1));
    EXPECT_EQ("ab", Get("S", "K"));
    EXPECT_EQ("after", Get("S", "L"));
    EXPECT_EQ("!default", Get("T", "M")); // that section line began with a NUL
    EXPECT_EQ((Names{"K", "L", "M"}), List("S"));
}

TEST_F(ProfileTest, BinaryFilesAreReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>((i * 2654435761u) >> 24);
    Write(garbage + "\n[S]\nK=found\n");
    EXPECT_EQ("found", Get("S", "K"));
    List(nullptr, 65536);
}

TEST_F(ProfileTest, VeryLongLines) {
    std::string value(2000000, 'v');
    std::string name(100000, 'n');
    Write("[S]\r\nK=" + value + "\r\n" + name + "=x\r\nL=short");
    EXPECT_EQ(std::string(255, 'v'), Get("S", "K"));
    EXPECT_EQ("short", Get("S", "L"));
    EXPECT_EQ("x", Get("S", name.c_str()));
    EXPECT_EQ((Names{"K"}), List("S", 1000, "", true)); // the long name does not fit
    EXPECT_EQ((Names{"K", name, "L"}), List("S", 200000));
}

TEST_F(ProfileTest, MissingFile) {
    EXPECT_EQ("dflt", Get("S", "K", "dflt", 256, "D:\\NONE.INI"));
    EXPECT_EQ(5, static_cast<int>(GetPrivateProfileIntA("S", "K", 5, "D:\\NONE.INI")));
    EXPECT_EQ("dflt", Get("S", "K", "dflt", 256, "Q:\\NONE.INI"));
    EXPECT_EQ("dflt", Get("S", "K", "dflt", 256, ""));
    EXPECT_EQ("dflt", Get("S", "K", "dflt", 256, nullptr));
}

TEST_F(ProfileTest, WindowsPathsIgnoreCase) {
    Write("[S]\r\nK=v\r\n");
    EXPECT_EQ("v", Get("S", "K", "", 256, "d:\\test.ini"));
    EXPECT_EQ("v", Get("S", "K", "", 256, "D:\\.\\TEST.INI"));
}

TEST_F(ProfileTest, AFileNameAloneIsLookedForInTheWindowsDirectory) {
    char windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    std::string path = std::string(windowsDir) + "\\VELTRIX.INI";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const char text[] = "[S]\r\nK=windows\r\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text, sizeof text - 1, &written, nullptr));
    CloseHandle(file);
    EXPECT_EQ("windows", Get("S", "K", "", 256, "VELTRIX.INI"));
}

TEST_F(ProfileTest, AChangedFileIsReadAgain) {
    Write("[S]\r\nK=old\r\n");
    EXPECT_EQ("old", Get("S", "K"));
    Write("[S]\r\nK=longer\r\n");
    EXPECT_EQ("longer", Get("S", "K"));

    // Same size, later time of last write.
    Write("[S]\r\nK=same11\r\n");
    EXPECT_EQ("same11", Get("S", "K"));
    Write("[S]\r\nK=same22\r\n");
    struct timespec times[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, (MediaDir() + "/TEST.INI").c_str(), times, 0));
    EXPECT_EQ("same22", Get("S", "K"));

    ASSERT_EQ(0, std::remove((MediaDir() + "/TEST.INI").c_str()));
    EXPECT_EQ("gone", Get("S", "K", "gone"));
}

TEST_F(ProfileTest, ManyFilesAtOnce) {
    for (int i = 0; i < 20; ++i)
        Write("[S]\r\nK=" + std::to_string(i) + "\r\n", "F" + std::to_string(i) + ".INI");
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 20; ++i) {
            std::string file = "D:\\F" + std::to_string(i) + ".INI";
            EXPECT_EQ(std::to_string(i), Get("S", "K", "", 256, file.c_str()));
        }
    }
}

TEST_F(ProfileTest, DoubleByteNamesUnderCodePage932) {
    Start("JPN");
    ASSERT_EQ(932u, GetACP());
    // 0x83 0x5D has the code of ']' as its second byte; 0x82 0x61 has that of 'a'.
    Write("[SEC\x83\x5D]\r\nX\x82\x61=wide\r\n[Z\x83\x5D\r\nK=v\r\n");
    EXPECT_EQ("wide", Get("sec\x83\x5D", "x\x82\x61"));
    EXPECT_EQ("!default", Get("SEC\x83\x5D", "X\x82\x41"));
    // The trail byte closes no section: K stays in the section before.
    EXPECT_EQ("v", Get("SEC\x83\x5D", "K"));
    EXPECT_EQ((Names{"SEC\x83\x5D"}), List(nullptr));
    // A cut never splits a double-byte character.
    Write("[S]\r\nK=ab\x82\x61\x82\x62\r\n");
    EXPECT_EQ("ab\x82\x61", Get("S", "K", "", 6));
    EXPECT_EQ("ab", Get("S", "K", "", 4));
}

TEST_F(ProfileTest, SectionsWithCommasAndBrackets) {
    Write("[APPKEY,WINNT40]\r\nV=1\r\n[APPKEY]\r\nV=2\r\n[A]B] "
          "trailing\r\nV=3\r\n[unclosed\r\nV=4\r\n");
    EXPECT_EQ("1", Get("appkey,winnt40", "V"));
    EXPECT_EQ("2", Get("APPKEY", "V"));
    EXPECT_EQ("3", Get("A]B", "V"));
    EXPECT_EQ((Names{"V", "V"}), List("A]B")); // "[unclosed" is no section line
}
