#include "MachineFixture.h"

#include "script/TargetFilter.h"

TEST(ParseTargetOS, Keywords) {
    EXPECT_EQ(0x1000Fu, ParseTargetOS(""));
    EXPECT_EQ(0x1000Fu, ParseTargetOS("   "));
    EXPECT_EQ(0x1000Fu, ParseTargetOS("common"));
    EXPECT_EQ(0x10000u, ParseTargetOS("Win95"));
    EXPECT_EQ(0x4u, ParseTargetOS("WINNT351"));
    EXPECT_EQ(0x4u, ParseTargetOS("WINNT351_ONLY"));
    EXPECT_EQ(0xEu, ParseTargetOS("WINNT35"));
    EXPECT_EQ(0xFu, ParseTargetOS(" winnt31 "));
    EXPECT_EQ(0x8u, ParseTargetOS("WINNT40"));
}

TEST(ParseTargetOS, UnknownKeywordsGiveZero) {
    EXPECT_EQ(0u, ParseTargetOS("WINNT4"));
    EXPECT_EQ(0u, ParseTargetOS("WIN98"));
    EXPECT_EQ(0u, ParseTargetOS("\tWIN95"));
    EXPECT_EQ(0u, ParseTargetOS("WIN95X"));
}

TEST(ParseTargetPC, Keywords) {
    EXPECT_EQ(0x3u, ParseTargetPC(""));
    EXPECT_EQ(0x3u, ParseTargetPC("COMMON"));
    EXPECT_EQ(0x1u, ParseTargetPC("pcat"));
    EXPECT_EQ(0x2u, ParseTargetPC("pc98"));
    EXPECT_EQ(0x80000000u, ParseTargetPC("PC-98"));
    EXPECT_EQ(0x80000000u, ParseTargetPC("AT"));
}

TEST(WidenOSMask, LowestNtBitWins) {
    EXPECT_EQ(0xFu, WidenOSMask(0x1));
    EXPECT_EQ(0xFu, WidenOSMask(0x3));
    EXPECT_EQ(0xEu, WidenOSMask(0x2));
    EXPECT_EQ(0xEu, WidenOSMask(0x6));
    EXPECT_EQ(0xCu, WidenOSMask(0x4));
    EXPECT_EQ(0x8u, WidenOSMask(0x8));
    EXPECT_EQ(0x1000Fu, WidenOSMask(0x10001));
    EXPECT_EQ(0x1000Cu, WidenOSMask(0x10004));
    EXPECT_EQ(0x10000u, WidenOSMask(0x10000));
    EXPECT_EQ(0x0u, WidenOSMask(0x0));
}

class RunningSystem : public MachineTest {};

TEST_F(RunningSystem, EachEmulatedOsHasItsBit) {
    struct Case {
        host::OsKind os;
        DWORD bit;
    };
    const Case cases[] = {
        {host::OsKind::Win95, 0x10000}, {host::OsKind::Nt31, 0x1}, {host::OsKind::Nt35, 0x2},
        {host::OsKind::Nt351, 0x4},     {host::OsKind::Nt4, 0x8},
    };
    for (const Case& c : cases) {
        StartMachine(c.os);
        EXPECT_EQ(c.bit, GetRunningOS()) << static_cast<int>(c.os);
        host::StopMachine();
    }
}

TEST_F(RunningSystem, Nt31AndNt35ReportTheirRealMinorVersions) {
    // The real systems say 3.10 and 3.50; both must be recognised.
    StartMachine(host::OsKind::Nt31);
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(3u, info.dwMajorVersion);
    EXPECT_EQ(10u, info.dwMinorVersion);
    EXPECT_EQ(0x1u, GetRunningOS());
    host::StopMachine();

    StartMachine(host::OsKind::Nt35);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(50u, info.dwMinorVersion);
    EXPECT_EQ(0x2u, GetRunningOS());
}

TEST_F(RunningSystem, Pc98IsRecognised) {
    StartMachine(host::OsKind::Nt4, host::PcKind::Pc98, "JPN");
    EXPECT_EQ(0x2u, GetRunningPC());
    host::StopMachine();
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    EXPECT_EQ(0x1u, GetRunningPC());
}
