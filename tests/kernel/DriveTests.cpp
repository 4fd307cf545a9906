// Drive letters and their types.
#include "MachineFixture.h"

#include <unistd.h>

namespace {

using DriveTest = MachineTest;

TEST_F(DriveTest, SystemDriveIsFixedAndTheMediumACdRom) {
    EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("c:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("C:"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeA("Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    // The root of the current directory's drive (the medium's).
    EXPECT_EQ(GetDriveTypeA(nullptr), static_cast<UINT>(DRIVE_CDROM));
}

TEST_F(DriveTest, InvalidRootsAreUnknown) {
    for (const char* root : {"", "C", "1:\\", "CC:\\", "C:\\WINDOWS", ":\\", "C:\\\\", "\\"})
        EXPECT_EQ(GetDriveTypeA(root), static_cast<UINT>(DRIVE_UNKNOWN)) << root;
}

TEST_F(DriveTest, EveryTypeCanBeMapped) {
    TempDir disk;
    const char letters[] = "EFGHIJK";
    for (unsigned type = DRIVE_UNKNOWN; type <= DRIVE_RAMDISK; ++type)
        ASSERT_TRUE(host::MapDrive(letters[type], disk.path(), type)) << type;
    for (unsigned type = DRIVE_UNKNOWN; type <= DRIVE_RAMDISK; ++type) {
        std::string root = std::string(1, letters[type]) + ":\\";
        EXPECT_EQ(GetDriveTypeA(root.c_str()), type) << root;
    }
    EXPECT_FALSE(host::MapDrive('C', disk.path(), DRIVE_REMOVABLE));
    EXPECT_FALSE(host::MapDrive('1', disk.path(), DRIVE_FIXED));
    EXPECT_FALSE(host::MapDrive('L', disk.path(), 7));

    // The types live in the prefix and survive the machine.
    std::string recorded = ReadHostFile(m_prefix / "veltrix-drives");
    EXPECT_NE(recorded.find("e: unknown"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("g: removable"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("k: ramdisk"), std::string::npos) << recorded;
    host::StopMachine();
    ASSERT_TRUE(Start());
    EXPECT_EQ(GetDriveTypeA("G:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(GetDriveTypeA("I:\\"), static_cast<UINT>(DRIVE_REMOTE));
    EXPECT_EQ(GetDriveTypeA("J:\\"), static_cast<UINT>(DRIVE_CDROM));
}

TEST_F(DriveTest, UnrecordedLinksAreFixedOrMissing) {
    TempDir disk;
    ASSERT_EQ(symlink(disk.path().c_str(), (m_prefix / "dosdevices/m:").c_str()), 0);
    ASSERT_EQ(symlink((m_prefix / "gone").c_str(), (m_prefix / "dosdevices/n:").c_str()), 0);
    EXPECT_EQ(GetDriveTypeA("M:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("N:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    DWORD drives = GetLogicalDrives();
    EXPECT_TRUE(drives & (1u << ('C' - 'A')));
    EXPECT_TRUE(drives & (1u << ('D' - 'A')));
    EXPECT_TRUE(drives & (1u << ('M' - 'A')));
    EXPECT_FALSE(drives & (1u << ('N' - 'A')));
    EXPECT_FALSE(drives & (1u << ('A' - 'A')));
}

TEST_F(DriveTest, ARemovableDriveWithoutDiskKeepsItsType) {
    TempDir disk;
    std::string gone = disk / "floppy";
    ASSERT_TRUE(WriteHostFile(gone + "/A.TXT", "a"));
    ASSERT_TRUE(host::MapDrive('A', gone, DRIVE_REMOVABLE));
    EXPECT_NE(GetFileAttributesA("A:\\A.TXT"), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(unlink((gone + "/A.TXT").c_str()), 0);
    ASSERT_EQ(rmdir(gone.c_str()), 0); // the disk is taken out
    EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(GetFileAttributesA("A:\\A.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
}

TEST_F(DriveTest, ADrivesDirectoryThatAppearsLaterIsFound) {
    TempDir disk;
    std::string later = disk / "later";
    ASSERT_TRUE(host::MapDrive('A', later, DRIVE_REMOVABLE));
    EXPECT_EQ(GetFileAttributesA("A:\\A.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    ASSERT_TRUE(WriteHostFile(later + "/A.TXT", "a"));
    EXPECT_NE(GetFileAttributesA("A:\\A.TXT"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DriveTest, ALinkReplacedByAnotherProcessIsFollowed) {
    TempDir first, second;
    ASSERT_TRUE(WriteHostFile(first / "SUB/ONE.TXT", "1"));
    ASSERT_TRUE(WriteHostFile(second / "SUB/TWO.TXT", "2"));
    std::string link = m_prefix / "dosdevices/m:";
    ASSERT_EQ(symlink(first.path().c_str(), link.c_str()), 0);
    EXPECT_NE(GetFileAttributesA("M:\\SUB\\ONE.TXT"), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(symlink(second.path().c_str(), (link + ".new").c_str()), 0);
    ASSERT_EQ(rename((link + ".new").c_str(), link.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA("M:\\SUB\\ONE.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA("M:\\SUB\\TWO.TXT"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DriveTest, InsertingAMediumSwapsTheDrivesContents) {
    TempDir disk2;
    ASSERT_TRUE(WriteHostFile(m_media / "DISK1.TAG", "1"));
    ASSERT_TRUE(WriteHostFile(disk2 / "DISK2.TAG", "2"));
    EXPECT_NE(GetFileAttributesA("D:\\DISK1.TAG"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(host::InsertMedium('D', disk2.path()));
    EXPECT_EQ(GetFileAttributesA("D:\\DISK1.TAG"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA("D:\\DISK2.TAG"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM)); // still the same drive
    EXPECT_FALSE(host::InsertMedium('D', disk2 / "missing"));
    EXPECT_FALSE(host::InsertMedium('C', disk2.path()));
    EXPECT_NE(GetFileAttributesA("D:\\DISK2.TAG"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DriveTest, TheMediumsTypeFollowsTheOptions) {
    host::StopMachine();
    host::MachineOptions options;
    options.mediaType = DRIVE_REMOTE;
    ASSERT_TRUE(Start(options));
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_REMOTE));
    // A writable medium takes files.
    HANDLE file = CreateFileA("D:\\NEW.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

} // namespace
