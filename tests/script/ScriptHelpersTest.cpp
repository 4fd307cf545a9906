// The loader's helpers on the drives of the machine: the test's drive C: and the medium in D:.
#include "PrefixMachine.h"

#include "script/SetupScript.h"

namespace {

class SetupScriptHelpers : public PrefixMachineTest {};

TEST_F(SetupScriptHelpers, FileExistsCreatesNothing) {
    ASSERT_TRUE(WriteHostFile(m_temp / "media/THERE.TXT", "x"));
    EXPECT_TRUE(FileExists("D:\\THERE.TXT"));
    EXPECT_TRUE(FileExists("d:\\there.txt"));
    EXPECT_FALSE(FileExists("D:\\MISSING.TXT"));
    EXPECT_FALSE(HostFileExists(m_temp / "media/MISSING.TXT"));
    EXPECT_FALSE(FileExists(Windows("MISSING.TXT").c_str()));
    // The first call created nothing either.
    EXPECT_FALSE(FileExists(Windows("MISSING.TXT").c_str()));
}

TEST_F(SetupScriptHelpers, FindFirstDriveOfType) {
    EXPECT_STREQ("C:\\", FindFirstDriveOfType(DRIVE_FIXED));
    EXPECT_STREQ("D:\\", FindFirstDriveOfType(DRIVE_CDROM));
    EXPECT_STREQ("", FindFirstDriveOfType(DRIVE_RAMDISK));
}

} // namespace
