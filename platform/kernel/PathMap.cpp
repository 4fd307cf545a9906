#include "PathMap.h"

#include "HostWatch.h"
#include "kernel/MachineState.h"

#include <mbstring.h>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

// Gives each component of text, and whether it is the last, to visit: text is split at
// separators, and a trail byte 0x5C of a double-byte character is not one. TRUE when text
// ends with a separator after a component.
template <class Visit> bool ForEachComponent(std::string_view text, Visit visit) {
    size_t start = 0;
    bool split = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsAnsiLeadByte(c) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (IsSeparator(static_cast<char>(c))) {
            visit(text.substr(start, i - start), false);
            start = i + 1;
            split = true;
        }
    }
    visit(text.substr(start), true);
    return split && start == text.size();
}

// Windows drops the dots and blanks a final name ends with ("NAME." is "NAME").
std::string_view TrimFinalName(std::string_view name) {
    if (name == "." || name == "..")
        return name;
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) {
        // A trail byte is never a dot or a blank, so this cannot cut a character.
        --end;
    }
    return name.substr(0, end);
}

DWORD CheckName(const std::string& name, bool wildcards) {
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        // Letters, digits and most signs are good: no call for them.
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            c == '.' || c == '_' || c == ' ' || c == '-')
            continue;
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
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
    case '\\':
    case '/':
        return true;
    default:
        return c < 0x20;
    }
}

std::string WindowsPath::Text(bool withTrailing) const {
    size_t length = 4;
    for (const std::string& part : parts)
        length += part.size() + 1;
    std::string text;
    text.reserve(length);
    text += drive;
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
    std::string_view text(path, length);

    // The path is made full against a base: the current directory, or a drive's root.
    const std::string& current = TheMachine().currentDir;
    std::string_view baseParts; // the base's components below its root
    std::string_view rest;      // the path relative to the base
    auto belowRoot = [](const std::string& directory) {
        return directory.size() > 3 ? std::string_view(directory).substr(3) : std::string_view();
    };
    if (text.size() >= 2 && text[1] == ':' && IsDriveLetter(text[0])) {
        result.drive = Upper(text[0]);
        rest = text.substr(2);
        bool fromRoot = !rest.empty() && IsSeparator(rest[0]);
        if (!fromRoot && !current.empty() && Upper(current[0]) == result.drive)
            baseParts = belowRoot(current);
    } else if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        return ERROR_BAD_NETPATH; // no network shares on this machine
    } else {
        if (current.empty())
            return ERROR_PATH_NOT_FOUND;
        result.drive = Upper(current[0]);
        if (!IsSeparator(text[0]))
            baseParts = belowRoot(current);
        rest = text;
    }

    result.parts.reserve(8);
    ForEachComponent(baseParts, [&result](std::string_view part, bool) {
        if (!part.empty())
            result.parts.emplace_back(part);
    });
    bool trailing = ForEachComponent(rest, [&result](std::string_view part, bool last) {
        if (last)
            part = TrimFinalName(part);
        if (part.empty() || part == ".")
            return;
        if (part == "..") {
            if (!result.parts.empty())
                result.parts.pop_back();
            return;
        }
        result.parts.emplace_back(part);
    });
    result.trailingSeparator = trailing && !result.parts.empty();

    if (rule != NameRule::Any)
        for (size_t i = 0; i < result.parts.size(); ++i)
            if (DWORD error = CheckName(result.parts[i], rule == NameRule::WildcardsInLast &&
                                                             i + 1 == result.parts.size()))
                return error;
    // The length of Text(true), without making the text.
    size_t fullLength = 3 + (result.trailingSeparator ? 1 : 0);
    for (size_t i = 0; i < result.parts.size(); ++i)
        fullLength += result.parts[i].size() + (i > 0 ? 1 : 0);
    if (fullLength >= MAX_PATH)
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

namespace {

// A folder's entries, read once and kept by their case-folded ANSI names, so that a lookup,
// and above all the lookup of a name that does not exist, needs no scan. The folder's status
// when the entries were read tells whether they still hold: any change of the folder's
// entries, by this program or another, changes its change time. (Kernels that stamp changes
// with fine-grained times once a status was read, as Linux does since 6.13, guarantee that;
// with coarse stamps, a change made within the same clock tick as the reading could go
// unseen until the folder changes again.)
struct DirectoryIndex {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified = {};
    timespec changed = {};
    // The host's own names, with the type each had when the folder was read (DT_UNKNOWN when
    // the host did not say, or for an entry this program made): no entry changes its type, a
    // link or a file put in its place, without changing the folder.
    std::unordered_map<std::string, unsigned char> names;
    std::unordered_map<std::string, std::vector<std::string>> byFoldedName;
};

// A directory reached by names that all matched exactly and through no link, by its Windows
// path. Exact names are what a walk from the root would pick again, whatever other names
// come and go; the directory's identity tells that it is still the one reached. Its status
// is read again only when the host reports a change on the way to it or in it.
struct KnownDirectory {
    std::string root;
    std::string host;
    dev_t device = 0;
    ino_t inode = 0;
    WatchStamp read; // empty until its status is read
    struct stat info = {};
    std::shared_ptr<const FolderHandle> handle; // opened at its second use
};

struct IndexCache {
    std::mutex lock;
    UINT codePage = 0;
    std::unordered_map<std::string, DirectoryIndex> directories;
    std::unordered_map<std::string, KnownDirectory> known;
    size_t handles = 0; // known directories held open
};

// Few open folders are enough for the folders an installation works in at once.
constexpr size_t kMaxFolderHandles = 32;

// Enough for the folders of an installation at once; past it the cache starts over.
constexpr size_t kMaxIndexedDirectories = 1024;

IndexCache& Cache() {
    // Never destroyed: taking apart the indexes of thousands of names at the program's end
    // would only cost time, and a lookup made while the program ends still finds them.
    static IndexCache* cache = new IndexCache;
    return *cache;
}

// Forgets every known directory, and with them the handles they held.
void ForgetKnown(IndexCache& cache) {
    cache.known.clear();
    cache.handles = 0;
}

// Names in the cache are ANSI names of one code page.
void StartOverForCodePage(IndexCache& cache, UINT codePage) {
    if (cache.codePage == codePage)
        return;
    cache.directories.clear();
    ForgetKnown(cache);
    cache.codePage = codePage;
}

// The key of the path's first parts, made in a buffer kept for the next key: a lookup then
// allocates nothing for it.
const std::string& KnownKey(const WindowsPath& path, size_t parts) {
    thread_local std::string key;
    key.assign(1, path.drive);
    key += ':';
    for (size_t i = 0; i < parts; ++i) {
        key += '\\';
        key += path.parts[i];
    }
    return key;
}

// Closes the known directory's handle, if it holds one. The cache's lock is held.
void LetGo(IndexCache& cache, KnownDirectory& known) {
    if (known.handle) {
        known.handle.reset();
        --cache.handles;
    }
}

void RememberKnown(const std::string& key, const std::string& root, const std::string& host,
                   const struct stat& info) {
    IndexCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    StartOverForCodePage(cache, AnsiCodePage());
    if (cache.known.size() >= kMaxIndexedDirectories)
        ForgetKnown(cache);
    auto& known = cache.known[key];
    LetGo(cache, known);
    known = {root, host, info.st_dev, info.st_ino, {}, {}, nullptr};
}

// The known directory held open; null when it cannot be opened as the directory known.
// The cache's lock is held.
std::shared_ptr<const FolderHandle> HoldOpen(IndexCache& cache, KnownDirectory& known) {
    if (known.handle)
        return known.handle;
    if (cache.handles >= kMaxFolderHandles) {
        for (auto& [key, other] : cache.known)
            other.handle.reset();
        cache.handles = 0;
    }
    int fd = open(known.host.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto handle = std::make_shared<const FolderHandle>(fd);
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_dev != known.device || info.st_ino != known.inode)
        return nullptr;
    known.handle = handle;
    ++cache.handles;
    return handle;
}

// The directory of the path's last component when it is known and still the same: one look
// at the drive's link and one at the directory instead of one per level, and none while the
// host reports no change.
bool ReachKnownParent(const WindowsPath& path, HostPath& result, std::string& current,
                      struct stat& currentInfo, std::shared_ptr<const FolderHandle>& folder) {
    if (path.parts.size() < 2)
        return false;
    IndexCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    StartOverForCodePage(cache, AnsiCodePage());
    auto found = cache.known.find(KnownKey(path, path.parts.size() - 1));
    std::string root;
    unsigned type = 0;
    if (found == cache.known.end() || !ResolveDrive(path.drive, root, type, nullptr) ||
        found->second.root != root)
        return false;
    KnownDirectory& known = found->second;
    if (!Unchanged(known.read)) {
        known.read = WatchDirectory(known.host);
        if (stat(known.host.c_str(), &known.info) != 0 || !S_ISDIR(known.info.st_mode) ||
            known.info.st_dev != known.device || known.info.st_ino != known.inode) {
            known.read = WatchStamp();
            LetGo(cache, known);
            return false;
        }
    }
    // The path leads to the directory known, whose handle is therefore the path's own.
    folder = HoldOpen(cache, known);
    currentInfo = known.info;
    result.root = std::move(root);
    result.driveType = type;
    current = known.host;
    return true;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool StillHolds(const DirectoryIndex& index, const struct stat& info) {
    return index.device == info.st_dev && index.inode == info.st_ino &&
           SameTime(index.modified, info.st_mtim) && SameTime(index.changed, info.st_ctim);
}

void Record(DirectoryIndex& index, const struct stat& info) {
    index.device = info.st_dev;
    index.inode = info.st_ino;
    index.modified = info.st_mtim;
    index.changed = info.st_ctim;
}

bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return false;
    return true;
}

// The key under which a host name is found; FALSE for a name with no counterpart in the code
// page, which is found only by its exact name.
bool FoldedKeyOf(const std::string& hostName, UINT codePage, std::string& key) {
    std::string ansi;
    if (IsAscii(hostName.c_str()))
        ansi = hostName;
    else if (!FromUtf8(codePage, hostName, ansi))
        return false;
    key = FoldedName(ansi);
    return true;
}

void AddName(DirectoryIndex& index, const std::string& hostName, UINT codePage,
             unsigned char type = DT_UNKNOWN) {
    std::string key;
    if (index.names.emplace(hostName, type).second && FoldedKeyOf(hostName, codePage, key))
        index.byFoldedName[key].push_back(hostName);
}

void RemoveName(DirectoryIndex& index, const std::string& hostName, UINT codePage) {
    std::string key;
    if (index.names.erase(hostName) == 0 || !FoldedKeyOf(hostName, codePage, key))
        return;
    auto bucket = index.byFoldedName.find(key);
    if (bucket == index.byFoldedName.end())
        return;
    std::vector<std::string>& names = bucket->second;
    names.erase(std::remove(names.begin(), names.end(), hostName), names.end());
    if (names.empty())
        index.byFoldedName.erase(bucket);
}

// The index of a directory whose status was just read; read anew when the directory changed.
// Null when the directory cannot be listed. The cache's lock is held.
DirectoryIndex* IndexOf(IndexCache& cache, const std::string& directory, const struct stat& info) {
    UINT codePage = AnsiCodePage();
    StartOverForCodePage(cache, codePage);
    auto found = cache.directories.find(directory);
    if (found != cache.directories.end() && StillHolds(found->second, info))
        return &found->second;
    // The status was read before the entries: a change made while they are read shows as a
    // change at the next lookup, never as a missed one.
    DIR* dir = opendir(directory.c_str());
    if (!dir) {
        if (found != cache.directories.end())
            cache.directories.erase(found);
        return nullptr;
    }
    DirectoryIndex fresh;
    Record(fresh, info);
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        AddName(fresh, entry->d_name, codePage, entry->d_type);
    }
    closedir(dir);
    if (found != cache.directories.end()) {
        found->second = std::move(fresh);
        return &found->second;
    }
    if (cache.directories.size() >= kMaxIndexedDirectories)
        cache.directories.clear();
    return &cache.directories.emplace(directory, std::move(fresh)).first->second;
}

void SplitHostPath(const std::string& host, std::string& directory, std::string& name) {
    size_t slash = host.find_last_of('/');
    directory = slash == 0 ? "/" : host.substr(0, slash);
    name = host.substr(slash + 1);
}

// Brings the index of the directory of host up to date after this program's own change. The
// folder was checked by the lookup just before the change; another process's change in
// between is the one thing this cannot tell from ours.
template <class Change> void NoteChange(const std::string& host, Change change) {
    if (host.empty() || host[0] != '/')
        return;
    std::string directory, name;
    SplitHostPath(host, directory, name);
    IndexCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    auto found = cache.directories.find(directory);
    if (found == cache.directories.end())
        return;
    struct stat info;
    if (stat(directory.c_str(), &info) != 0 || info.st_ino != found->second.inode ||
        info.st_dev != found->second.device) {
        cache.directories.erase(found);
        return;
    }
    change(found->second, name);
    Record(found->second, info);
}

} // namespace

std::string FoldedName(const std::string& ansi) {
    std::string folded(ansi);
    for (size_t i = 0; i < folded.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(folded[i]);
        if (IsAnsiLeadByte(c) && i + 1 < folded.size())
            ++i; // the trail byte of a double-byte character is never folded
        else if (c >= 'A' && c <= 'Z')
            folded[i] = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool FindEntry(const std::string& directory, const struct stat& directoryInfo,
               const std::string& ansiName, const std::string& utf8Name, std::string& found,
               unsigned char* type) {
    if (type)
        *type = DT_UNKNOWN;
    {
        IndexCache& cache = Cache();
        std::lock_guard<std::mutex> guard(cache.lock);
        if (const DirectoryIndex* index = IndexOf(cache, directory, directoryInfo)) {
            auto entry = index->names.find(utf8Name);
            if (entry == index->names.end()) {
                auto bucket = index->byFoldedName.find(FoldedName(ansiName));
                if (bucket == index->byFoldedName.end() || bucket->second.empty())
                    return false;
                found = bucket->second.front();
                entry = index->names.find(found);
            } else {
                found = utf8Name;
            }
            if (type && entry != index->names.end())
                *type = entry->second;
            return true;
        }
    }
    // A directory that can be searched but not listed still gives its exact names.
    struct stat info;
    if (lstat((directory + "/" + utf8Name).c_str(), &info) == 0) {
        found = utf8Name;
        return true;
    }
    return false;
}

void NoteEntryCreated(const std::string& host) {
    NoteChange(host, [](DirectoryIndex& index, const std::string& name) {
        AddName(index, name, AnsiCodePage());
    });
}

void NoteEntryRemoved(const std::string& host) {
    NoteChange(host, [](DirectoryIndex& index, const std::string& name) {
        RemoveName(index, name, AnsiCodePage());
    });
}

void NoteEntryMoved(const std::string& from, const std::string& to) {
    std::string fromDirectory, fromName, toDirectory, toName;
    SplitHostPath(from, fromDirectory, fromName);
    SplitHostPath(to, toDirectory, toName);
    if (fromDirectory != toDirectory) {
        NoteEntryRemoved(from);
        NoteEntryCreated(to);
        return;
    }
    NoteChange(to, [&fromName](DirectoryIndex& index, const std::string& name) {
        RemoveName(index, fromName, AnsiCodePage());
        AddName(index, name, AnsiCodePage());
    });
}

void ForgetIndexOf(const std::string& directory) {
    IndexCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.directories.erase(directory);
}

void NoteDirectoryRemoved(const std::string& host) {
    ForgetIndexOf(host);
    NoteEntryRemoved(host);
}

DWORD MapToHost(const WindowsPath& path, HostPath& result, LastStatus lastStatus) {
    result = HostPath();
    if (!TheMachine().started)
        return ERROR_PATH_NOT_FOUND;
    // A 32-bit program on a 64-bit machine finds its System directory in syswow64.
    if (TheMachine().wow64 && path.drive == 'C' && path.parts.size() >= 2 &&
        SameName(path.parts[0], "WINDOWS") && SameName(path.parts[1], "SYSTEM32")) {
        WindowsPath redirected = path;
        redirected.parts[1] = "syswow64";
        return MapToHost(redirected, result, lastStatus);
    }
    struct stat currentInfo;
    std::string current;
    size_t start = 0;
    // The known folder of the last component, open: the component is looked at from there.
    std::shared_ptr<const FolderHandle> folder;
    if (ReachKnownParent(path, result, current, currentInfo, folder)) {
        start = path.parts.size() - 1;
    } else {
        if (!ResolveDrive(path.drive, result.root, result.driveType, &currentInfo))
            // A drive that exists without a directory behind it is an empty drive.
            return result.driveType == DRIVE_NO_ROOT_DIR ? ERROR_PATH_NOT_FOUND : ERROR_NOT_READY;
        current = result.root;
    }

    UINT codePage = AnsiCodePage();
    bool exactAndPlain = true; // every name so far matched exactly, and none was a link
    for (size_t i = start; i < path.parts.size(); ++i) {
        bool last = i + 1 == path.parts.size();
        std::string utf8;
        if (!ToUtf8(codePage, path.parts[i], utf8))
            return ERROR_INVALID_NAME;
        std::string name;
        std::string candidate;
        struct stat linkInfo;
        bool present = false;
        // A second look only when the entry went between the index and the host's answer.
        for (int attempt = 0; attempt < 2 && !present; ++attempt) {
            unsigned char type = DT_UNKNOWN;
            if (!FindEntry(current, currentInfo, path.parts[i], utf8, name, &type))
                break;
            candidate.assign(current, 0, current == "/" ? 0 : std::string::npos);
            candidate += '/';
            candidate += name;
            if (last && type == DT_REG && lastStatus == LastStatus::LeftToOpen) {
                // The folder's index, just found still valid, knows the entry for a plain
                // file; the caller opens it without following a link and reads its status
                // from what it opened.
                result.host = std::move(candidate);
                result.entryName = name;
                result.exists = true;
                result.statusRead = false;
                result.info.st_mode = S_IFREG;
                result.folder = std::move(folder);
                return 0;
            }
            int looked = folder ? fstatat(folder->fd, name.c_str(), &linkInfo, AT_SYMLINK_NOFOLLOW)
                                : lstat(candidate.c_str(), &linkInfo);
            if (looked == 0) {
                present = true;
            } else if (errno != ENOENT || attempt == 1) {
                return last ? ErrorFromErrno(errno) : ERROR_PATH_NOT_FOUND;
            } else {
                ForgetIndexOf(current);
            }
        }
        if (!present) {
            if (!last)
                return ERROR_PATH_NOT_FOUND;
            result.host = (current == "/" ? "" : current) + "/" + utf8;
            if (folder) {
                result.entryName = utf8;
                result.folder = std::move(folder);
            }
            return 0;
        }
        exactAndPlain = exactAndPlain && name == utf8 && !S_ISLNK(linkInfo.st_mode);
        if (last)
            result.entryName = name;
        if (S_ISLNK(linkInfo.st_mode)) {
            char resolved[PATH_MAX];
            if (!realpath(candidate.c_str(), resolved))
                // A dangling link could only be followed out of the drive by creating a file.
                return last ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
            if (!IsInside(result.root, resolved))
                return ERROR_ACCESS_DENIED;
            candidate = resolved;
            if (stat(candidate.c_str(), &result.info) != 0)
                return ERROR_PATH_NOT_FOUND;
        } else {
            result.info = linkInfo;
            if (last)
                result.folder = std::move(folder);
        }
        if (!last && !S_ISDIR(result.info.st_mode))
            return ERROR_PATH_NOT_FOUND;
        current = std::move(candidate);
        currentInfo = result.info;
        if (exactAndPlain && start == 0 && i + 2 == path.parts.size())
            RememberKnown(KnownKey(path, i + 1), result.root, current, currentInfo);
    }
    // The root's status as it is now: the one the drive keeps may have older permissions.
    if (path.parts.empty() && stat(current.c_str(), &result.info) != 0)
        return ERROR_NOT_READY;
    result.host = std::move(current);
    result.exists = true;
    return 0;
}

FolderHandle::~FolderHandle() {
    close(fd);
}

int OpenLastComponent(const HostPath& path, int flags, mode_t mode) {
    if (path.folder)
        return openat(path.folder->fd, path.entryName.c_str(), flags, mode);
    return open(path.host.c_str(), flags, mode);
}

int AccessLastComponent(const HostPath& path, int mode, int flags) {
    if (path.folder)
        return faccessat(path.folder->fd, path.entryName.c_str(), mode, flags);
    return faccessat(AT_FDCWD, path.host.c_str(), mode, flags);
}

int LstatLastComponent(const HostPath& path, struct stat& info) {
    if (path.folder)
        return fstatat(path.folder->fd, path.entryName.c_str(), &info, AT_SYMLINK_NOFOLLOW);
    return lstat(path.host.c_str(), &info);
}

DWORD ResolvePath(LPCSTR path, NameRule rule, WindowsPath& parsed, HostPath& result,
                  LastStatus lastStatus) {
    if (DWORD error = ParseWindowsPath(path, rule, parsed))
        return error;
    return MapToHost(parsed, result, lastStatus);
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

int OpenToRead(const std::string& windowsPath) {
    detail::WindowsPath parsed;
    detail::HostPath path;
    if (detail::ResolvePath(windowsPath.c_str(), detail::NameRule::Strict, parsed, path,
                            detail::LastStatus::LeftToOpen) != 0 ||
        !path.exists)
        return -1;
    if (path.statusRead)
        return detail::OpenLastComponent(path, O_RDONLY | O_CLOEXEC);
    int fd = detail::OpenLastComponent(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 || errno != ELOOP)
        return fd;
    // A link took the file's place since its folder was read: look it up again.
    if (detail::ResolvePath(windowsPath.c_str(), detail::NameRule::Strict, parsed, path) != 0 ||
        !path.exists)
        return -1;
    return detail::OpenLastComponent(path, O_RDONLY | O_CLOEXEC);
}

} // namespace host
