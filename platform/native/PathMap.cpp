#include "PathMap.h"

#include "MachineState.h"

#include <mbstring.h>

#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace host::detail {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Splits at separators; a trail byte 0x5C of a double-byte character is not one.
std::vector<std::string> SplitComponents(const std::string& text, bool& trailing) {
    std::vector<std::string> parts;
    std::string current;
    trailing = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsAnsiLeadByte(c) && i + 1 < text.size()) {
            current += text[i];
            current += text[++i];
            continue;
        }
        if (IsSeparator(static_cast<char>(c))) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += static_cast<char>(c);
    }
    parts.push_back(current);
    if (parts.size() > 1 && parts.back().empty())
        trailing = true;
    return parts;
}

// Windows drops the dots and blanks a final name ends with ("NAME." is "NAME").
void TrimFinalName(std::string& name) {
    if (name == "." || name == "..")
        return;
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) {
        // A trail byte is never a dot or a blank, so this cannot cut a character.
        --end;
    }
    name.resize(end);
}

DWORD CheckName(const std::string& name, bool wildcards) {
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsAnsiLeadByte(c)) {
            if (i + 1 >= name.size())
                return ERROR_INVALID_NAME;
            ++i;
            continue;
        }
        if ((c == '*' || c == '?') && wildcards)
            continue;
        if (IsBadNameChar(c))
            return ERROR_INVALID_NAME;
    }
    return 0;
}

} // namespace

bool IsBadNameChar(unsigned char c) {
    return c < 0x20 || std::strchr("<>:\"|?*\\/", c) != nullptr;
}

std::string WindowsPath::Text(bool withTrailing) const {
    std::string text(1, drive);
    text += ":\\";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += '\\';
        text += parts[i];
    }
    if (withTrailing && trailingSeparator && !parts.empty())
        text += '\\';
    return text;
}

DWORD ParseWindowsPath(LPCSTR path, NameRule rule, WindowsPath& result) {
    result = WindowsPath();
    if (!path)
        return ERROR_INVALID_PARAMETER;
    size_t length = strnlen(path, MAX_PATH);
    if (length >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    if (length == 0)
        return ERROR_PATH_NOT_FOUND;
    std::string text(path, length);

    const std::string& current = TheMachine().currentDir;
    std::string base; // a full path with drive and root, to which rest is relative
    std::string rest;
    if (text.size() >= 2 && text[1] == ':' && IsDriveLetter(text[0])) {
        char drive = Upper(text[0]);
        rest = text.substr(2);
        if (!rest.empty() && IsSeparator(rest[0]))
            base = std::string(1, drive) + ":\\";
        else if (!current.empty() && Upper(current[0]) == drive)
            base = current;
        else
            base = std::string(1, drive) + ":\\";
    } else if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        return ERROR_BAD_NETPATH; // no network shares on this machine
    } else {
        if (current.empty())
            return ERROR_PATH_NOT_FOUND;
        base = IsSeparator(text[0]) ? current.substr(0, 3) : current;
        rest = text;
    }

    result.drive = Upper(base[0]);
    bool ignored = false;
    for (const std::string& part : SplitComponents(base.substr(3), ignored))
        if (!part.empty())
            result.parts.push_back(part);

    bool trailing = false;
    std::vector<std::string> components = SplitComponents(rest, trailing);
    for (size_t i = 0; i < components.size(); ++i) {
        std::string part = components[i];
        if (i + 1 == components.size())
            TrimFinalName(part);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!result.parts.empty())
                result.parts.pop_back();
            continue;
        }
        result.parts.push_back(part);
    }
    result.trailingSeparator = trailing && !result.parts.empty();

    if (rule != NameRule::Any)
        for (size_t i = 0; i < result.parts.size(); ++i)
            if (DWORD error = CheckName(result.parts[i], rule == NameRule::WildcardsInLast &&
                                                             i + 1 == result.parts.size()))
                return error;
    if (result.Text(true).size() >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                                            reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
}

bool IsInside(const std::string& root, const std::string& path) {
    if (root == "/")
        return !path.empty() && path[0] == '/';
    return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                            path[root.size()] == '/');
}

bool FindEntry(const std::string& directory, const std::string& ansiName,
               const std::string& utf8Name, std::string& found) {
    struct stat info;
    if (lstat((directory + "/" + utf8Name).c_str(), &info) == 0) {
        found = utf8Name;
        return true;
    }
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return false;
    bool matched = false;
    UINT codePage = AnsiCodePage();
    bool asciiWanted = true;
    for (char c : ansiName)
        asciiWanted = asciiWanted && static_cast<unsigned char>(c) < 0x80;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        // Most names are ASCII: those compare as they are, without a conversion.
        const char* name = entry->d_name;
        size_t length = 0;
        bool ascii = true;
        for (; name[length]; ++length)
            ascii = ascii && static_cast<unsigned char>(name[length]) < 0x80;
        if (ascii) {
            if (!asciiWanted || length != ansiName.size() ||
                strcasecmp(name, ansiName.c_str()) != 0)
                continue;
        } else {
            std::string ansi;
            if (asciiWanted || !FromUtf8(codePage, name, ansi) || !SameName(ansi, ansiName))
                continue;
        }
        found = entry->d_name;
        matched = true;
        break;
    }
    closedir(dir);
    return matched;
}

DWORD MapToHost(const WindowsPath& path, HostPath& result) {
    result = HostPath();
    if (!TheMachine().started)
        return ERROR_PATH_NOT_FOUND;
    // A 32-bit program on a 64-bit machine finds its System directory in syswow64.
    if (TheMachine().wow64 && path.drive == 'C' && path.parts.size() >= 2 &&
        SameName(path.parts[0], "WINDOWS") && SameName(path.parts[1], "SYSTEM32")) {
        WindowsPath redirected = path;
        redirected.parts[1] = "syswow64";
        return MapToHost(redirected, result);
    }
    result.root = DriveRootHost(path.drive);
    result.driveType = DriveType(path.drive);
    if (result.root.empty())
        // A drive that exists without a directory behind it is an empty drive.
        return result.driveType == DRIVE_NO_ROOT_DIR ? ERROR_PATH_NOT_FOUND : ERROR_NOT_READY;

    std::string current = result.root;
    UINT codePage = AnsiCodePage();
    for (size_t i = 0; i < path.parts.size(); ++i) {
        bool last = i + 1 == path.parts.size();
        std::string utf8;
        if (!ToUtf8(codePage, path.parts[i], utf8))
            return ERROR_INVALID_NAME;
        std::string name;
        if (!FindEntry(current, path.parts[i], utf8, name)) {
            if (!last)
                return ERROR_PATH_NOT_FOUND;
            result.host = (current == "/" ? "" : current) + "/" + utf8;
            return 0;
        }
        std::string candidate = (current == "/" ? "" : current) + "/" + name;
        struct stat linkInfo;
        if (lstat(candidate.c_str(), &linkInfo) != 0)
            return last ? ErrorFromErrno(errno) : ERROR_PATH_NOT_FOUND;
        if (S_ISLNK(linkInfo.st_mode)) {
            char resolved[PATH_MAX];
            if (!realpath(candidate.c_str(), resolved))
                // A dangling link could only be followed out of the drive by creating a file.
                return last ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
            if (!IsInside(result.root, resolved))
                return ERROR_ACCESS_DENIED;
            candidate = resolved;
        }
        if (stat(candidate.c_str(), &result.info) != 0)
            return ERROR_PATH_NOT_FOUND;
        if (!last && !S_ISDIR(result.info.st_mode))
            return ERROR_PATH_NOT_FOUND;
        current = candidate;
    }
    if (path.parts.empty() && stat(current.c_str(), &result.info) != 0)
        return ERROR_NOT_READY;
    result.host = current;
    result.exists = true;
    return 0;
}

DWORD ResolvePath(LPCSTR path, NameRule rule, WindowsPath& parsed, HostPath& result) {
    if (DWORD error = ParseWindowsPath(path, rule, parsed))
        return error;
    return MapToHost(parsed, result);
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ELOOP:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EIO:
        return ERROR_GEN_FAILURE;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

} // namespace host::detail

namespace host {

std::string HostPathOf(const std::string& windowsPath) {
    detail::WindowsPath parsed;
    detail::HostPath path;
    if (detail::ResolvePath(windowsPath.c_str(), detail::NameRule::Strict, parsed, path) != 0)
        return std::string();
    return path.host;
}

} // namespace host
