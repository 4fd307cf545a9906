// Directory searches: FindFirstFileA, FindNextFileA and FindClose.
#include "kernel/FilesHandles.h"
#include "kernel/MachineState.h"
#include "PathMap.h"

#include <mbstring.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>

using namespace host::detail;

namespace {

unsigned char Fold(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

size_t CharLength(const std::string& text, size_t at) {
    return IsAnsiLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// '*' matches any run of characters, '?' exactly one; a double-byte character is one
// character; ASCII letters match without regard to case.
bool MatchFrom(const std::string& name, size_t n, const std::string& pattern, size_t p) {
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*')
                ++p;
            if (p == pattern.size())
                return true;
            for (size_t at = n; at <= name.size();
                 at += at < name.size() ? CharLength(name, at) : 1)
                if (MatchFrom(name, at, pattern, p))
                    return true;
            return false;
        }
        if (n >= name.size())
            return false;
        size_t patternLength = CharLength(pattern, p);
        size_t nameLength = CharLength(name, n);
        if (pattern[p] != '?') {
            if (patternLength != nameLength)
                return false;
            if (patternLength == 2 ? pattern.compare(p, 2, name, n, 2) != 0
                                   : Fold(static_cast<unsigned char>(pattern[p])) !=
                                         Fold(static_cast<unsigned char>(name[n])))
                return false;
        }
        p += patternLength;
        n += nameLength;
    }
    return n == name.size();
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (MatchFrom(name, 0, pattern, 0))
        return true;
    // As on DOS, "NAME.*" also finds NAME without extension, and "*." finds names without one.
    bool hasDot = name.find('.') != std::string::npos;
    if (pattern.size() > 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 && !hasDot)
        return MatchFrom(name, 0, pattern.substr(0, pattern.size() - 2), 0);
    return false;
}

bool HasWildcards(const std::string& name) {
    for (size_t i = 0; i < name.size(); i += CharLength(name, i))
        if (name[i] == '*' || name[i] == '?')
            return true;
    return false;
}

bool IsRepresentable(const std::string& ansi) {
    if (ansi.empty() || ansi.size() >= MAX_PATH)
        return false;
    for (size_t i = 0; i < ansi.size(); i += CharLength(ansi, i)) {
        unsigned char c = static_cast<unsigned char>(ansi[i]);
        if (CharLength(ansi, i) == 1 && (IsBadNameChar(c) || IsAnsiLeadByte(c)))
            return false;
    }
    return true;
}

bool IsShortNameChar(unsigned char c) {
    return c > 0x20 && !IsBadNameChar(c) && !std::strchr("+,;=[]. ", c);
}

// A name that already has the 8.3 form needs no alternate name.
bool IsShortForm(const std::string& name) {
    if (name == "." || name == "..")
        return true;
    size_t dot = name.find('.');
    size_t baseLength = dot == std::string::npos ? name.size() : dot;
    size_t extensionLength = dot == std::string::npos ? 0 : name.size() - dot - 1;
    if (baseLength == 0 || baseLength > 8 || extensionLength > 3 ||
        (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos))
        return false;
    for (size_t i = 0; i < name.size(); i += CharLength(name, i))
        if (i != dot && CharLength(name, i) == 1 &&
            !IsShortNameChar(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// Takes up to limit bytes of the name's short-name characters, upper case, never cutting a
// double-byte character.
std::string ShortPiece(const std::string& text, size_t limit) {
    std::string piece;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        size_t length = CharLength(text, i);
        if (length == 1) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == ' ' || c == '.')
                continue;
            c = IsShortNameChar(c) ? Fold(c) : '_';
            if (piece.size() + 1 > limit)
                break;
            piece += static_cast<char>(c);
        } else {
            if (piece.size() + 2 > limit)
                break;
            piece += text.substr(i, 2);
        }
    }
    return piece;
}

std::string MakeShortName(const std::string& name, std::set<std::string>& taken) {
    size_t dot = name.rfind('.');
    std::string base =
        ShortPiece(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot), 8);
    std::string extension =
        dot == std::string::npos || dot == 0 ? "" : ShortPiece(name.substr(dot + 1), 3);
    if (base.empty())
        base = "_";
    for (int number = 1; number < 1000000; ++number) {
        std::string tail = "~" + std::to_string(number);
        std::string candidate = ShortPiece(base, 8 - tail.size()) + tail;
        if (!extension.empty())
            candidate += "." + extension;
        std::string key = candidate;
        std::transform(key.begin(), key.end(), key.begin(), [](char c) {
            return static_cast<char>(Fold(static_cast<unsigned char>(c)));
        });
        if (taken.insert(key).second)
            return candidate;
    }
    return std::string();
}

void FillEntry(const std::string& ansiName, const struct stat& info, WIN32_FIND_DATAA& data) {
    std::memset(&data, 0, sizeof data);
    bool readOnly = !(info.st_mode & S_IWUSR);
    data.dwFileAttributes =
        S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (readOnly)
        data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    data.ftCreationTime = FileTimeFromHost(info.st_mtim);
    data.ftLastAccessTime = FileTimeFromHost(info.st_atim);
    data.ftLastWriteTime = FileTimeFromHost(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        uint64_t size = static_cast<uint64_t>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::memcpy(data.cFileName, ansiName.c_str(),
                std::min(ansiName.size() + 1, sizeof data.cFileName));
    data.cFileName[MAX_PATH - 1] = 0;
}

struct Listed {
    std::string ansi;
    std::string host;
};

// The entries of a directory that Windows can name, in name order, with links that leave
// the drive left out.
std::vector<Listed> ListDirectory(const std::string& directory, const std::string& root) {
    std::vector<Listed> listed;
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return listed;
    UINT codePage = AnsiCodePage();
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        std::string ansi;
        if (!FromUtf8(codePage, entry->d_name, ansi) || !IsRepresentable(ansi))
            continue;
        std::string host = (directory == "/" ? "" : directory) + "/" + entry->d_name;
        struct stat linkInfo;
        if (lstat(host.c_str(), &linkInfo) != 0)
            continue;
        if (S_ISLNK(linkInfo.st_mode)) {
            char resolved[PATH_MAX];
            if (!realpath(host.c_str(), resolved) || !IsInside(root, resolved))
                continue;
        }
        listed.push_back({ansi, host});
    }
    closedir(dir);
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        return _mbsicmp(reinterpret_cast<const unsigned char*>(a.ansi.c_str()),
                        reinterpret_cast<const unsigned char*>(b.ansi.c_str())) < 0;
    });
    return listed;
}

HANDLE FailFind(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    if (!findData)
        return FailFind(ERROR_INVALID_PARAMETER);
    WindowsPath parsed;
    if (DWORD error = ParseWindowsPath(fileName, NameRule::WildcardsInLast, parsed))
        return FailFind(error);
    // Windows finds no entry for a drive root or a name written with a trailing separator.
    if (parsed.IsRoot() || parsed.trailingSeparator)
        return FailFind(ERROR_FILE_NOT_FOUND);

    std::string pattern = parsed.parts.back();
    auto search = std::make_shared<FindObject>();
    if (!HasWildcards(pattern)) {
        // Every component but the last must be a directory, as for the listing below.
        HostPath host;
        if (DWORD error = MapToHost(parsed, host))
            return FailFind(error);
        if (!host.exists)
            return FailFind(ERROR_FILE_NOT_FOUND);
        // The entry's own name, also when it is a link to another name.
        std::string ansi;
        if (!FromUtf8(AnsiCodePage(), host.entryName, ansi))
            ansi = pattern;
        WIN32_FIND_DATAA data;
        FillEntry(ansi, host.info, data);
        std::set<std::string> taken;
        if (!IsShortForm(ansi))
            std::strncpy(data.cAlternateFileName, MakeShortName(ansi, taken).c_str(),
                         sizeof data.cAlternateFileName - 1);
        search->entries.push_back(data);
    } else {
        WindowsPath directory = parsed;
        directory.parts.pop_back();
        HostPath directoryHost;
        if (DWORD error = MapToHost(directory, directoryHost))
            return FailFind(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
        if (!directoryHost.IsDirectory())
            return FailFind(ERROR_PATH_NOT_FOUND);
        // "." and ".." head the listing of every directory but a drive's root.
        if (!directory.IsRoot()) {
            struct stat info;
            if (stat(directoryHost.host.c_str(), &info) == 0 && MatchesPattern(".", pattern)) {
                search->entries.emplace_back();
                FillEntry(".", info, search->entries.back());
            }
            std::string parentHost =
                directoryHost.host.substr(0, directoryHost.host.find_last_of('/'));
            if (stat(parentHost.empty() ? "/" : parentHost.c_str(), &info) == 0 &&
                MatchesPattern("..", pattern)) {
                search->entries.emplace_back();
                FillEntry("..", info, search->entries.back());
            }
        }
        std::vector<Listed> listed = ListDirectory(directoryHost.host, directoryHost.root);
        std::set<std::string> taken;
        for (const Listed& entry : listed)
            if (IsShortForm(entry.ansi)) {
                std::string key = entry.ansi;
                for (char& c : key)
                    c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
                taken.insert(key);
            }
        for (const Listed& entry : listed) {
            std::string shortName = IsShortForm(entry.ansi) ? "" : MakeShortName(entry.ansi, taken);
            if (!MatchesPattern(entry.ansi, pattern))
                continue;
            struct stat info;
            if (stat(entry.host.c_str(), &info) != 0)
                continue;
            search->entries.emplace_back();
            WIN32_FIND_DATAA& data = search->entries.back();
            FillEntry(entry.ansi, info, data);
            std::strncpy(data.cAlternateFileName, shortName.c_str(),
                         sizeof data.cAlternateFileName - 1);
        }
    }
    if (search->entries.empty())
        return FailFind(ERROR_FILE_NOT_FOUND);
    *findData = search->entries[0];
    search->next = 1;
    HANDLE handle = AddHandle(search);
    if (handle == INVALID_HANDLE_VALUE)
        return FailFind(ERROR_TOO_MANY_OPEN_FILES);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA findData) {
    std::shared_ptr<FindObject> search = LookUp<FindObject>(handle);
    if (!search) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *findData = search->entries[search->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle) {
    if (!LookUp<FindObject>(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RemoveHandle(handle);
    return TRUE;
}
