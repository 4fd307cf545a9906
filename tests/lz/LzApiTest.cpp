#include "LzMachine.h"

#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace {

// Opens source and a new destination, copies, closes; the LZCopy result.
LONG CopyThrough(const std::string& source, const std::string& destination) {
    OFSTRUCT info;
    INT in = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &info, OF_READ);
    if (in < 0)
        return 1000 + in;
    INT out = LZOpenFileA(const_cast<LPSTR>(destination.c_str()), &info, OF_CREATE | OF_WRITE);
    if (out < 0) {
        LZClose(in);
        return 2000 + out;
    }
    LONG result = LZCopy(in, out);
    LZClose(out);
    LZClose(in);
    return result;
}

std::string ExpandedName(const std::string& path) {
    std::vector<char> source(path.begin(), path.end());
    source.push_back('\0');
    std::vector<char> buffer(path.size() + 16, '#');
    INT result = GetExpandedNameA(source.data(), buffer.data());
    EXPECT_EQ(1, result) << path;
    return buffer.data();
}

} // namespace

class LzApi : public LzMachineTest {
  protected:
    void SetUp() override {
        LzMachineTest::SetUp();
        if (!HaveMscompress())
            GTEST_SKIP() << "mscompress is not installed";
    }
};

TEST_F(LzApi, ExpandsWhatTheIndependentCompressorMade) {
    // mscompress itself mangles inputs of 1 to 15 bytes; those sizes are covered by
    // HandMadeFilesOfTheFormat.
    const std::vector<std::string> samples = {
        "",
        CompressibleData(16),
        std::string(100, 'a'),
        CompressibleData(4095),
        CompressibleData(4096),
        CompressibleData(4097),
        CompressibleData(300000, 7),
        RandomData(100000),
    };
    ASSERT_TRUE(CreateDirectoryA(Windows("OUT").c_str(), nullptr));
    for (size_t i = 0; i < samples.size(); ++i) {
        std::string name = "IN/F" + std::to_string(i) + ".DAT";
        PutFile(name, samples[i]);
        std::string compressed = Compress(name);
        ASSERT_EQ(0, compressed.compare(0, 4, "SZDD")) << i;
        std::string output = "OUT/F" + std::to_string(i);
        EXPECT_EQ(static_cast<LONG>(samples[i].size()),
                  CopyThrough(Windows(name + "_"), Windows(output)))
            << i;
        EXPECT_TRUE(Read(output) == samples[i]) << i;
    }
}

TEST_F(LzApi, CopiesPlainFilesUnchanged) {
    const std::vector<std::string> samples = {
        "",
        "plain",
        std::string("SZDD\x88\xF0\x27", 7), // a signature cut short
        std::string("SZDD\x88\xF0\x27\x33"
                    "A",
                    9), // a header cut short
        std::string("SZDX\x88\xF0\x27\x33"
                    "A\0\x10\0\0\0",
                    14),
        RandomData(5 << 20, 3),
    };
    ASSERT_TRUE(CreateDirectoryA(Windows("OUT").c_str(), nullptr));
    for (size_t i = 0; i < samples.size(); ++i) {
        std::string source = PutFile("IN/P" + std::to_string(i), samples[i]);
        EXPECT_EQ(static_cast<LONG>(samples[i].size()),
                  CopyThrough(source, Windows("OUT/P" + std::to_string(i))))
            << i;
        EXPECT_TRUE(Read("OUT/P" + std::to_string(i)) == samples[i]) << i;
        // A plain file's expanded name is its own.
        EXPECT_EQ(source, ExpandedName(source));
    }
}

TEST_F(LzApi, CreatingCutsAnExistingFile) {
    std::string source = PutFile("SMALL.TXT", "short");
    std::string destination = PutFile("BIG.TXT", std::string(100000, 'z'));
    EXPECT_EQ(5, CopyThrough(source, destination));
    EXPECT_EQ("short", Read("BIG.TXT"));
}

TEST_F(LzApi, OpeningFailuresAreNegative) {
    OFSTRUCT info;
    SetLastError(0);
    EXPECT_EQ(LZERROR_BADINHANDLE,
              LZOpenFileA(const_cast<LPSTR>(Windows("NONE.DL_").c_str()), &info, OF_READ));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, info.nErrCode);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_LT(LZOpenFileA(const_cast<LPSTR>(Windows("NODIR\\NONE.DL_").c_str()), &info, OF_READ),
              0);
    EXPECT_LT(LZOpenFileA(const_cast<LPSTR>(Windows("NODIR\\NEW.DLL").c_str()), &info,
                          OF_CREATE | OF_WRITE),
              0);
    ASSERT_TRUE(CreateDirectoryA(Windows("ADIR").c_str(), nullptr));
    EXPECT_LT(LZOpenFileA(const_cast<LPSTR>(Windows("ADIR").c_str()), &info, OF_READ), 0);
    EXPECT_LT(LZOpenFileA(const_cast<LPSTR>(Windows("ADIR").c_str()), &info, OF_CREATE | OF_WRITE),
              0);
    EXPECT_LT(LZOpenFileA(nullptr, &info, OF_READ), 0);

    std::string locked = PutFile("RO.DLL", "keep me");
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_LT(LZOpenFileA(const_cast<LPSTR>(locked.c_str()), &info, OF_CREATE | OF_WRITE), 0);
    EXPECT_EQ("keep me", Read("RO.DLL"));
    // Reading a read-only file is fine.
    INT in = LZOpenFileA(const_cast<LPSTR>(locked.c_str()), &info, OF_READ);
    EXPECT_GE(in, 0);
    LZClose(in);
}

TEST_F(LzApi, UnknownCompressionMethodIsRefusedAtOpening) {
    std::string compressed = MakeCompressed("A.DLL", CompressibleData(10000), "A.DL_");
    compressed[8] = 'B';
    std::string path = PutFile("B.DL_", compressed);
    OFSTRUCT info;
    EXPECT_EQ(LZERROR_UNKNOWNALG, LZOpenFileA(const_cast<LPSTR>(path.c_str()), &info, OF_READ));
}

TEST_F(LzApi, DamagedCompressedDataFailsTheCopy) {
    const std::string original = CompressibleData(200000, 5);
    const std::string compressed = MakeCompressed("A.DLL", original, "GOOD.DL_");
    ASSERT_EQ(static_cast<LONG>(original.size()),
              CopyThrough(Windows("GOOD.DL_"), Windows("GOOD.OUT")));

    std::vector<std::string> damaged;
    damaged.push_back(compressed.substr(0, compressed.size() / 2)); // cut in the middle
    damaged.push_back(compressed.substr(0, 14));                    // header only
    damaged.push_back(compressed.substr(0, compressed.size() - 1)); // last byte missing
    std::string longer = compressed;
    longer[10] = static_cast<char>(longer[10] + 1); // the header promises one byte more
    damaged.push_back(longer);
    // A sound header over garbage that claims a megabyte.
    std::string garbage =
        compressed.substr(0, 10) + std::string("\x00\x00\x10\x00", 4) + RandomData(3000, 11);
    damaged.push_back(garbage);

    for (size_t i = 0; i < damaged.size(); ++i) {
        std::string path = PutFile("BAD" + std::to_string(i) + ".DL_", damaged[i]);
        EXPECT_EQ(LZERROR_READ, CopyThrough(path, Windows("BAD.OUT"))) << i;
    }
}

TEST_F(LzApi, DataBeyondThePromisedLengthIsDamage) {
    // A header whose length disagrees with the data is damaged: the copy fails rather than
    // give a file cut to the header's length.
    const std::string original = CompressibleData(50000, 8);
    std::string compressed = MakeCompressed("A.DLL", original, "A.DL_");
    compressed[10] = static_cast<char>(compressed[10] - 1); // the data holds one byte more
    PutFile("SHORT.DL_", compressed);
    EXPECT_EQ(LZERROR_READ, CopyThrough(Windows("SHORT.DL_"), Windows("OUT")));
}

TEST_F(LzApi, HandMadeFilesOfTheFormat) {
    // Literal-only data: each flag byte announces up to eight literal bytes (bit set), lowest
    // bit first.
    auto literalFile = [](const std::string& data) {
        std::string file("SZDD\x88\xF0\x27\x33"
                         "A",
                         9);
        file.push_back('X');
        for (int shift = 0; shift < 32; shift += 8)
            file.push_back(static_cast<char>((data.size() >> shift) & 0xFF));
        for (size_t at = 0; at < data.size(); at += 8) {
            size_t count = std::min<size_t>(8, data.size() - at);
            file.push_back(static_cast<char>((1u << count) - 1));
            file += data.substr(at, count);
        }
        return file;
    };
    for (const std::string& data :
         {std::string(), std::string("x"), std::string("abc"), std::string("0123456789ABCDE")}) {
        PutFile("TINY.DA_", literalFile(data));
        EXPECT_EQ(static_cast<LONG>(data.size()),
                  CopyThrough(Windows("TINY.DA_"), Windows("TINY.OUT")));
        EXPECT_EQ(data, Read("TINY.OUT"));
        EXPECT_EQ(Windows("TINY.DAX"), ExpandedName(Windows("TINY.DA_")));
    }
    // Larger than the buffers of the copy (a megabyte each way), so that both refill.
    const std::string large = RandomData(2500000, 12);
    PutFile("LARGE.DA_", literalFile(large));
    EXPECT_EQ(static_cast<LONG>(large.size()),
              CopyThrough(Windows("LARGE.DA_"), Windows("LARGE.OUT")));
    EXPECT_TRUE(Read("LARGE.OUT") == large);

    // A literal and a match: flag 0x01, the literal "a", then position 0xFF0 and length 3 + 15:
    // the window is written from position 4096 - 16, so the match repeats the "a".
    std::string file("SZDD\x88\xF0\x27\x33"
                     "A",
                     9);
    file += std::string("\0\x13\0\0\0", 5);
    file += std::string("\x01"
                        "a"
                        "\xF0\xFF",
                        4);
    PutFile("MATCH.DA_", file);
    EXPECT_EQ(19, CopyThrough(Windows("MATCH.DA_"), Windows("MATCH.OUT")));
    EXPECT_EQ("a" + std::string(18, 'a'), Read("MATCH.OUT"));
}

TEST_F(LzApi, CopiesBearTheSourcesModificationTime) {
    const time_t released = 1000000000;
    auto setTime = [&](const std::string& relative) {
        timespec times[2];
        times[0].tv_sec = times[1].tv_sec = released;
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ASSERT_EQ(0, utimensat(AT_FDCWD, HostC(relative).c_str(), times, 0));
    };
    auto timeOf = [&](const std::string& relative) {
        struct stat status = {};
        stat(HostC(relative).c_str(), &status);
        return status.st_mtime;
    };
    PutFile("PLAIN.TXT", CompressibleData(20000));
    setTime("PLAIN.TXT");
    MakeCompressed("A.DLL", CompressibleData(20000), "A.DL_");
    setTime("A.DL_");
    ASSERT_EQ(20000, CopyThrough(Windows("PLAIN.TXT"), Windows("PLAIN.OUT")));
    ASSERT_EQ(20000, CopyThrough(Windows("A.DL_"), Windows("A.OUT")));
    EXPECT_EQ(released, timeOf("PLAIN.OUT"));
    EXPECT_EQ(released, timeOf("A.OUT"));
}

TEST_F(LzApi, HandlesAreCheckedForTheirUse) {
    std::string source = PutFile("A.TXT", "abc");
    OFSTRUCT info;
    INT in = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &info, OF_READ);
    INT out = LZOpenFileA(const_cast<LPSTR>(Windows("B.TXT").c_str()), &info, OF_CREATE | OF_WRITE);
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);
    EXPECT_NE(in, out);
    EXPECT_EQ(LZERROR_BADINHANDLE, LZCopy(12345, out));
    EXPECT_EQ(LZERROR_BADINHANDLE, LZCopy(-1, out));
    EXPECT_EQ(LZERROR_BADOUTHANDLE, LZCopy(in, in));
    EXPECT_EQ(LZERROR_BADINHANDLE, LZCopy(out, in));
    EXPECT_EQ(3, LZCopy(in, out));
    LZClose(out);
    EXPECT_EQ(LZERROR_BADOUTHANDLE, LZCopy(in, out));
    LZClose(in);
    LZClose(in); // closing twice is harmless
    LZClose(99999);
    EXPECT_EQ("abc", Read("B.TXT"));
}

TEST_F(LzApi, ADestinationMayBeAFileHandleOpenForWriting) {
    std::string data = CompressibleData(5000);
    PutFile("IN/D.DAT", data);
    ASSERT_FALSE(Compress("IN/D.DAT").empty());
    std::string compressed = Windows("IN/D.DAT_");
    OFSTRUCT info;
    INT in = LZOpenFileA(const_cast<LPSTR>(compressed.c_str()), &info, OF_READ);
    ASSERT_GE(in, 0);
    HANDLE reading = CreateFileA(compressed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    HANDLE writing =
        CreateFileA(Windows("D.OUT").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    ASSERT_NE(writing, INVALID_HANDLE_VALUE);
    auto asFile = [](HANDLE handle) { return static_cast<INT>(reinterpret_cast<INT_PTR>(handle)); };
    EXPECT_EQ(LZERROR_BADOUTHANDLE, LZCopy(in, asFile(reading)));
    EXPECT_EQ(static_cast<LONG>(data.size()), LZCopy(in, asFile(writing)));
    CloseHandle(writing);
    CloseHandle(reading);
    EXPECT_EQ(LZERROR_BADOUTHANDLE, LZCopy(in, asFile(writing)));
    LZClose(in);
    EXPECT_TRUE(Read("D.OUT") == data);
}

TEST_F(LzApi, RunningOutOfHandlesIsAnError) {
    std::string source = PutFile("A.TXT", "abc");
    OFSTRUCT info;
    std::vector<INT> handles;
    INT last = 0;
    for (int i = 0; i < 1000; ++i) {
        last = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &info, OF_READ);
        if (last < 0)
            break;
        handles.push_back(last);
    }
    EXPECT_LT(last, 0);
    EXPECT_GE(handles.size(), 16u);
    for (INT handle : handles)
        LZClose(handle);
    INT again = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &info, OF_READ);
    EXPECT_GE(again, 0);
    LZClose(again);
}

TEST_F(LzApi, AFullDiskFailsTheCopyAsAWriteError) {
    const std::string plain = RandomData(2 << 20, 4);
    const std::string original = CompressibleData(400000, 6);
    PutFile("PLAIN.BIN", plain);
    MakeCompressed("BIG.DLL", original, "BIG.DL_");
    FileSizeLimit limit(200 * 1024);
    EXPECT_EQ(LZERROR_WRITE, CopyThrough(Windows("PLAIN.BIN"), Windows("PLAIN.OUT")));
    EXPECT_EQ(LZERROR_WRITE, CopyThrough(Windows("BIG.DL_"), Windows("BIG.OUT")));
}

TEST_F(LzApi, ExpandedNameRestoresTheLastCharacter) {
    const std::string original = CompressibleData(5000);
    std::string compressed = MakeCompressed("SUB/FILE.DLL", original, "SUB/FILE.DLL_");
    // mscompress keeps the whole name and stores no character: the '_' is only dropped.
    EXPECT_EQ(Windows("SUB\\FILE.DLL"), ExpandedName(Windows("SUB\\FILE.DLL_")));

    // The usual form: the last character replaced by '_' and kept in the header.
    compressed[9] = 'L';
    PutFile("SUB/FILE.DL_", compressed);
    EXPECT_EQ(Windows("SUB\\FILE.DLL"), ExpandedName(Windows("SUB\\FILE.DL_")));
    // The name's case decides the restored letter's.
    EXPECT_EQ(Windows("sub\\file.dll"), ExpandedName(Windows("sub\\file.dl_")));
    compressed[9] = 'e';
    PutFile("SUB/SETUP.EX_", compressed);
    EXPECT_EQ(Windows("SUB\\SETUP.EXE"), ExpandedName(Windows("SUB\\SETUP.EX_")));
    // A compressed file whose name does not end in '_' keeps its name.
    PutFile("SUB/PACKED.BIN", compressed);
    EXPECT_EQ(Windows("SUB\\PACKED.BIN"), ExpandedName(Windows("SUB\\PACKED.BIN")));
    // Relative names are read from the current directory.
    ASSERT_TRUE(SetCurrentDirectoryA(Windows("SUB").c_str()));
    EXPECT_EQ("FILE.DLL", ExpandedName("FILE.DL_"));

    // The buffer may be the source itself.
    std::string inPlace = Windows("SUB\\FILE.DL_");
    EXPECT_EQ(1, GetExpandedNameA(inPlace.data(), inPlace.data()));
    EXPECT_EQ(Windows("SUB\\FILE.DLL"), inPlace.c_str());
}

TEST_F(LzApi, ExpandedNameOfAMissingFileIsTheSourceName) {
    std::string source = Windows("NONE\\FILE.DL_");
    char buffer[64] = "garbage";
    EXPECT_EQ(LZERROR_BADINHANDLE, GetExpandedNameA(source.data(), buffer));
    EXPECT_EQ(source, buffer);
}

TEST_F(LzApi, ExpandedNameNeverTakesATrailByteForTheUnderscoreInCodePage932) {
    StartMachine("JPN");
    std::string compressed = MakeCompressed("A.DLL", CompressibleData(3000), "A.DL_");
    compressed[9] = 'L';
    PutFile("A.DL_", compressed);
    // "ダ" is 0x83 0x5F in code page 932: its second byte is the code of '_'.
    std::string name = Windows("\x83\x5F");
    ASSERT_TRUE(CopyFileA(Windows("A.DL_").c_str(), name.c_str(), FALSE));
    char buffer[64] = {};
    EXPECT_EQ(1, GetExpandedNameA(name.data(), buffer));
    EXPECT_EQ(name, buffer);
    // A real '_' after a double-byte character is restored.
    std::string second = Windows("\x83\x5F.DL_");
    ASSERT_TRUE(CopyFileA(Windows("A.DL_").c_str(), second.c_str(), FALSE));
    EXPECT_EQ(1, GetExpandedNameA(second.data(), buffer));
    EXPECT_EQ(Windows("\x83\x5F.DLL"), buffer);
}
