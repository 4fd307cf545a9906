// Lookups keep a folder's entries and the folders reached before: what they answer must be
// what the host holds now, whoever changed it.
#include "MachineFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool Touch(LPCSTR name) {
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool Exists(LPCSTR name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

using FolderIndexTest = MachineTest;

TEST_F(FolderIndexTest, ChangesByAnotherProcessAreSeen) {
    ASSERT_TRUE(WriteHostFile(OnC("APP/old.txt"), "old"));
    ASSERT_TRUE(Exists("C:\\APP\\OLD.TXT"));
    ASSERT_FALSE(Exists("C:\\APP\\NEW.TXT"));

    ASSERT_TRUE(WriteHostFile(OnC("APP/New.Txt"), "new"));
    EXPECT_TRUE(Exists("C:\\app\\NEW.TXT"));
    EXPECT_EQ(host::HostPathOf("C:\\APP\\new.txt"), OnC("APP/New.Txt"));
    ASSERT_EQ(unlink(OnC("APP/old.txt").c_str()), 0);
    EXPECT_FALSE(Exists("C:\\APP\\OLD.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // An exact name made beside the one found by its case is the one taken from then on.
    ASSERT_TRUE(WriteHostFile(OnC("APP/new.txt"), "exact"));
    EXPECT_EQ(host::HostPathOf("C:\\APP\\new.txt"), OnC("APP/new.txt"));

    // The folder moved away and another made in its place: the new one is looked in.
    ASSERT_EQ(std::rename(OnC("APP").c_str(), OnC("GONE").c_str()), 0);
    ASSERT_TRUE(WriteHostFile(OnC("App/other.txt"), "other"));
    EXPECT_FALSE(Exists("C:\\APP\\NEW.TXT"));
    EXPECT_EQ(host::HostPathOf("C:\\APP\\OTHER.TXT"), OnC("App/other.txt"));
}

TEST_F(FolderIndexTest, AKnownFolderReplacedByALinkOutOfTheDriveIsRefused) {
    TempDir outside;
    ASSERT_TRUE(WriteHostFile(outside / "secret.txt", "secret"));
    ASSERT_TRUE(WriteHostFile(OnC("SAFE/F.TXT"), "f"));
    ASSERT_TRUE(Exists("C:\\SAFE\\F.TXT"));
    ASSERT_EQ(std::rename(OnC("SAFE").c_str(), OnC("OLD").c_str()), 0);
    ASSERT_EQ(symlink(outside.path().c_str(), OnC("SAFE").c_str()), 0);
    EXPECT_FALSE(Exists("C:\\SAFE\\SECRET.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(Touch("C:\\SAFE\\PLANTED.TXT"));
    EXPECT_FALSE(HostFileExists(outside / "PLANTED.TXT"));
}

// What was found once is answered again without asking the host while the host reports no
// change; another process's changes, above a drive's root or inside it, must still be seen
// as soon as it has ended.
TEST_F(FolderIndexTest, ChangesAnotherProcessMadeBeforeItEndedAreSeen) {
    TempDir outer;
    ASSERT_TRUE(WriteHostFile(outer / "above/disk/DATA/F.TXT", "f"));
    ASSERT_TRUE(host::MapDrive('E', outer / "above/disk", DRIVE_FIXED));
    auto inOuter = [&outer](const std::string& commands) {
        return std::system(("cd '" + outer.path() + "' && " + commands).c_str()) == 0;
    };
    ASSERT_TRUE(Exists("E:\\DATA\\F.TXT"));
    ASSERT_TRUE(Exists("E:\\DATA\\F.TXT"));

    ASSERT_TRUE(inOuter("mv above elsewhere"));
    EXPECT_FALSE(Exists("E:\\DATA\\F.TXT"));
    EXPECT_FALSE(Exists("E:\\"));

    ASSERT_TRUE(inOuter("mv elsewhere above && mv above/disk/DATA above/disk/OLD && "
                        "mkdir above/disk/DATA && : > above/disk/DATA/G.TXT"));
    EXPECT_FALSE(Exists("E:\\DATA\\F.TXT"));
    EXPECT_TRUE(Exists("E:\\DATA\\G.TXT"));
    EXPECT_TRUE(Exists("E:\\OLD\\F.TXT"));

    ASSERT_TRUE(inOuter("mkdir other && : > other/H.TXT && "
                        "ln -sfn '" +
                        outer.path() + "/other' '" + m_prefix.path() + "/dosdevices/e:'"));
    EXPECT_FALSE(Exists("E:\\DATA\\G.TXT"));
    EXPECT_TRUE(Exists("E:\\H.TXT"));
}

// The host's reports come in batches a single read does not hold: a change reported behind
// many others is seen all the same.
TEST_F(FolderIndexTest, AChangeReportedBehindManyOthersIsSeen) {
    ASSERT_TRUE(WriteHostFile(OnC("MANY/A.TXT"), "a"));
    ASSERT_TRUE(WriteHostFile(OnC("LAST/A.TXT"), "a"));
    for (int look = 0; look < 2; ++look) { // the second look watches the folders
        ASSERT_TRUE(Exists("C:\\MANY\\A.TXT"));
        ASSERT_FALSE(Exists("C:\\LAST\\B.TXT"));
    }

    std::string commands = "cd '" + OnC("") + "' && for i in $(seq 1000); do : > MANY/F$i.TXT; " +
                           "done && : > LAST/B.TXT";
    ASSERT_EQ(std::system(commands.c_str()), 0);
    EXPECT_TRUE(Exists("C:\\LAST\\B.TXT"));
    EXPECT_TRUE(Exists("C:\\MANY\\F1000.TXT"));
}

// A file opened for reading is taken for a plain file from its folder's index: a link or
// another file put in its place since must be seen all the same.
TEST_F(FolderIndexTest, AFileReplacedAfterItWasReadIsOpenedAsItIsNow) {
    TempDir outside;
    ASSERT_TRUE(WriteHostFile(outside / "secret.txt", "secret"));
    ASSERT_TRUE(WriteHostFile(OnC("DATA/F.TXT"), "first"));
    auto read = [](LPCSTR name, std::string& text) {
        HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        char buffer[16] = {};
        DWORD got = 0;
        BOOL ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
        CloseHandle(file);
        text.assign(buffer, got);
        return ok != FALSE;
    };
    std::string text;
    ASSERT_TRUE(read("C:\\DATA\\F.TXT", text));
    EXPECT_EQ(text, "first");

    ASSERT_EQ(unlink(OnC("DATA/F.TXT").c_str()), 0);
    ASSERT_EQ(symlink((outside / "secret.txt").c_str(), OnC("DATA/F.TXT").c_str()), 0);
    EXPECT_FALSE(read("C:\\DATA\\F.TXT", text));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    ASSERT_EQ(unlink(OnC("DATA/F.TXT").c_str()), 0);
    ASSERT_TRUE(WriteHostFile(OnC("DATA/F.TXT"), "second"));
    ASSERT_TRUE(read("C:\\DATA\\F.TXT", text));
    EXPECT_EQ(text, "second");
}

TEST_F(FolderIndexTest, TheProgramsOwnChangesAreSeenUnderAnyCase) {
    ASSERT_TRUE(CreateDirectoryA("C:\\Own", nullptr));
    ASSERT_FALSE(Exists("C:\\OWN\\MADE.TXT"));
    ASSERT_TRUE(Touch("C:\\OWN\\Made.Txt"));
    EXPECT_TRUE(Exists("C:\\own\\MADE.TXT"));
    EXPECT_EQ(host::HostPathOf("C:\\own\\made.txt"), OnC("Own/Made.Txt"));
    EXPECT_FALSE(Touch("C:\\OWN\\MADE.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    ASSERT_TRUE(MoveFileA("C:\\OWN\\MADE.TXT", "C:\\OWN\\Moved.txt"));
    EXPECT_FALSE(Exists("C:\\OWN\\MADE.TXT"));
    EXPECT_EQ(host::HostPathOf("C:\\OWN\\MOVED.TXT"), OnC("Own/Moved.txt"));
    ASSERT_TRUE(CopyFileA("C:\\OWN\\MOVED.TXT", "C:\\OWN\\Copy.txt", TRUE));
    EXPECT_TRUE(Exists("C:\\OWN\\COPY.TXT"));
    ASSERT_TRUE(DeleteFileA("C:\\own\\moved.TXT"));
    ASSERT_TRUE(DeleteFileA("C:\\own\\copy.TXT"));
    EXPECT_FALSE(Exists("C:\\OWN\\MOVED.TXT"));
    EXPECT_FALSE(HostFileExists(OnC("Own/Moved.txt")));

    // A folder removed and made again under another case starts empty.
    ASSERT_TRUE(Touch("C:\\OWN\\SUB.TXT"));
    ASSERT_TRUE(DeleteFileA("C:\\OWN\\SUB.TXT"));
    ASSERT_TRUE(RemoveDirectoryA("C:\\OWN"));
    EXPECT_FALSE(Exists("C:\\OWN"));
    ASSERT_TRUE(CreateDirectoryA("C:\\OWN", nullptr));
    EXPECT_FALSE(Exists("C:\\own\\SUB.TXT"));
    EXPECT_TRUE(Touch("C:\\own\\SUB.TXT"));
    EXPECT_TRUE(HostFileExists(OnC("OWN/SUB.TXT")));
}

using JapaneseFolderIndexTest = JapaneseMachineTest;

// ア is 0x83 0x41 and ヂ 0x83 0x61 in code page 932: their trail bytes are the codes of 'A'
// and 'a', which a fold of letters must leave alone.
TEST_F(JapaneseFolderIndexTest, TrailBytesAreNeverFolded) {
    ASSERT_TRUE(WriteHostFile(OnC("\xE3\x82\xA2.txt"), "a"));
    EXPECT_TRUE(Exists("C:\\\x83\x41.TXT"));
    EXPECT_FALSE(Exists("C:\\\x83\x61.TXT"));
    ASSERT_TRUE(Touch("C:\\\x83\x61.Txt"));
    EXPECT_EQ(host::HostPathOf("C:\\\x83\x61.TXT"), OnC("\xE3\x83\x82.Txt"));
    EXPECT_EQ(host::HostPathOf("C:\\\x83\x41.TXT"), OnC("\xE3\x82\xA2.txt"));
}

} // namespace
