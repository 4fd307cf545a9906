// The profile reader: GetPrivateProfileStringA and GetPrivateProfileIntA over files of the
// emulated machine, read through the machine's own file API so that Windows paths work.
//
// A file is parsed once into sections and keys and kept in a small cache keyed by its full
// path (ASCII case folded); each call reopens the file only to compare its size, its time of
// last write and the ANSI code page with those of the cached copy, so reading all keys of a
// long section costs one parse, not one parse per key, and every lookup is a hash lookup.
// The parsed file keeps the file's text and its names and values point into it, which keeps
// the memory of a large script to a small multiple of its size.
//
// The format, as read here:
// - Lines end at CR, LF or CR LF; the last line needs no line break. A NUL byte ends the text
//   of its line (the rest of that line is ignored), so a binary file is read as garbage
//   lines and never overruns anything. A UTF-8 byte order mark at the start is skipped.
// - Blanks (space and tab) around a line, a section name, a key name and a value are dropped.
// - A line whose first character is ';' is a comment. Blank lines are ignored.
// - A line starting with '[' and holding a ']' starts a section named by the text between
//   the '[' and the last ']' (what follows the ']' is ignored). A section name that occurs
//   again continues the earlier section, so a lookup always finds the first occurrence of a
//   key and the key list shows every key in file order.
// - Lines before the first section, lines without '=', and lines with an empty name are
//   ignored.
// - A value enclosed in a pair of double quotes loses them ("" gives the empty value).
// - Section and key names are matched ignoring the case of ASCII letters; under a double-byte
//   code page a trail byte is never folded and never taken for ']'.
// - An integer is an optional sign and the decimal digits that follow at the start of the
//   value, computed in 32-bit arithmetic (only the low 32 bits count); an empty value, or one
//   that does not start with a number, gives 0.
// - A list of names (null key: the keys of a section; null section: the section names) that
//   does not fit the buffer holds only the names that fit whole, because a name cut short
//   would name another key; the rest of the buffer is zeros, so the list still ends with two
//   zero bytes, and the result is size - 2, which tells the caller to try a larger buffer.
// - A string that does not fit is cut so that no double-byte character is split.
// - The result is the number of bytes written before the terminating zero (before the final
//   zero for a list, and size - 2 for a list cut short).
// - A file name without a directory is looked for in the Windows directory.
// - Files larger than 256 MiB are read up to that size.
//
// A loader reads hundreds of thousands of values from one script, so a read of the file that
// was read last must cost no more than a lookup: the name it was asked by (with the current
// directory) is remembered with the host path through the drive's link. The kernel reports
// changes to that file and to the drive links (inotify), so a read asks only whether a report
// came; a stat of the path, at least every few milliseconds and whenever reports cannot be had,
// catches the rest (a directory on the way renamed). A swapped disk, a file replaced or a link
// put in its way show as another file there, and the name is resolved anew.

#include "kernel/MachineState.h"
#include "HostWatch.h"
#include "PathMap.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <list>
#include <unistd.h>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const size_t kMaxFileBytes = 256u * 1024u * 1024u;
const size_t kMaxCachedFiles = 8;

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

bool IsLeadByte(unsigned char ch) {
    return ch >= 0x80 && IsDBCSLeadByte(ch);
}

unsigned char FoldAscii(unsigned char ch) {
    return ch >= 'a' && ch <= 'z' ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

// Names are compared and hashed with ASCII letters folded, except the trail byte of a
// double-byte character. Two names that are equal have their lead bytes at the same places,
// so the hash agrees with the comparison.
struct FoldedHash {
    size_t operator()(std::string_view name) const {
        uint64_t hash = 14695981039346656037ull;
        for (size_t i = 0; i < name.size(); ++i) {
            unsigned char ch = static_cast<unsigned char>(name[i]);
            if (IsLeadByte(ch) && i + 1 < name.size()) {
                hash = (hash ^ ch) * 1099511628211ull;
                ch = static_cast<unsigned char>(name[++i]);
            } else {
                ch = FoldAscii(ch);
            }
            hash = (hash ^ ch) * 1099511628211ull;
        }
        return static_cast<size_t>(hash);
    }
};

struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            unsigned char ca = static_cast<unsigned char>(a[i]);
            unsigned char cb = static_cast<unsigned char>(b[i]);
            if (IsLeadByte(ca) && i + 1 < a.size()) {
                if (ca != cb || a[i + 1] != b[i + 1])
                    return false;
                ++i;
            } else if (FoldAscii(ca) != FoldAscii(cb)) {
                return false;
            }
        }
        return true;
    }
};

using NameIndex = std::unordered_map<std::string_view, size_t, FoldedHash, FoldedEqual>;

// Names and values point into the file's text, which the parsed file keeps.
struct ProfileKey {
    std::string_view name;
    std::string_view value;
};

struct ProfileSection {
    std::string_view name;
    std::vector<ProfileKey> keys;
    NameIndex firstKey; // name -> index of its first occurrence in keys
};

// What one stat tells of a file: whether it is still the one that was parsed, unchanged.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};
    timespec changed = {};

    static FileIdentity Of(const struct stat& info) {
        FileIdentity identity;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
        identity.size = info.st_size;
        identity.modified = info.st_mtim;
        identity.changed = info.st_ctim;
        return identity;
    }
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// The last name a file was asked by, and where its drive's link leads to it.
struct RememberedName {
    std::string name;
    std::string currentDir;
    std::string foldedPath; // the cache's key of the file
    std::string linkPath;   // host path through the prefix's drive link
    FileIdentity identity;  // of the file when it was parsed
    bool valid = false;
    bool watched = false;  // changes to the file and the drive links are reported
    timespec checked = {}; // when the path was last looked at
};

// How long a file whose changes are reported is trusted without looking at its path.
const long kRecheckNanoseconds = 20 * 1000 * 1000;

timespec CoarseNow() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return now;
}

bool Elapsed(const timespec& since, const timespec& now, long nanoseconds) {
    long long passed = (now.tv_sec - since.tv_sec) * 1000000000LL + (now.tv_nsec - since.tv_nsec);
    return passed >= nanoseconds;
}

// Reports of changes to the remembered file and to the prefix's drive links, from the
// machine's watch on the host.
struct ChangeReports {
    host::detail::WatchStamp file;
    host::detail::WatchStamp links;

    // Watches the file at linkPath (links followed) and the drive links; FALSE when the
    // host cannot report them.
    bool Watch(const std::string& linkPath) {
        file = host::detail::WatchFile(linkPath);
        links = host::detail::WatchDirectory(host::detail::DosDevicesDir());
        return file.anyMove != 0 && links.anyMove != 0;
    }
    // Whether no change was reported since Watch.
    bool Quiet() const { return host::detail::Unchanged(file) && host::detail::Unchanged(links); }
};

struct ProfileFile {
    std::string foldedPath;
    DWORD sizeLow = 0;
    DWORD sizeHigh = 0;
    FILETIME lastWrite = {};
    UINT codePage = 0;
    std::string text;
    std::vector<ProfileSection> sections;
    NameIndex sectionIndex;
};

// The path with ASCII letters folded, as the cache's key.
std::string FoldCase(const std::string& text) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(ch)) {
            ++i;
            continue;
        }
        folded[i] = static_cast<char>(FoldAscii(ch));
    }
    return folded;
}

void TrimBlanks(const char*& first, const char*& last) {
    while (first < last && IsBlank(*first))
        ++first;
    while (last > first && IsBlank(last[-1]))
        --last;
}

// The last ']' of a line that is a character of its own, or null.
const char* FindClosingBracket(const char* first, const char* last) {
    const char* found = nullptr;
    for (const char* p = first; p < last; ++p) {
        if (IsLeadByte(static_cast<unsigned char>(*p))) {
            ++p;
            continue;
        }
        if (*p == ']')
            found = p;
    }
    return found;
}

std::string_view View(const char* first, const char* last) {
    return std::string_view(first, static_cast<size_t>(last - first));
}

size_t SectionNamed(ProfileFile& file, std::string_view name) {
    auto found = file.sectionIndex.find(name);
    if (found != file.sectionIndex.end())
        return found->second;
    file.sectionIndex.emplace(name, file.sections.size());
    file.sections.emplace_back();
    file.sections.back().name = name;
    return file.sections.size() - 1;
}

// Parses one line; current is the index of the section the line is in, SIZE_MAX before the
// first section.
void ParseLine(ProfileFile& file, size_t& current, const char* first, const char* last) {
    const char* nul = static_cast<const char*>(std::memchr(first, 0, last - first));
    if (nul)
        last = nul;
    TrimBlanks(first, last);
    if (first == last || *first == ';')
        return;

    if (*first == '[') {
        if (const char* closing = FindClosingBracket(first + 1, last)) {
            const char* nameFirst = first + 1;
            const char* nameLast = closing;
            TrimBlanks(nameFirst, nameLast);
            current = SectionNamed(file, View(nameFirst, nameLast));
            return;
        }
    }
    if (current == SIZE_MAX)
        return;

    // '=' is never a trail byte, so a plain byte search is exact.
    const char* equals = static_cast<const char*>(std::memchr(first, '=', last - first));
    if (!equals)
        return;
    const char* nameFirst = first;
    const char* nameLast = equals;
    const char* valueFirst = equals + 1;
    const char* valueLast = last;
    TrimBlanks(nameFirst, nameLast);
    TrimBlanks(valueFirst, valueLast);
    if (nameFirst == nameLast)
        return;
    if (valueLast - valueFirst >= 2 && *valueFirst == '"' && valueLast[-1] == '"') {
        ++valueFirst;
        --valueLast;
    }

    ProfileSection& section = file.sections[current];
    ProfileKey key{View(nameFirst, nameLast), View(valueFirst, valueLast)};
    section.firstKey.emplace(key.name, section.keys.size());
    section.keys.push_back(key);
}

void ParseText(ProfileFile& file) {
    const char* p = file.text.data();
    const char* end = p + file.text.size();
    if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        p += 3;

    size_t current = SIZE_MAX;
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        ParseLine(file, current, p, lineEnd);
        p = lineEnd < end ? lineEnd + 1 : end;
    }
}

bool ReadWholeFile(HANDLE handle, DWORD expectedSize, std::string& text) {
    text.clear();
    text.reserve(std::min<size_t>(expectedSize, kMaxFileBytes));
    std::vector<char> chunk(64 * 1024);
    while (text.size() < kMaxFileBytes) {
        DWORD wanted =
            static_cast<DWORD>(std::min<size_t>(chunk.size(), kMaxFileBytes - text.size()));
        DWORD got = 0;
        if (!ReadFile(handle, chunk.data(), wanted, &got, nullptr))
            return false;
        if (got == 0)
            break;
        text.append(chunk.data(), got);
    }
    return true;
}

// The full Windows path a profile name stands for.
bool ResolvePath(LPCSTR fileName, std::string& fullPath) {
    std::string name = fileName;
    if (name.find_first_of("\\/:") == std::string::npos) {
        char windowsDir[MAX_PATH];
        UINT length = GetWindowsDirectoryA(windowsDir, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return false;
        std::string dir(windowsDir, length);
        if (dir.back() != '\\')
            dir += '\\';
        name = dir + name;
    }
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        LPSTR filePart = nullptr;
        DWORD length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()),
                                        buffer.data(), &filePart);
        if (length == 0)
            return false;
        if (length < buffer.size()) {
            fullPath.assign(buffer.data(), length);
            return true;
        }
        if (buffer.size() >= 0x10000)
            return false;
        buffer.resize(length + 1);
    }
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

// The host path of a full Windows path through the link of its drive in the prefix, and the
// identity of the file there; FALSE when the file cannot be found that way.
bool ThroughDriveLink(const std::string& fullPath, std::string& linkPath, FileIdentity& identity) {
    host::detail::WindowsPath parsed;
    host::detail::HostPath mapped;
    if (host::detail::ResolvePath(fullPath.c_str(), host::detail::NameRule::Strict, parsed,
                                  mapped) != 0 ||
        !mapped.exists || mapped.root.empty() ||
        mapped.host.compare(0, mapped.root.size(), mapped.root) != 0)
        return false;
    linkPath = host::detail::LinkPathOf(parsed.drive) + mapped.host.substr(mapped.root.size());
    struct stat info;
    if (stat(linkPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_dev != mapped.info.st_dev || info.st_ino != mapped.info.st_ino)
        return false;
    identity = FileIdentity::Of(info);
    return true;
}

class ProfileCache {
  public:
    // The parsed file, or null when it cannot be opened or read. Valid until the next call.
    const ProfileFile* Get(LPCSTR fileName);
    std::mutex& Lock() { return m_mutex; }

  private:
    const ProfileFile* Remembered(LPCSTR fileName, const std::string& currentDir);

    void Remember(RememberedName&& remembered);

    std::mutex m_mutex;
    std::list<ProfileFile> m_files; // most recently used first
    RememberedName m_last;
    ChangeReports m_reports;
};

void ProfileCache::Remember(RememberedName&& remembered) {
    m_last = std::move(remembered);
    if (!m_last.valid)
        return;
    m_last.watched = m_reports.Watch(m_last.linkPath);
    m_last.checked = CoarseNow();
    // A change after the file's identity was taken and before the watch began is not
    // reported: a look now sees it, and the next read resolves the name anew.
    struct stat info;
    if (m_last.watched &&
        (stat(m_last.linkPath.c_str(), &info) != 0 || !(FileIdentity::Of(info) == m_last.identity)))
        m_last.valid = false;
}

// The parsed file when fileName is the name last asked for and its file is unchanged.
const ProfileFile* ProfileCache::Remembered(LPCSTR fileName, const std::string& currentDir) {
    if (!m_last.valid || m_last.name != fileName || m_last.currentDir != currentDir ||
        m_files.empty() || m_files.front().foldedPath != m_last.foldedPath ||
        m_files.front().codePage != GetACP())
        return nullptr;
    timespec now = CoarseNow();
    if (m_last.watched && m_reports.Quiet() && !Elapsed(m_last.checked, now, kRecheckNanoseconds))
        return &m_files.front();
    // Watched again before the look, so that a change after it is reported.
    if (m_last.watched)
        m_last.watched = m_reports.Watch(m_last.linkPath);
    struct stat info;
    if (stat(m_last.linkPath.c_str(), &info) != 0 || !(FileIdentity::Of(info) == m_last.identity))
        return nullptr;
    m_last.checked = now;
    return &m_files.front();
}

const ProfileFile* ProfileCache::Get(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        m_last.valid = false;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::string currentDir = CurrentDirectory();
    if (const ProfileFile* file = Remembered(fileName, currentDir))
        return file;
    m_last.valid = false;

    std::string fullPath;
    if (!ResolvePath(fileName, fullPath)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::string folded = FoldCase(fullPath);
    // Taken before the file is read: a change while it is read shows at the next call.
    RememberedName remembered;
    remembered.valid = ThroughDriveLink(fullPath, remembered.linkPath, remembered.identity);
    remembered.name = fileName;
    remembered.currentDir = currentDir;
    remembered.foldedPath = folded;
    auto cached = m_files.begin();
    while (cached != m_files.end() && cached->foldedPath != folded)
        ++cached;

    HANDLE handle = CreateFileA(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (cached != m_files.end())
            m_files.erase(cached);
        return nullptr;
    }
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(handle, &sizeHigh);
    FILETIME lastWrite = {};
    GetFileTime(handle, nullptr, nullptr, &lastWrite);
    UINT codePage = GetACP();

    if (cached != m_files.end() && cached->sizeLow == sizeLow && cached->sizeHigh == sizeHigh &&
        cached->lastWrite.dwLowDateTime == lastWrite.dwLowDateTime &&
        cached->lastWrite.dwHighDateTime == lastWrite.dwHighDateTime &&
        cached->codePage == codePage) {
        CloseHandle(handle);
        m_files.splice(m_files.begin(), m_files, cached);
        Remember(std::move(remembered));
        return &m_files.front();
    }
    if (cached != m_files.end())
        m_files.erase(cached);

    std::string text;
    bool read = ReadWholeFile(handle, sizeHigh ? 0 : sizeLow, text);
    CloseHandle(handle);
    if (!read)
        return nullptr;
    text.shrink_to_fit();

    m_files.emplace_front();
    ProfileFile& file = m_files.front();
    file.text = std::move(text);
    file.foldedPath = std::move(folded);
    file.sizeLow = sizeLow;
    file.sizeHigh = sizeHigh;
    file.lastWrite = lastWrite;
    file.codePage = codePage;
    ParseText(file);
    while (m_files.size() > kMaxCachedFiles)
        m_files.pop_back();
    Remember(std::move(remembered));
    return &m_files.front();
}

ProfileCache& Cache() {
    static ProfileCache cache;
    return cache;
}

// Copies as much of the text as fits with its terminating zero, never splitting a
// double-byte character. Returns the number of bytes copied.
DWORD CopyCut(LPSTR buffer, DWORD size, const char* text, size_t length) {
    size_t limit = size - 1;
    size_t copied = length;
    if (length > limit) {
        copied = 0;
        while (copied < limit) {
            size_t step = IsLeadByte(static_cast<unsigned char>(text[copied])) ? 2 : 1;
            if (copied + step > limit)
                break;
            copied += step;
        }
    }
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return static_cast<DWORD>(copied);
}

// A string as a one-element-or-empty list: the text, its zero, and a second zero if there
// is room, so that a caller that walks a list stops after it.
DWORD CopyAsList(LPSTR buffer, DWORD size, LPCSTR text) {
    DWORD copied = CopyCut(buffer, size, text, std::strlen(text));
    if (copied + 1 < size)
        buffer[copied + 1] = '\0';
    return copied;
}

template <typename Names> DWORD CopyNameList(LPSTR buffer, DWORD size, const Names& names) {
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    size_t used = 0;
    for (const auto& item : names) {
        std::string_view name = item.name;
        // The name, its zero, and the list's final zero must fit.
        if (used + name.size() + 2 > size) {
            std::memset(buffer + used, 0, size - used);
            return size - 2;
        }
        std::memcpy(buffer + used, name.data(), name.size());
        used += name.size();
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    if (used == 0 && size > 1)
        buffer[1] = '\0';
    return static_cast<DWORD>(used);
}

const ProfileSection* FindSection(const ProfileFile* file, LPCSTR section) {
    if (!file)
        return nullptr;
    auto found = file->sectionIndex.find(std::string_view(section));
    return found == file->sectionIndex.end() ? nullptr : &file->sections[found->second];
}

const ProfileKey* FindKey(const ProfileSection* section, LPCSTR key) {
    if (!section)
        return nullptr;
    auto found = section->firstKey.find(std::string_view(key));
    return found == section->firstKey.end() ? nullptr : &section->keys[found->second];
}

INT DecimalAtStart(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    uint32_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = number * 10u + static_cast<uint32_t>(value[i] - '0');
    if (negative)
        number = 0u - number;
    return static_cast<INT>(number);
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                      DWORD size, LPCSTR fileName) {
    if (!buffer || size == 0)
        return 0;
    if (!defaultText)
        defaultText = "";

    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.Lock());
    const ProfileFile* file = cache.Get(fileName);

    if (!section) {
        if (!file)
            return CopyAsList(buffer, size, "");
        return CopyNameList(buffer, size, file->sections);
    }
    const ProfileSection* found = FindSection(file, section);
    if (!key) {
        if (!found)
            return CopyAsList(buffer, size, defaultText);
        return CopyNameList(buffer, size, found->keys);
    }
    const ProfileKey* value = FindKey(found, key);
    if (!value)
        return CopyCut(buffer, size, defaultText, std::strlen(defaultText));
    return CopyCut(buffer, size, value->value.data(), value->value.size());
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    if (!section || !key)
        return static_cast<UINT>(defaultValue);

    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.Lock());
    const ProfileKey* value = FindKey(FindSection(cache.Get(fileName), section), key);
    if (!value)
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(DecimalAtStart(value->value));
}
