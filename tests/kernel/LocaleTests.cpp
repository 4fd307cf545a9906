// The machine's locale: its LCIDs, the locale facts, the code page and the conversions.
#include "MachineFixture.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string LocaleText(LCID locale, LCTYPE type) {
    char buffer[256];
    int length = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer) : std::string("<failed>");
}

struct LanguageCase {
    const char* abbreviation;
    LCID lcid;
    const char* dateOrder;
    UINT codePage;
};

class LocaleTest : public MachineTest, public ::testing::WithParamInterface<LanguageCase> {
  protected:
    void SetUp() override {
        m_language = GetParam().abbreviation;
        MachineTest::SetUp();
    }
};

TEST_P(LocaleTest, TheMachineAnswersForItsLanguage) {
    const LanguageCase& expected = GetParam();
    EXPECT_EQ(GetUserDefaultLCID(), expected.lcid);
    EXPECT_EQ(GetSystemDefaultLCID(), expected.lcid);
    EXPECT_EQ(host::LanguageAbbreviation(), expected.abbreviation);
    for (LCID locale : {static_cast<LCID>(LOCALE_USER_DEFAULT),
                        static_cast<LCID>(LOCALE_SYSTEM_DEFAULT), expected.lcid}) {
        EXPECT_EQ(LocaleText(locale, LOCALE_SABBREVLANGNAME), expected.abbreviation);
        EXPECT_EQ(LocaleText(locale, LOCALE_IDATE), expected.dateOrder);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(expected.lcid));
        EXPECT_EQ(LocaleText(locale, LOCALE_ILANGUAGE), hex);
    }
    EXPECT_EQ(GetACP(), expected.codePage);
    EXPECT_EQ(LocaleText(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE),
              std::to_string(expected.codePage));
}

INSTANTIATE_TEST_SUITE_P(Languages, LocaleTest,
                         ::testing::Values(LanguageCase{"JPN", 0x0411, "2", 932},
                                           LanguageCase{"ENU", 0x0409, "0", 1252},
                                           LanguageCase{"ENG", 0x0809, "1", 1252},
                                           LanguageCase{"DEU", 0x0407, "1", 1252},
                                           LanguageCase{"FRA", 0x040C, "1", 1252}),
                         [](const auto& info) { return std::string(info.param.abbreviation); });

using LocaleInfoTest = MachineTest;

TEST_F(LocaleInfoTest, AnyKnownLocaleCanBeAsked) {
    EXPECT_EQ(LocaleText(0x0411, LOCALE_SABBREVLANGNAME), "JPN");
    EXPECT_EQ(LocaleText(0x0410, LOCALE_SABBREVLANGNAME), "ITA");
    EXPECT_EQ(LocaleText(0x0C0A, LOCALE_SABBREVLANGNAME), "ESP");
    EXPECT_EQ(LocaleText(0x0412, LOCALE_SABBREVLANGNAME), "KOR");
    EXPECT_EQ(LocaleText(0x0404, LOCALE_SABBREVLANGNAME), "CHT");
    EXPECT_EQ(LocaleText(0x0804, LOCALE_SABBREVLANGNAME), "CHS");
    EXPECT_EQ(LocaleText(0x0413, LOCALE_SABBREVLANGNAME), "NLD");
    EXPECT_EQ(LocaleText(0x041D, LOCALE_SABBREVLANGNAME), "SVE");
    // A language with its default or neutral sublanguage is the language's main locale.
    EXPECT_EQ(LocaleText(MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), LOCALE_SABBREVLANGNAME), "DEU");
    EXPECT_EQ(LocaleText(MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL), LOCALE_SABBREVLANGNAME), "ENU");
    EXPECT_EQ(LocaleText(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), LOCALE_IDATE), "1");
    EXPECT_EQ(LocaleText(0x0411, LOCALE_IDEFAULTANSICODEPAGE), "932");
    EXPECT_EQ(LocaleText(0x0407, LOCALE_SSHORTDATE), "dd.MM.yyyy");
    EXPECT_EQ(LocaleText(0x0409, LOCALE_IDATE | LOCALE_NOUSEROVERRIDE), "0");
    char buffer[16];
    EXPECT_EQ(GetLocaleInfoA(0x0C09 /* English, Australia */, LOCALE_IDATE, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetLocaleInfoA(0x0409, 0x7777, buffer, 16), 0);
}

TEST_F(LocaleInfoTest, BufferRules) {
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SABBREVLANGNAME, buffer, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SABBREVLANGNAME, buffer, 4), 4);
    EXPECT_STREQ(buffer, "JPN");
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SABBREVLANGNAME, buffer, -1), 0);
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SABBREVLANGNAME, nullptr, 4), 0);
}

TEST(HostLocale, LanguageComesFromTheLocaleVariables) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        saved[i] = value ? value : "";
        unsetenv(names[i]);
    }
    auto with = [](const char* lang) {
        setenv("LANG", lang, 1);
        return host::LanguageFromHostLocale();
    };
    EXPECT_EQ(with("ja_JP.UTF-8"), "JPN");
    EXPECT_EQ(with("en_US.UTF-8"), "ENU");
    EXPECT_EQ(with("en_GB"), "ENG");
    EXPECT_EQ(with("en_AU.UTF-8"), "ENU");
    EXPECT_EQ(with("de_DE.UTF-8"), "DEU");
    EXPECT_EQ(with("de_AT"), "DEU");
    EXPECT_EQ(with("fr_FR@euro"), "FRA");
    EXPECT_EQ(with("zh_TW.Big5"), "CHT");
    EXPECT_EQ(with("zh_CN.GB2312"), "CHS");
    // The C locale tells nothing of the user: the installer's own language.
    EXPECT_EQ(with("C"), "JPN");
    EXPECT_EQ(with("POSIX"), "JPN");
    EXPECT_EQ(with("C.UTF-8"), "JPN");
    EXPECT_EQ(with("xx_YY"), "ENU");
    setenv("LC_MESSAGES", "ja_JP", 1);
    EXPECT_EQ(with("de_DE"), "JPN");
    setenv("LC_ALL", "fr_FR", 1);
    EXPECT_EQ(with("de_DE"), "FRA");
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

TEST(HostLocale, AMachineWithoutLanguageTakesTheHosts) {
    TempDir prefix, media;
    const char* old = std::getenv("LC_ALL");
    std::string saved = old ? old : "";
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    host::MachineOptions options;
    options.prefix = prefix.path();
    options.mediaDir = media.path();
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
    EXPECT_EQ(GetACP(), 932u);
    host::StopMachine();
    if (old)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(HostLocale, TheCodePageIsTheSystemsAndTheLanguageTheUsers) {
    TempDir prefix, media;
    host::MachineOptions options;
    options.prefix = prefix.path();
    options.mediaDir = media.path();
    options.language = "ENU";
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
    EXPECT_EQ(GetSystemDefaultLCID(), 0x0411u);
    char date[8] = "";
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, date, sizeof date), 0);
    EXPECT_STREQ(date, "0");
    host::StopMachine();

    options.language = "JPN";
    options.codePage = 1252;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
    EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
    host::StopMachine();

    options.codePage = 437;
    EXPECT_FALSE(host::StartMachine(options, error));
}

using JapaneseCodePageTest = JapaneseMachineTest;

TEST_F(JapaneseCodePageTest, LeadBytesAndConversions) {
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0x9F));
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_TRUE(IsDBCSLeadByte(0xFC));
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_FALSE(IsDBCSLeadByte(0xA0));
    EXPECT_FALSE(IsDBCSLeadByte(0xB1)); // half-width katakana
    EXPECT_FALSE(IsDBCSLeadByte(0xFD));
    EXPECT_FALSE(IsDBCSLeadByte('\\'));

    WCHAR wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x95\x5C\xB1", -1, wide, 8), 3);
    EXPECT_EQ(wide[0], u'\u8868');
    EXPECT_EQ(wide[1], u'\uFF71');
    EXPECT_EQ(wide[2], 0);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x95\x5C", 2, nullptr, 0), 1);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x95\x5C", 2, wide, 0), 1);
    char narrow[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u8868a", -1, narrow, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(narrow, "\x95\x5C"
                         "a");
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u00E9", 1, narrow, 8, nullptr, &usedDefault), 1);
    EXPECT_EQ(narrow[0], '?');
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u8868\u8868", 2, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    EXPECT_EQ(host::AnsiToUtf8("\x93\xFA\x96\x7B"), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(host::Utf8ToAnsi("\xE6\x97\xA5\xE6\x9C\xAC"), "\x93\xFA\x96\x7B");
    // The edges always get text: what has no character becomes a question mark.
    EXPECT_EQ(host::AnsiToUtf8("a\x95"), "a?");
    EXPECT_EQ(host::Utf8ToAnsi("\xC3\xA9t\xC3\xA9"), "?t?");
}

using WesternCodePageTest = MachineTest;

TEST_F(WesternCodePageTest, Code1252HasNoLeadBytes) {
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_FALSE(IsDBCSLeadByte(static_cast<BYTE>(byte))) << byte;
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(host::AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(host::Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    // Every byte of the code page has a character and comes back unchanged.
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(host::Utf8ToAnsi(host::AnsiToUtf8(all)), all);

    WCHAR wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE2\x82\xAC", 3, wide, 4), 1);
    EXPECT_EQ(wide[0], u'\u20AC');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    char narrow[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600", 2, narrow, 8, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(narrow, 4), "\xF0\x9F\x98\x80");
}

} // namespace
