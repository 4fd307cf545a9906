#include "VersionMachine.h"

#include "engine/FileCompare.h"

#include <windows.h>

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <tuple>

namespace {

// Sets the host modification time of a file, in seconds since the epoch.
void SetHostTime(const std::string& hostPath, time_t seconds) {
    timespec times[2];
    times[0].tv_sec = seconds;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ASSERT_EQ(0, utimensat(AT_FDCWD, hostPath.c_str(), times, 0)) << hostPath;
}

} // namespace

class CompareVersionsTest : public VersionMachineTest {
  protected:
    // C:\<name> holding a PE32 DLL with the version a.b.c.d; DLLs are built once per version.
    std::string Dll(const std::string& name, unsigned a, unsigned b, unsigned c, unsigned d) {
        auto key = std::make_tuple(a, b, c, d);
        auto found = m_images.find(key);
        if (found == m_images.end())
            found = m_images.emplace(key, VersionDll(a, b, c, d)).first;
        return PutFile(name, found->second);
    }

    std::map<std::tuple<unsigned, unsigned, unsigned, unsigned>, std::string> m_images;
};

TEST_F(CompareVersionsTest, ComparesTheFourNumbersFromTheMostSignificant) {
    struct Case {
        unsigned source[4];
        unsigned destination[4];
        int expected;
    };
    const Case cases[] = {
        {{4, 0, 1381, 1}, {4, 0, 950, 0}, 4},
        {{4, 0, 950, 0}, {4, 0, 1381, 1}, 3},
        {{4, 0, 1381, 1}, {4, 0, 1381, 1}, 3},
        {{5, 0, 0, 0}, {4, 99, 9999, 9999}, 4},
        {{4, 99, 9999, 9999}, {5, 0, 0, 0}, 3},
        {{4, 1, 0, 0}, {4, 0, 65535, 65535}, 4},
        {{4, 0, 65535, 65535}, {4, 1, 0, 0}, 3},
        {{1, 2, 4, 0}, {1, 2, 3, 9}, 4},
        {{1, 2, 3, 5}, {1, 2, 3, 4}, 4},
        {{1, 2, 3, 4}, {1, 2, 3, 5}, 3},
        // Numbers above 32767 compare unsigned.
        {{4, 0, 40000, 0}, {4, 0, 30000, 0}, 4},
        {{4, 0, 0, 65535}, {4, 0, 0, 1}, 4},
    };
    for (const Case& c : cases) {
        std::string source = Dll("SRC/A.DLL", c.source[0], c.source[1], c.source[2], c.source[3]);
        std::string destination = Dll("DST/A.DLL", c.destination[0], c.destination[1],
                                      c.destination[2], c.destination[3]);
        EXPECT_EQ(c.expected, CompareVersions(source.c_str(), destination.c_str()))
            << c.source[0] << "." << c.source[1] << "." << c.source[2] << "." << c.source[3]
            << " against " << c.destination[0] << "." << c.destination[1] << "." << c.destination[2]
            << "." << c.destination[3];
    }
}

TEST_F(CompareVersionsTest, NeAndPe32PlusFilesTakePart) {
    std::string ne = PutFile("OLD.DLL", VersionNe(3, 10, 0, 103));
    std::string pe = Dll("NEW.DLL", 4, 0, 0, 0);
    EXPECT_EQ(4, CompareVersions(pe.c_str(), ne.c_str()));
    EXPECT_EQ(3, CompareVersions(ne.c_str(), pe.c_str()));
    if (HaveDllTools(true)) {
        std::string pe64 = PutFile("NEW64.DLL", VersionDll(4, 0, 0, 1, true));
        EXPECT_EQ(4, CompareVersions(pe64.c_str(), pe.c_str()));
        EXPECT_EQ(3, CompareVersions(pe.c_str(), pe64.c_str()));
    }
}

TEST_F(CompareVersionsTest, DestinationWithoutVersionGivesTwo) {
    std::string versioned = Dll("SRC.DLL", 9, 0, 0, 0);
    std::string text = PutFile("TEXT.TXT", "no version here\r\n");
    const std::string destinations[] = {
        PutFile("DSTTEXT.DLL", "no version here either\r\n"),
        PutFile("DSTNE.DLL", VersionNe(0, 0, 0, 0, false)),
        PutFile("DSTEMPTY.DLL", ""),
        PutFile("DSTSTR.DLL", DllFromScript("STRINGTABLE\nBEGIN\n 1 \"x\"\nEND\n")),
    };
    for (const std::string& destination : destinations) {
        EXPECT_EQ(2, CompareVersions(versioned.c_str(), destination.c_str())) << destination;
        EXPECT_EQ(2, CompareVersions(text.c_str(), destination.c_str())) << destination;
        EXPECT_EQ(2, CompareVersions(Windows("NOSUCH.DLL").c_str(), destination.c_str()))
            << destination;
    }
}

TEST_F(CompareVersionsTest, SourceWithoutVersionGivesOne) {
    std::string destination = Dll("DST.DLL", 1, 0, 0, 0);
    std::string text = PutFile("SRC.TXT", "text\r\n");
    std::string ne = PutFile("SRCNE.DLL", VersionNe(0, 0, 0, 0, false));
    EXPECT_EQ(1, CompareVersions(text.c_str(), destination.c_str()));
    EXPECT_EQ(1, CompareVersions(ne.c_str(), destination.c_str()));
    EXPECT_EQ(1, CompareVersions(Windows("NOSUCH.DLL").c_str(), destination.c_str()));
}

TEST_F(CompareVersionsTest, CompressedSourceGivesOne) {
    if (!HaveMscompress())
        GTEST_SKIP() << "mscompress is not installed";
    std::string destination = Dll("DST.DLL", 1, 0, 0, 0);
    Dll("SRC/NEW.DLL", 2, 0, 0, 0);
    ASSERT_TRUE(Mscompress(HostC("SRC/NEW.DLL")));
    ASSERT_TRUE(HostFileExists(HostC("SRC/NEW.DLL_")));
    EXPECT_EQ(1, CompareVersions(Windows("SRC\\NEW.DLL_").c_str(), destination.c_str()));
    EXPECT_EQ(4, CompareVersions(Windows("SRC\\NEW.DLL").c_str(), destination.c_str()));
}

TEST_F(CompareVersionsTest, BlocksWithoutFixedInformationAreUnreadable) {
    ASSERT_TRUE(WriteHostFile(m_temp / "nofixed.bin", Pe32VersionResourceWithoutFixedInfo()));
    std::string noFixed = PutFile("NOFIXED.DLL", DllFromScript("1 16 \"nofixed.bin\"\n"));
    std::string noFixedNe = PutFile("NOFIXED.NE", VersionNe(1, 0, 0, 0, true, false));
    std::string versioned = Dll("V.DLL", 1, 0, 0, 0);
    EXPECT_EQ(2, CompareVersions(versioned.c_str(), noFixed.c_str()));
    EXPECT_EQ(2, CompareVersions(versioned.c_str(), noFixedNe.c_str()));
    EXPECT_EQ(1, CompareVersions(noFixed.c_str(), versioned.c_str()));
    EXPECT_EQ(1, CompareVersions(noFixedNe.c_str(), versioned.c_str()));
}

TEST_F(CompareVersionsTest, UnreadableDestinationGivesZero) {
    std::string source = Dll("SRC.DLL", 2, 0, 0, 0);
    std::string destination = Dll("DST.DLL", 1, 0, 0, 0);
    EXPECT_EQ(0, CompareVersions(source.c_str(), Windows("MISSING.DLL").c_str()));
    EXPECT_EQ(0, CompareVersions(source.c_str(), Windows("NODIR\\MISSING.DLL").c_str()));
    ASSERT_TRUE(CreateDirectoryA(Windows("ADIR").c_str(), nullptr));
    EXPECT_EQ(0, CompareVersions(source.c_str(), Windows("ADIR").c_str()));

    // Held open by someone who shares nothing: it cannot be opened for reading.
    HANDLE lock = CreateFileA(destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(0, CompareVersions(source.c_str(), destination.c_str()));
    EXPECT_EQ(0, CompareDates(source.c_str(), destination.c_str()));
    CloseHandle(lock);
    EXPECT_EQ(4, CompareVersions(source.c_str(), destination.c_str()));

    // Its handles and blocks were all released: the file can now be held exclusively.
    lock = CreateFileA(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, lock);
    CloseHandle(lock);
}

class CompareDatesTest : public VersionMachineTest {
  protected:
    // C:\<name> with the content and the modification time.
    std::string Dated(const std::string& name, const std::string& content, time_t seconds) {
        std::string path = PutFile(name, content);
        SetHostTime(HostC(name), seconds);
        return path;
    }
};

TEST_F(CompareDatesTest, EveryResult) {
    const time_t early = 1000000000; // 2001-09-09
    const time_t late = early + 3600 * 24 * 400;
    struct Case {
        time_t source;
        time_t destination;
        bool emptyDestination;
        int expected;
    };
    const Case cases[] = {
        {late, early, false, 2},      {early, late, false, 1}, {early, early, false, 1},
        {early, early, true, 2},      {early, late, true, 2},  {early + 1, early, false, 2},
        {early - 1, early, false, 1},
    };
    for (const Case& c : cases) {
        std::string source = Dated("SRC.TXT", "new", c.source);
        std::string destination =
            Dated("DST.TXT", c.emptyDestination ? "" : "old contents", c.destination);
        EXPECT_EQ(c.expected, CompareDates(source.c_str(), destination.c_str()))
            << c.source << " " << c.destination << " " << c.emptyDestination;
    }
}

TEST_F(CompareDatesTest, UnreadableFilesGiveZero) {
    std::string file = Dated("A.TXT", "a", 1000000000);
    EXPECT_EQ(0, CompareDates(Windows("MISSING.TXT").c_str(), file.c_str()));
    EXPECT_EQ(0, CompareDates(file.c_str(), Windows("MISSING.TXT").c_str()));
    EXPECT_EQ(0, CompareDates(file.c_str(), Windows("NODIR\\MISSING.TXT").c_str()));
}

TEST_F(CompareDatesTest, ModificationTimeInSeconds) {
    std::string file = Dated("A.TXT", "a", 1000000000);
    time_t seconds = 42;
    ASSERT_TRUE(GetModificationTime(file.c_str(), seconds));
    EXPECT_EQ(1000000000, seconds);
    SetHostTime(HostC("A.TXT"), 1234567890);
    ASSERT_TRUE(GetModificationTime(Windows("a.txt").c_str(), seconds));
    EXPECT_EQ(1234567890, seconds);

    seconds = 42;
    EXPECT_FALSE(GetModificationTime(Windows("MISSING.TXT").c_str(), seconds));
    EXPECT_EQ(42, seconds);
}

class PathPartsTest : public VersionMachineTest {};

TEST_F(PathPartsTest, SplitAtTheLastBackslash) {
    EXPECT_EQ(CString("B.DLL"), FileNamePart("C:\\A\\B.DLL"));
    EXPECT_EQ(CString("C:\\A\\"), DirectoryPart("C:\\A\\B.DLL"));
    EXPECT_EQ(CString("B.DLL"), FileNamePart("B.DLL"));
    EXPECT_EQ(CString(""), DirectoryPart("B.DLL"));
    EXPECT_EQ(CString(""), FileNamePart("C:\\A\\"));
    EXPECT_EQ(CString("C:\\A\\"), DirectoryPart("C:\\A\\"));
    EXPECT_EQ(CString(""), FileNamePart(""));
    EXPECT_EQ(CString(""), DirectoryPart(""));
    EXPECT_EQ(CString("x"), FileNamePart("\\\\x"));
    EXPECT_EQ(CString("\\\\"), DirectoryPart("\\\\x"));
}

// 0x83 0x5C is one double-byte character in code page 932 (a katakana), whose second byte is
// the code of a backslash.
const char kKatakanaPath[] = "C:\\A\x83\x5C";

TEST_F(PathPartsTest, TrailBytesAreNotBackslashesInCodePage932) {
    StartMachine("JPN");
    EXPECT_EQ(CString("A\x83\x5C"), FileNamePart(kKatakanaPath));
    EXPECT_EQ(CString("C:\\"), DirectoryPart(kKatakanaPath));
}

TEST_F(PathPartsTest, EveryBackslashByteIsOneInCodePage1252) {
    EXPECT_EQ(CString(""), FileNamePart(kKatakanaPath));
    EXPECT_EQ(CString(kKatakanaPath), DirectoryPart(kKatakanaPath));
}
