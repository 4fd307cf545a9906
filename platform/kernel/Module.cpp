// The module table and the library calls: LoadLibraryA, FreeLibrary, GetModuleHandleA and
// GetModuleFileNameA.
#include "kernel/ModuleTable.h"

#include "ResFile.h"

#include <kernel/Machine.h>

#include <mutex>

// The program's compiled resources, embedded by the build. Weak, so that a program built
// without them still links and simply has no resources of its own.
extern "C" {
extern const unsigned char veltrix_program_resources[] __attribute__((weak));
extern const size_t veltrix_program_resources_size __attribute__((weak));
}

namespace host::detail {

namespace {

// Handles look like the load addresses Windows gives: the program at the classic image base,
// libraries at distinct addresses that are never reused, so that a stale handle of a freed
// library finds nothing rather than another library.
const uintptr_t kProgramBase = 0x00400000;
const uintptr_t kFirstLibraryBase = 0x10000000;
const uintptr_t kLibraryStride = 0x00010000;

// A library file larger than this is not a resource library the installer could mean.
const DWORD kMaxLibraryFileSize = 64u << 20;

struct ModuleTable {
    std::recursive_mutex lock;
    bool programLoaded = false;
    Module program;
    std::vector<std::unique_ptr<Module>> libraries;
    uintptr_t nextBase = kFirstLibraryBase;
};

ModuleTable& Table() {
    static ModuleTable* table = [] {
        auto* created = new ModuleTable;
        // Libraries are files of one machine: when it stops they go with it, so that a machine
        // started later in the same process finds its own files, not another prefix's.
        host::AddMachineStopHandler([created] {
            std::lock_guard<std::recursive_mutex> guard(created->lock);
            created->libraries.clear();
        });
        return created;
    }();
    return *table;
}

bool IsLead(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

// Upper-cases the ASCII letters of an ANSI string; the trail bytes of double-byte characters
// stay as they are.
std::string UpperAnsi(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLead(c) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// The offset just after the last path separator (backslash, slash or a drive's colon), 0
// when there is none. A trail byte 0x5C is not a backslash.
size_t FileNameStart(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLead(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':')
            start = i + 1;
    }
    return start;
}

// The name with ".DLL" added when its file name has no extension; a trailing dot means "no
// extension" and is dropped.
std::string WithDefaultExtension(const std::string& name) {
    size_t start = FileNameStart(name);
    std::string file = name.substr(start);
    if (!file.empty() && file.back() == '.')
        return name.substr(0, name.size() - 1);
    if (file.find('.') == std::string::npos)
        return name + ".DLL";
    return name;
}

void LoadProgram(ModuleTable& table) {
    if (table.programLoaded)
        return;
    table.programLoaded = true;
    table.program.handle = reinterpret_cast<HMODULE>(kProgramBase);
    table.program.isProgram = true;
    table.program.references = 1;
    if (&veltrix_program_resources_size != nullptr && veltrix_program_resources != nullptr)
        ParseResFile(veltrix_program_resources, veltrix_program_resources_size,
                     table.program.resources);
}

Module* FindLoadedByName(ModuleTable& table, const std::string& upperName) {
    for (auto& library : table.libraries)
        if (library->fileName == upperName)
            return library.get();
    return nullptr;
}

Module* FindLoadedByPath(ModuleTable& table, const std::string& upperPath) {
    for (auto& library : table.libraries)
        if (UpperAnsi(library->windowsPath) == upperPath)
            return library.get();
    return nullptr;
}

enum class ReadResult { Read, NotFound, Failed };

// Reads a whole file through the machine's file API.
ReadResult ReadWindowsFile(const std::string& path, std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReadResult::NotFound;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    ReadResult result = ReadResult::Read;
    if (size == INVALID_FILE_SIZE || high != 0 || size > kMaxLibraryFileSize) {
        result = ReadResult::Failed;
    } else {
        bytes.resize(size);
        DWORD done = 0;
        while (done < size) {
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + done, size - done, &read, nullptr) || read == 0) {
                result = ReadResult::Failed;
                break;
            }
            done += read;
        }
    }
    CloseHandle(file);
    return result;
}

std::string FullWindowsPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer)
        return path;
    return std::string(buffer, length);
}

std::string DirectoryWithSeparator(const std::string& dir) {
    if (dir.empty())
        return dir;
    size_t start = FileNameStart(dir);
    return start == dir.size() ? dir : dir + "\\";
}

std::string SystemDirectory(UINT(WINAPI* getter)(LPSTR, UINT)) {
    char buffer[MAX_PATH * 2];
    UINT length = getter(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return DirectoryWithSeparator(std::string(buffer, length));
}

// The places a name without a path is looked for, in order: the program's directory, the
// System directory and the Windows directory.
std::vector<std::string> SearchDirectories() {
    std::vector<std::string> dirs;
    std::string program = host::ProgramWindowsPath();
    dirs.push_back(program.substr(0, FileNameStart(program)));
    dirs.push_back(SystemDirectory(GetSystemDirectoryA));
    dirs.push_back(SystemDirectory(GetWindowsDirectoryA));
    return dirs;
}

// Opens a library file: TRUE with the module filled in, FALSE with the error code set.
bool OpenLibrary(const std::string& fullPath, std::vector<uint8_t>& bytes, Module& module) {
    module.bytes = std::move(bytes);
    // The entries point into the bytes, which the vector keeps where they are from now on.
    ExecutableImage image(module.bytes.data(), module.bytes.size());
    // A 32-bit program maps only 32-bit images; 16-bit and 64-bit ones are refused as the
    // system refuses them.
    if (image.Kind() != ImageKind::Pe32 || !image.IsComplete()) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return false;
    }
    module.resources = image.Resources();
    module.windowsPath = fullPath;
    module.fileName = UpperAnsi(fullPath.substr(FileNameStart(fullPath)));
    module.references = 1;
    return true;
}

} // namespace

HMODULE ProgramModuleHandle() {
    return reinterpret_cast<HMODULE>(kProgramBase);
}

const Module* FindModule(HMODULE handle) {
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    LoadProgram(table);
    if (!handle || handle == table.program.handle)
        return &table.program;
    for (auto& library : table.libraries)
        if (library->handle == handle)
            return library.get();
    return nullptr;
}

} // namespace host::detail

using namespace host::detail;

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    LoadProgram(table);
    std::string name = WithDefaultExtension(fileName);
    bool hasPath = FileNameStart(name) != 0;
    if (!hasPath) {
        if (Module* loaded = FindLoadedByName(table, UpperAnsi(name))) {
            ++loaded->references;
            return loaded->handle;
        }
    }
    std::vector<std::string> candidates;
    if (hasPath) {
        candidates.push_back(name);
    } else {
        for (const std::string& dir : SearchDirectories())
            if (!dir.empty())
                candidates.push_back(dir + name);
    }
    for (const std::string& candidate : candidates) {
        std::string fullPath = FullWindowsPath(candidate);
        if (Module* loaded = FindLoadedByPath(table, UpperAnsi(fullPath))) {
            ++loaded->references;
            return loaded->handle;
        }
        std::vector<uint8_t> bytes;
        ReadResult read = ReadWindowsFile(candidate, bytes);
        if (read == ReadResult::NotFound)
            continue;
        // The first file found is the library, usable or not: the search does not go on past
        // a damaged file to another one.
        if (read == ReadResult::Failed) {
            SetLastError(ERROR_BAD_EXE_FORMAT);
            return nullptr;
        }
        auto module = std::make_unique<Module>();
        if (!OpenLibrary(fullPath, bytes, *module))
            return nullptr;
        module->handle = reinterpret_cast<HMODULE>(table.nextBase);
        table.nextBase += kLibraryStride;
        HMODULE handle = module->handle;
        table.libraries.push_back(std::move(module));
        SetLastError(ERROR_SUCCESS);
        return handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    LoadProgram(table);
    if (module == table.program.handle)
        return TRUE;
    for (auto it = table.libraries.begin(); it != table.libraries.end(); ++it) {
        if ((*it)->handle != module)
            continue;
        if (--(*it)->references <= 0)
            table.libraries.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    LoadProgram(table);
    if (!moduleName)
        return table.program.handle;
    std::string name = UpperAnsi(WithDefaultExtension(moduleName));
    bool hasPath = FileNameStart(name) != 0;
    std::string program = UpperAnsi(host::ProgramWindowsPath());
    std::string programFile = program.substr(FileNameStart(program));
    if (hasPath ? name == program : name == programFile)
        return table.program.handle;
    Module* found = hasPath ? FindLoadedByPath(table, name) : FindLoadedByName(table, name);
    if (found)
        return found->handle;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    std::string path;
    {
        ModuleTable& table = Table();
        std::lock_guard<std::recursive_mutex> guard(table.lock);
        const Module* found = FindModule(module);
        if (!found) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = found->isProgram ? host::ProgramWindowsPath() : found->windowsPath;
    }
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        path.copy(fileName, path.size());
        fileName[path.size()] = '\0';
        return static_cast<DWORD>(path.size());
    }
    // Cut to the buffer without leaving half a double-byte character behind.
    size_t cut = 0;
    while (cut < path.size()) {
        size_t step = IsLead(static_cast<unsigned char>(path[cut])) ? 2 : 1;
        if (cut + step > size - 1)
            break;
        cut += step;
    }
    path.copy(fileName, cut);
    fileName[cut] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

namespace host::detail {

size_t LoadedResourceBytesAfter(const void* p) {
    ModuleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    LoadProgram(table);
    auto search = [p](const Module& module) -> size_t {
        const uint8_t* byte = static_cast<const uint8_t*>(p);
        for (const ResourceEntry& entry : module.resources) {
            // Compared as addresses: p may belong to another object altogether.
            uintptr_t start = reinterpret_cast<uintptr_t>(entry.data.data);
            uintptr_t at = reinterpret_cast<uintptr_t>(byte);
            if (entry.data.data && at >= start && at - start < entry.data.size)
                return entry.data.size - (at - start);
        }
        return 0;
    };
    if (size_t left = search(table.program))
        return left;
    for (auto& library : table.libraries)
        if (size_t left = search(*library))
            return left;
    return 0;
}

} // namespace host::detail
