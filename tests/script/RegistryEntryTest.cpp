#include "script/RegistryEntry.h"
#include "script/RegistryValue.h"
#include "script/TargetFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const CRegistryValue& value) {
    return std::vector<BYTE>(value.m_binData.GetData(),
                             value.m_binData.GetData() + value.m_binData.GetSize());
}

} // namespace

TEST(CRegistryEntry, KeyWithParent) {
    CRegistryEntry entry("APPKEY", "HKEY_LOCAL_MACHINE,SOFTWARE\\SAMPLECO");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_STREQ("APPKEY", entry.m_strKeyName);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, entry.m_hRootKey);
    EXPECT_STREQ("SOFTWARE\\SAMPLECO", entry.m_strParentKey);
    EXPECT_EQ(OS_ALL, entry.m_dwTargetOS);
    EXPECT_EQ(PC_ALL, entry.m_dwTargetPC);
    EXPECT_EQ(0, entry.m_valueList.GetCount());
    EXPECT_EQ(10, entry.m_valueList.GetBlockSize());
}

TEST(CRegistryEntry, RootKeys) {
    EXPECT_EQ(HKEY_CLASSES_ROOT, CRegistryEntry("K", "hkey_classes_root").m_hRootKey);
    EXPECT_EQ(HKEY_CURRENT_USER, CRegistryEntry("K", " HKEY_CURRENT_USER ,X").m_hRootKey);
    EXPECT_EQ(HKEY_USERS, CRegistryEntry("K", "HKEY_USERS").m_hRootKey);
    CRegistryEntry unknown("K", "HKLM,SOFTWARE");
    EXPECT_TRUE(unknown.m_bValid);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, unknown.m_hRootKey);
    EXPECT_STREQ("SOFTWARE", unknown.m_strParentKey);
    CRegistryEntry empty("K", "");
    EXPECT_TRUE(empty.m_bValid);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, empty.m_hRootKey);
    EXPECT_STREQ("", empty.m_strParentKey);
}

TEST(CRegistryEntry, Filters) {
    CRegistryEntry nt("NTKEY,WINNT40", "HKEY_LOCAL_MACHINE,SYSTEM");
    EXPECT_TRUE(nt.m_bValid);
    EXPECT_EQ(OS_WINNT40, nt.m_dwTargetOS);
    CRegistryEntry pc("K,,PC98", "");
    EXPECT_TRUE(pc.m_bValid);
    EXPECT_EQ(OS_ALL, pc.m_dwTargetOS);
    EXPECT_EQ(PC_PC98, pc.m_dwTargetPC);
    EXPECT_FALSE(CRegistryEntry("K,WIN98", "").m_bValid);
    EXPECT_FALSE(CRegistryEntry("K,WIN95,PC-98", "").m_bValid);
}

TEST(CRegistryEntry, AnEmptyKeyNameIsInvalid) {
    EXPECT_FALSE(CRegistryEntry(",WIN95", "").m_bValid);
    EXPECT_FALSE(CRegistryEntry("", "").m_bValid);
    EXPECT_FALSE(CRegistryEntry("   ", "").m_bValid);
}

TEST(CRegistryEntry, LongKeysAreRefusedNotOverrun) {
    EXPECT_TRUE(CRegistryEntry(std::string(1023, 'K').c_str(), "").m_bValid);
    EXPECT_FALSE(CRegistryEntry(std::string(1024, 'K').c_str(), "").m_bValid);
    EXPECT_FALSE(CRegistryEntry(std::string(100000, 'K').c_str(), "").m_bValid);
}

TEST(CRegistryEntry, AddValueKeepsOnlyValidValuesInOrder) {
    CRegistryEntry entry("K", "");
    entry.AddValue("A", "REG_SZ,first");
    entry.AddValue("B", "REG_EXPAND_SZ,x");
    entry.AddValue("", "REG_SZ,x");
    entry.AddValue("C", "REG_DWORD,3");
    ASSERT_EQ(2, entry.m_valueList.GetCount());
    POSITION position = entry.m_valueList.GetHeadPosition();
    auto* first = static_cast<CRegistryValue*>(entry.m_valueList.GetNext(position));
    auto* second = static_cast<CRegistryValue*>(entry.m_valueList.GetNext(position));
    EXPECT_STREQ("A", first->m_strValueName);
    EXPECT_STREQ("C", second->m_strValueName);
}

TEST(CRegistryValue, Types) {
    CRegistryValue text("InstallDir", "REG_SZ,C:\\SAMPLE");
    ASSERT_TRUE(text.m_bValid);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text.m_dwType);
    EXPECT_STREQ("C:\\SAMPLE", text.m_strData);

    CRegistryValue number("Count", "REG_DWORD,3");
    ASSERT_TRUE(number.m_bValid);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), number.m_dwType);
    EXPECT_EQ(3u, number.m_dwData);

    CRegistryValue binary("Pattern", "REG_BINARY,1,0,255");
    ASSERT_TRUE(binary.m_bValid);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), binary.m_dwType);
    EXPECT_EQ((std::vector<BYTE>{1, 0, 255}), Bytes(binary));

    CRegistryValue lower("x", "reg_sz");
    EXPECT_TRUE(lower.m_bValid);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), lower.m_dwType);
    EXPECT_STREQ("", lower.m_strData);
}

TEST(CRegistryValue, InvalidLines) {
    EXPECT_FALSE(CRegistryValue("x", "REG_EXPAND_SZ,a").m_bValid);
    EXPECT_FALSE(CRegistryValue("x", "REG_MULTI_SZ,a").m_bValid);
    EXPECT_FALSE(CRegistryValue("x", "").m_bValid);
    EXPECT_FALSE(CRegistryValue("", "REG_SZ,a").m_bValid);
    EXPECT_FALSE(CRegistryValue("x", "REG_SZX").m_bValid);
}

TEST(CRegistryValue, TextEndsAtAComma) {
    CRegistryValue value("x", "REG_SZ,  one two , three");
    EXPECT_STREQ("one two", value.m_strData);
}

TEST(CRegistryValue, DwordData) {
    EXPECT_EQ(0u, CRegistryValue("x", "REG_DWORD,0x10").m_dwData);
    EXPECT_EQ(0xFFFFFFFFu, CRegistryValue("x", "REG_DWORD,4294967295").m_dwData);
    EXPECT_EQ(0xFFFFFFFFu, CRegistryValue("x", "REG_DWORD,-1").m_dwData);
    EXPECT_EQ(0xFFFFFFFEu, CRegistryValue("x", "REG_DWORD,-2").m_dwData);
    EXPECT_EQ(0u, CRegistryValue("x", "REG_DWORD,").m_dwData);
    EXPECT_EQ(0u, CRegistryValue("x", "REG_DWORD").m_dwData);
    EXPECT_TRUE(CRegistryValue("x", "REG_DWORD").m_bValid);
}

TEST(CRegistryValue, BinaryData) {
    EXPECT_EQ((std::vector<BYTE>{1, 2, 0x2C}), Bytes(CRegistryValue("x", "REG_BINARY,1,2,300")));
    EXPECT_EQ((std::vector<BYTE>{1, 0, 2}), Bytes(CRegistryValue("x", "REG_BINARY,1,,2")));
    EXPECT_EQ((std::vector<BYTE>{1, 2}), Bytes(CRegistryValue("x", "REG_BINARY,1,2,")));
    EXPECT_EQ((std::vector<BYTE>{0, 255}), Bytes(CRegistryValue("x", "REG_BINARY,256,-1")));
    CRegistryValue none("x", "REG_BINARY");
    EXPECT_TRUE(none.m_bValid);
    EXPECT_EQ(0, none.m_binData.GetSize());
}
