// Scripts made of random pieces of the format, bad bytes among them, after a fixed valid head:
// the loader never crashes, hangs or overruns a buffer, and whatever it accepts is well formed.
#include "MachineFixture.h"

#include "script/FileEntry.h"
#include "script/RegistryEntry.h"
#include "script/SetupScript.h"
#include "script/TargetFilter.h"

#include <random>
#include <string>

namespace {

const char* const kPieces[] = {
    "[Setup]",
    "[Files]",
    "[Registry]",
    "[KEY]",
    "[KEY,WIN95]",
    "InfRevision=1",
    "TargetOS=F",
    "TargetOS=10000",
    "TargetPC=2",
    "1:A.TXT",
    "2:DIR\\B.TXT,WINNT40",
    ":",
    ",",
    "=",
    ";",
    "\"",
    "[",
    "]",
    "\r\n",
    "\n",
    "\r",
    " ",
    "\t",
    "KEY=HKEY_CURRENT_USER,Software",
    "V=REG_BINARY,1,2,300",
    "V=REG_SZ,x",
    "=<SYS>\\X,0,10003",
    "\x95\x5C",
    "\x83\x5D",
    "\x82",
    "WIN95",
    "PC98",
    "COMMON",
};

std::string RandomScript(std::mt19937& random) {
    std::string text = "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\n[Files]\r\n1:OK.TXT=\r\n";
    std::uniform_int_distribution<size_t> piece(0, sizeof kPieces / sizeof kPieces[0] - 1);
    std::uniform_int_distribution<int> count(0, 400);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 19);
    for (int i = count(random); i > 0; --i) {
        switch (kind(random)) {
        case 0:
            text += static_cast<char>(byte(random)); // any byte, NUL included
            break;
        case 1:
            text += std::string(static_cast<size_t>(count(random)) * 7, 'L'); // long runs
            break;
        default:
            text += kPieces[piece(random)];
            break;
        }
    }
    return text;
}

} // namespace

class RandomScripts : public MachineTest {};

TEST_F(RandomScripts, NeverHurtTheLoader) {
    for (const char* language : {"JPN", "ENU"}) {
        StartMachine(host::OsKind::Win95, host::PcKind::Pc98, language);
        std::mt19937 random(20240601);
        for (int round = 0; round < 60; ++round) {
            std::string text = RandomScript(random);
            WriteMediaFile("INSTKIT.INF", text);
            MessageRecorder recorder(m_temp / "transcript.txt");
            CSetupScript script;
            // The fixed head makes every script acceptable whatever follows it: later
            // occurrences of its sections and keys never override the first ones.
            EXPECT_TRUE(recorder.Messages().empty());
            ASSERT_TRUE(script.m_bLoaded) << round;
            EXPECT_STREQ("OK.TXT", script.GetFirstFile()->m_strSrcPath);
            for (POSITION p = script.m_fileList.GetHeadPosition(); p;) {
                auto* entry = static_cast<CFileEntry*>(script.m_fileList.GetNext(p));
                EXPECT_TRUE(entry->m_bValid);
                EXPECT_TRUE(entry->m_dwTargetOS & OS_WIN95);
                EXPECT_TRUE(entry->m_dwTargetPC & PC_PC98);
                EXPECT_LE(entry->m_nOverwriteMode, 0xFFFFu);
            }
            for (POSITION p = script.m_registryList.GetHeadPosition(); p;) {
                auto* entry = static_cast<CRegistryEntry*>(script.m_registryList.GetNext(p));
                EXPECT_TRUE(entry->m_bValid);
                EXPECT_FALSE(entry->m_strKeyName.IsEmpty());
            }
        }
        host::StopMachine();
    }
}
