// Locale services: the machine's user and system locale, the locale facts programs ask for,
// the ANSI code page and the conversions to and from wide characters.
#include "kernel/MachineState.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace host::detail {
namespace {

// The first entry of a language is its default when only the language is known.
const LocaleFacts kLocales[] = {
    {"JPN", 0x0411, "ja", "JP", 932, 932, "2", "yyyy/MM/dd", "Japanese", "JPN"},
    {"ENU", 0x0409, "en", "US", 1252, 437, "0", "M/d/yyyy", "English", "USA"},
    {"ENG", 0x0809, "en", "GB", 1252, 850, "1", "dd/MM/yyyy", "English", "GBR"},
    {"DEU", 0x0407, "de", "", 1252, 850, "1", "dd.MM.yyyy", "German", "DEU"},
    {"FRA", 0x040C, "fr", "", 1252, 850, "1", "dd/MM/yyyy", "French", "FRA"},
    {"ITA", 0x0410, "it", "", 1252, 850, "1", "dd/MM/yyyy", "Italian", "ITA"},
    {"ESP", 0x0C0A, "es", "", 1252, 850, "1", "dd/MM/yyyy", "Spanish", "ESP"},
    {"KOR", 0x0412, "ko", "", 949, 949, "2", "yyyy-MM-dd", "Korean", "KOR"},
    {"CHT", 0x0404, "zh", "TW", 950, 950, "2", "yyyy/M/d", "Chinese", "TWN"},
    {"CHS", 0x0804, "zh", "CN", 936, 936, "2", "yyyy/M/d", "Chinese", "CHN"},
    {"NLD", 0x0413, "nl", "", 1252, 850, "1", "d-M-yyyy", "Dutch", "NLD"},
    {"SVE", 0x041D, "sv", "", 1252, 850, "2", "yyyy-MM-dd", "Swedish", "SWE"},
};

const LocaleFacts& DefaultLocale() {
    return kLocales[1];
}

const LocaleFacts* FindLocaleByLcid(LCID lcid) {
    LCID masked = lcid & 0xFFFFF; // the sort id does not change the facts asked here
    if (masked == LOCALE_SYSTEM_DEFAULT)
        masked = TheMachine().systemLcid;
    else if (masked == LOCALE_USER_DEFAULT || masked == 0)
        masked = TheMachine().lcid;
    LANGID language = LANGIDFROMLCID(masked);
    for (const LocaleFacts& facts : kLocales)
        if (LANGIDFROMLCID(facts.lcid) == language)
            return &facts;
    // A neutral or default sublanguage stands for the language's main locale.
    if (SUBLANGID(language) == SUBLANG_NEUTRAL || SUBLANGID(language) == SUBLANG_DEFAULT)
        for (const LocaleFacts& facts : kLocales)
            if (PRIMARYLANGID(facts.lcid) == PRIMARYLANGID(language))
                return &facts;
    return nullptr;
}

std::string LocaleInfoText(const LocaleFacts& facts, LCTYPE type, bool& known) {
    char number[16];
    known = true;
    switch (type) {
    case LOCALE_ILANGUAGE:
        std::snprintf(number, sizeof number, "%04x", static_cast<unsigned>(facts.lcid & 0xFFFF));
        return number;
    case LOCALE_SLANGUAGE:
    case LOCALE_SENGLANGUAGE:
        return facts.englishName;
    case LOCALE_SABBREVLANGNAME:
        return facts.abbreviation;
    case LOCALE_SABBREVCTRYNAME:
        return facts.countryAbbreviation;
    case LOCALE_IDEFAULTANSICODEPAGE:
        return std::to_string(facts.ansiCodePage);
    case LOCALE_IDEFAULTCODEPAGE:
        return std::to_string(facts.oemCodePage);
    case LOCALE_SSHORTDATE:
        return facts.shortDate;
    case LOCALE_IDATE:
        return facts.dateOrder;
    default:
        known = false;
        return std::string();
    }
}

// A C locale name: language[_territory][.codeset][@modifier].
void SplitLocaleName(const std::string& name, std::string& language, std::string& territory) {
    size_t end = name.find_first_of(".@");
    std::string head = name.substr(0, end);
    size_t underscore = head.find('_');
    language = head.substr(0, underscore);
    territory = underscore == std::string::npos ? std::string() : head.substr(underscore + 1);
    for (char& c : language)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : territory)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

const LocaleFacts* FindLocaleByAbbreviation(const std::string& abbreviation) {
    for (const LocaleFacts& facts : kLocales)
        if (strcasecmp(facts.abbreviation, abbreviation.c_str()) == 0)
            return &facts;
    return nullptr;
}

UINT AnsiCodePage() {
    return TheMachine().codePage;
}

LCID SystemLocaleFor(UINT codePage, LCID userLcid) {
    const LocaleFacts* user = FindLocaleByLcid(userLcid);
    if (user != nullptr && user->ansiCodePage == codePage)
        return user->lcid;
    for (const LocaleFacts& facts : kLocales)
        if (facts.ansiCodePage == codePage)
            return facts.lcid;
    return DefaultLocale().lcid;
}

} // namespace host::detail

namespace host {

std::string LanguageFromHostLocale() {
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            name = value;
            break;
        }
    }
    // The C locale says nothing about the user, and the installer speaks Japanese.
    const char* japanese = detail::kLocales[0].abbreviation;
    if (!name)
        return japanese;
    std::string language, territory;
    detail::SplitLocaleName(name, language, territory);
    if (language == "c" || language == "posix")
        return japanese;
    const detail::LocaleFacts* byLanguage = nullptr;
    for (const detail::LocaleFacts& facts : detail::kLocales) {
        if (language != facts.posixLanguage)
            continue;
        if (territory == facts.posixTerritory)
            return facts.abbreviation;
        if (!byLanguage)
            byLanguage = &facts;
    }
    return byLanguage ? byLanguage->abbreviation : detail::DefaultLocale().abbreviation;
}

std::string LanguageAbbreviation() {
    return detail::TheMachine().language;
}

} // namespace host

using namespace host::detail;

LCID WINAPI GetUserDefaultLCID() {
    return TheMachine().lcid;
}

LCID WINAPI GetSystemDefaultLCID() {
    return TheMachine().systemLcid;
}

int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
    if (size < 0 || (size > 0 && !data)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const LocaleFacts* facts = FindLocaleByLcid(locale);
    if (!facts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool known = false;
    std::string text = LocaleInfoText(*facts, type & ~LOCALE_NOUSEROVERRIDE, known);
    if (!known) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    int needed = static_cast<int>(text.size()) + 1;
    if (size == 0)
        return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, text.c_str(), static_cast<size_t>(needed));
    return needed;
}

UINT WINAPI GetACP() {
    return AnsiCodePage();
}

UINT WINAPI GetOEMCP() {
    const LocaleFacts* facts = FindLocaleByLcid(TheMachine().systemLcid);
    return facts ? facts->oemCodePage : 437;
}

BOOL WINAPI IsDBCSLeadByte(BYTE test) {
    return IsAnsiLeadByte(test);
}

BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE test) {
    return IsLeadByte(codePage, test);
}

namespace {

// Converts a text that does not convert as a whole character by character, so that one bad
// character costs only itself, as the system's conversions behave without strict flags.
void ToWideLenient(UINT codePage, const std::string& text, std::u16string& wide) {
    wide.clear();
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (codePage == CP_UTF8)
            length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        else if (IsLeadByte(codePage, c))
            length = 2;
        if (i + length > text.size())
            length = text.size() - i;
        std::u16string piece;
        if (MultiByteToWide(codePage, text.substr(i, length), piece)) {
            wide += piece;
        } else {
            wide.push_back(codePage == CP_UTF8 ? u'\xFFFD' : u'?');
            length = 1;
        }
        i += length;
    }
}

} // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                               int wideLength) {
    if (!text || wideLength < 0 || (wideLength > 0 && !wide) || length < -1 || length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string input = length == -1 ? std::string(text, std::strlen(text) + 1)
                                     : std::string(text, static_cast<size_t>(length));
    std::u16string result;
    if (!MultiByteToWide(codePage, input, result)) {
        if (flags & MB_ERR_INVALID_CHARS) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        ToWideLenient(codePage == CP_ACP || codePage == CP_OEMCP ? AnsiCodePage() : codePage, input,
                      result);
    }
    int needed = static_cast<int>(result.size());
    if (wideLength == 0)
        return needed;
    if (wideLength < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, result.data(), result.size() * sizeof(WCHAR));
    return needed;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                               int length, LPCSTR defaultChar, LPBOOL usedDefault) {
    (void)flags;
    if (!wide || length < 0 || (length > 0 && !text) || wideLength < -1 || wideLength == 0 ||
        !IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string input;
    if (wideLength == -1) {
        size_t count = 0;
        while (wide[count])
            ++count;
        input.assign(wide, count + 1);
    } else {
        input.assign(wide, static_cast<size_t>(wideLength));
    }
    if (usedDefault)
        *usedDefault = FALSE;
    std::string result;
    if (!WideToMultiByte(codePage, input, result)) {
        std::string replacement = defaultChar && *defaultChar ? defaultChar : "?";
        result.clear();
        for (size_t i = 0; i < input.size(); ++i) {
            size_t count = input[i] >= 0xD800 && input[i] <= 0xDBFF && i + 1 < input.size() ? 2 : 1;
            std::string piece;
            if (WideToMultiByte(codePage, input.substr(i, count), piece)) {
                result += piece;
            } else {
                result += codePage == CP_UTF8 ? std::string("\xEF\xBF\xBD") : replacement;
                if (usedDefault)
                    *usedDefault = TRUE;
            }
            i += count - 1;
        }
    }
    int needed = static_cast<int>(result.size());
    if (length == 0)
        return needed;
    if (length < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(text, result.data(), result.size());
    return needed;
}
