#include "RegistryStore.h"

#include "RegistryHive.h"

#include <kernel/Machine.h>
#include <registry/Registry.h>

#include <map>
#include <memory>

namespace host::detail::registry {

namespace {

// The one user of the machine, under the name Wine gives it.
const char16_t kUserSid[] = u"S-1-5-21-0-0-0-1000";
const char16_t kDefaultUser[] = u".Default";
const char16_t kClassesPath[] = u"Software\\Classes";
const char16_t kLinkValueName[] = u"SymbolicLinkValue";
constexpr int kMaxLinkHops = 16;

constexpr uintptr_t kClassesRoot = 0x80000000u;
constexpr uintptr_t kCurrentUser = 0x80000001u;
constexpr uintptr_t kLocalMachine = 0x80000002u;
constexpr uintptr_t kUsers = 0x80000003u;

struct Handle {
    std::shared_ptr<RegKey> key;
    REGSAM access = 0;
};

struct State {
    std::string prefix;
    bool win95 = false;
    bool wow64 = false; // the prefix is a 64-bit machine's; the installer is a 32-bit program
    std::unique_ptr<RegHive> system;
    std::unique_ptr<RegHive> user;
    std::unique_ptr<RegHive> userDefault;
    std::shared_ptr<RegKey> users; // HKEY_USERS: the two user hives side by side
    std::map<uintptr_t, Handle> handles;
    // A change was refused because its file is damaged, or a file could not be written: what
    // the run wrote to the registry is not all on disk.
    bool entriesLost = false;
};

std::unique_ptr<State> g_state;
// Handle numbers are never used twice, so that a handle kept past a machine's stop stays invalid.
uintptr_t g_nextHandle = 0x1000;

bool RunsWin95() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Splits a key path at its backslashes. A single trailing backslash is allowed, as the system
// allows it; a leading one or an empty name between two is not.
LONG SplitPath(const RegName& path, std::vector<RegName>& parts) {
    parts.clear();
    if (path.empty())
        return ERROR_SUCCESS;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(u'\\', start);
        if (end == RegName::npos)
            end = path.size();
        if (end == start) {
            if (end == path.size() && start > 0)
                break; // the trailing backslash
            return ERROR_BAD_PATHNAME;
        }
        if (end - start > kMaxRegKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts.push_back(path.substr(start, end - start));
        if (end == path.size())
            break;
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

bool StartsWithNoCase(const RegName& text, const RegName& prefix) {
    return text.size() >= prefix.size() &&
           FoldRegName(text.substr(0, prefix.size())) == FoldRegName(prefix);
}

LONG Walk(State& state, RegKey* start, const std::vector<RegName>& parts, bool followLast,
          bool redirect, int hops, RegKey*& result);

// The key a symbolic link points to: its target is a path of the native name space,
// \Registry\Machine\... or \Registry\User\<user>\....
LONG FollowLink(State& state, RegKey* key, int hops, RegKey*& result) {
    while (key->isLink) {
        if (++hops > kMaxLinkHops)
            return ERROR_FILE_NOT_FOUND;
        RegValue* value = key->FindValue(kLinkValueName);
        if (!value || value->type != REG_LINK)
            return ERROR_FILE_NOT_FOUND;
        RegName target;
        for (size_t i = 0; i + 1 < value->data.size(); i += 2)
            target.push_back(static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8)));
        while (!target.empty() && target.back() == 0)
            target.pop_back();
        RegKey* base = nullptr;
        RegName rest;
        if (StartsWithNoCase(target, u"\\Registry\\Machine")) {
            base = state.system->Root().get();
            rest = target.substr(17);
        } else if (StartsWithNoCase(target, u"\\Registry\\User")) {
            base = state.users.get();
            rest = target.substr(14);
        } else {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!rest.empty() && rest[0] != u'\\')
            return ERROR_FILE_NOT_FOUND;
        if (!rest.empty())
            rest.erase(0, 1);
        std::vector<RegName> parts;
        if (SplitPath(rest, parts) != ERROR_SUCCESS)
            return ERROR_FILE_NOT_FOUND;
        RegKey* next = nullptr;
        LONG error = Walk(state, base, parts, true, false, hops, next);
        if (error != ERROR_SUCCESS)
            return error;
        key = next;
    }
    result = key;
    return ERROR_SUCCESS;
}

LONG CheckUsable(const RegKey* key) {
    if (key->deleted)
        return ERROR_KEY_DELETED;
    if (key->hive && key->hive->IsDamaged())
        return ERROR_BADDB;
    return ERROR_SUCCESS;
}

// Moves key to where its links lead, and refuses it there if it cannot be used.
LONG FollowToUsable(State& state, RegKey*& key, int hops) {
    LONG error = FollowLink(state, key, hops, key);
    return error == ERROR_SUCCESS ? CheckUsable(key) : error;
}

// A 32-bit program on a 64-bit machine sees HKEY_LOCAL_MACHINE\Software through its
// Wow6432Node, as 64-bit Windows and Wine show it; the classes beneath are reached through the
// link Wine keeps there.
RegKey* Wow64View(const State& state, const RegKey* parent, RegKey* child) {
    if (!state.wow64 || parent != state.system->Root().get() ||
        FoldRegName(child->name) != u"SOFTWARE")
        return child;
    RegKey* node = child->FindSubkey(u"Wow6432Node");
    return node ? node : child;
}

// Goes down the existing keys of parts below start, following symbolic links on the way (and
// at the end when followLast), and seeing what a 32-bit program sees when redirect.
LONG Walk(State& state, RegKey* start, const std::vector<RegName>& parts, bool followLast,
          bool redirect, int hops, RegKey*& result) {
    RegKey* key = start;
    for (size_t i = 0; i < parts.size(); ++i) {
        LONG error = FollowToUsable(state, key, hops);
        if (error != ERROR_SUCCESS)
            return error;
        RegKey* next = key->FindSubkey(parts[i]);
        if (!next)
            return ERROR_FILE_NOT_FOUND;
        key = redirect ? Wow64View(state, key, next) : next;
    }
    if (followLast) {
        LONG error = FollowLink(state, key, hops, key);
        if (error != ERROR_SUCCESS)
            return error;
    }
    LONG error = CheckUsable(key);
    if (error != ERROR_SUCCESS)
        return error;
    result = key;
    return ERROR_SUCCESS;
}

// Creates the keys of path below root that are missing, following links as a program that
// creates them would; for the keys every system has.
RegKey* EnsurePath(State& state, RegKey& root, const RegName& path) {
    std::vector<RegName> parts;
    SplitPath(path, parts);
    RegKey* key = &root;
    for (const auto& part : parts) {
        if (FollowLink(state, key, 0, key) != ERROR_SUCCESS || CheckUsable(key) != ERROR_SUCCESS)
            return nullptr;
        bool created = false;
        key = key->AddSubkey(part, RegNow(), created);
        if (created && key->hive)
            key->hive->MarkDirty();
    }
    return key;
}

std::vector<BYTE> LinkData(const RegName& target) {
    std::vector<BYTE> data;
    for (char16_t c : target) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    return data;
}

// The keys a freshly installed system of each kind has and that setup scripts build on.
void AddMachineKeys(State& state) {
    RegKey& root = *state.system->Root();
    EnsurePath(state, root, u"SOFTWARE\\Classes");
    EnsurePath(state, root, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    if (state.win95) {
        EnsurePath(state, root, u"System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs");
        EnsurePath(state, root, u"System\\CurrentControlSet\\Services");
        EnsurePath(state, root, u"Enum");
        EnsurePath(state, root, u"hardware");
        return;
    }
    EnsurePath(state, root, u"HARDWARE\\DESCRIPTION\\System");
    EnsurePath(state, root, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    EnsurePath(state, root, u"SYSTEM\\ControlSet001\\Control");
    EnsurePath(state, root, u"SYSTEM\\ControlSet001\\Services");
    // As on NT and in Wine, the current control set is a link to the set in use.
    if (RegKey* current = EnsurePath(state, root, u"SYSTEM\\CurrentControlSet")) {
        current->isLink = true;
        current->SetValue(kLinkValueName, REG_LINK,
                          LinkData(u"\\Registry\\Machine\\SYSTEM\\ControlSet001"));
    }
    if (RegKey* select = EnsurePath(state, root, u"SYSTEM\\Select"))
        select->SetValue(u"Current", REG_DWORD, {1, 0, 0, 0});
    state.system->MarkDirty();
}

void AddUserKeys(State& state, RegHive& hive) {
    RegKey& root = *hive.Root();
    EnsurePath(state, root, u"Control Panel");
    EnsurePath(state, root, u"Software\\Microsoft\\Windows\\CurrentVersion");
    hive.MarkDirty();
}

bool SaveAll(State& state) {
    bool ok = true;
    for (RegHive* hive : {state.system.get(), state.user.get(), state.userDefault.get()}) {
        if (hive->IsDirty() && !hive->IsDamaged())
            ok = hive->Save() && ok;
    }
    if (!ok)
        state.entriesLost = true;
    return ok;
}

// A change that could not be made because its file is damaged is a registry entry lost.
LONG NoteRefusal(State* state, LONG error) {
    if (state && error == ERROR_BADDB)
        state->entriesLost = true;
    return error;
}

std::unique_ptr<State> LoadState(const std::string& prefix) {
    auto state = std::make_unique<State>();
    state->prefix = prefix;
    state->win95 = RunsWin95();
    state->system = std::make_unique<RegHive>(prefix + "/system.reg", "\\\\Machine", u"");
    state->user = std::make_unique<RegHive>(prefix + "/user.reg", "\\\\User\\\\S-1-5-21-0-0-0-1000",
                                            RegName(kUserSid));
    state->userDefault = std::make_unique<RegHive>(prefix + "/userdef.reg", "\\\\User\\\\.Default",
                                                   RegName(kDefaultUser));
    state->system->Load();
    state->user->Load();
    state->userDefault->Load();
    state->wow64 = state->system->Arch() == "win64";

    state->users = std::make_shared<RegKey>();
    state->users->modified = RegNow();
    for (RegHive* hive : {state->userDefault.get(), state->user.get()}) {
        const auto& root = hive->Root();
        state->users->subkeys.emplace(FoldRegName(root->name), root);
    }

    if (state->system->IsNew())
        AddMachineKeys(*state);
    if (!state->system->IsDamaged()) {
        // Classes are where HKEY_CLASSES_ROOT points, and the Windows 95 family's version
        // warnings are where installers record their shared libraries: both must be there.
        EnsurePath(*state, *state->system->Root(), kClassesPath);
        if (state->win95)
            EnsurePath(*state, *state->system->Root(),
                       u"System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs");
    }
    if (state->user->IsNew())
        AddUserKeys(*state, *state->user);
    if (state->userDefault->IsNew())
        AddUserKeys(*state, *state->userDefault);
    SaveAll(*state);
    // Making the prefix's files is not a change of the run's own.
    state->entriesLost = false;
    return state;
}

State* CurrentState() {
    if (!host::MachineStarted())
        return nullptr;
    if (g_state && g_state->prefix == host::PrefixDir())
        return g_state.get();
    static bool s_bStopHandlerAdded = false;
    if (!s_bStopHandlerAdded) {
        host::AddMachineStopHandler([] { host::UnloadRegistry(); });
        s_bStopHandlerAdded = true;
    }
    // A machine on another prefix: what was loaded for the last one was written back when
    // that machine stopped.
    g_state = LoadState(host::PrefixDir());
    return g_state.get();
}

REGSAM GrantedAccess(const State& state, REGSAM requested) {
    // The Windows 95 family's registry has no access control at all.
    if (state.win95 || (requested & (MAXIMUM_ALLOWED | GENERIC_ALL)))
        return KEY_ALL_ACCESS;
    REGSAM granted = requested & (STANDARD_RIGHTS_ALL | 0x3F);
    if (requested & GENERIC_READ)
        granted |= KEY_READ;
    if (requested & GENERIC_WRITE)
        granted |= KEY_WRITE;
    if (requested & GENERIC_EXECUTE)
        granted |= KEY_EXECUTE;
    return granted;
}

// The key and access behind a handle; handle is null for the predefined roots.
LONG Resolve(State& state, HKEY hkey, Handle*& handle, RegKey*& key, REGSAM& access) {
    auto value = reinterpret_cast<uintptr_t>(hkey);
    handle = nullptr;
    access = KEY_ALL_ACCESS;
    switch (value) {
    case kLocalMachine:
        key = state.system->Root().get();
        break;
    case kCurrentUser:
        key = state.user->Root().get();
        break;
    case kUsers:
        key = state.users.get();
        break;
    case kClassesRoot: {
        std::vector<RegName> parts;
        SplitPath(kClassesPath, parts);
        LONG error = Walk(state, state.system->Root().get(), parts, true, false, 0, key);
        // A 32-bit program on a 64-bit machine sees the classes of its own kind.
        RegKey* node =
            error == ERROR_SUCCESS && state.wow64 ? key->FindSubkey(u"Wow6432Node") : nullptr;
        if (!node)
            return error;
        key = node;
        return FollowToUsable(state, key, 0);
    }
    default: {
        auto it = state.handles.find(value);
        if (it == state.handles.end())
            return ERROR_INVALID_HANDLE;
        handle = &it->second;
        key = handle->key.get();
        access = handle->access;
        break;
    }
    }
    return CheckUsable(key);
}

HKEY NewHandle(State& state, RegKey* key, REGSAM access) {
    uintptr_t value = g_nextHandle;
    g_nextHandle += 4;
    state.handles[value] = Handle{key->shared_from_this(), access};
    return reinterpret_cast<HKEY>(value);
}

// Records a change. The files are written when the registry is flushed or the machine stops,
// not at every change: a run's entries reach the disk together, in one write per file.
void NoteChange(RegKey* key) {
    key->Touch(RegNow());
    if (key->hive)
        key->hive->MarkDirty();
}

// What a call on an open key works with: the registry of the running machine, the handle
// (null for a predefined root), the key behind it and the access it was opened with.
struct OpenedKey {
    State* state = nullptr;
    Handle* handle = nullptr;
    RegKey* key = nullptr;
    REGSAM access = 0;
};

// Finds the key behind hkey. Calls differ in what they report while no machine runs, so the
// caller says it in noMachine.
LONG ResolveOpened(HKEY hkey, LONG noMachine, OpenedKey& opened) {
    opened.state = CurrentState();
    if (!opened.state)
        return noMachine;
    return Resolve(*opened.state, hkey, opened.handle, opened.key, opened.access);
}

// Finds the key behind hkey for a call that needs the given access rights through it.
LONG ResolveForAccess(HKEY hkey, REGSAM needed, OpenedKey& opened) {
    LONG error = ResolveOpened(hkey, ERROR_INVALID_HANDLE, opened);
    if (error != ERROR_SUCCESS)
        return error;
    return (opened.access & needed) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Finds the existing key subKey below base, following a link at its end when followLast.
LONG FindSubkeyPath(State& state, RegKey* base, const RegName& subKey, bool followLast,
                    RegKey*& key) {
    std::vector<RegName> parts;
    LONG error = SplitPath(subKey, parts);
    if (error != ERROR_SUCCESS)
        return error;
    return Walk(state, base, parts, followLast, true, 0, key);
}

} // namespace

LONG OpenKey(HKEY hkey, const RegName& subKey, DWORD options, REGSAM access, HKEY& result) {
    RegKey* key = nullptr;
    OpenedKey base;
    LONG error = ResolveOpened(hkey, ERROR_CANTOPEN, base);
    if (error == ERROR_SUCCESS)
        error =
            FindSubkeyPath(*base.state, base.key, subKey, !(options & REG_OPTION_OPEN_LINK), key);
    if (error != ERROR_SUCCESS) {
        // Opening to write into a damaged file is where a registry entry is lost.
        if (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE))
            NoteRefusal(base.state, error);
        return error;
    }
    result = NewHandle(*base.state, key, GrantedAccess(*base.state, access));
    return ERROR_SUCCESS;
}

LONG CreateKey(HKEY hkey, const RegName& subKey, const RegName& className, DWORD options,
               REGSAM access, HKEY& result, DWORD& disposition) {
    OpenedKey base;
    LONG error = ResolveOpened(hkey, ERROR_CANTOPEN, base);
    if (error != ERROR_SUCCESS)
        return NoteRefusal(base.state, error);
    State* state = base.state;
    RegKey* key = base.key;
    std::vector<RegName> parts;
    error = SplitPath(subKey, parts);
    if (error != ERROR_SUCCESS)
        return error;
    bool isVolatile = (options & REG_OPTION_VOLATILE) != 0;
    disposition = REG_OPENED_EXISTING_KEY;
    for (size_t i = 0; i < parts.size(); ++i) {
        error = FollowToUsable(*state, key, 0);
        if (error != ERROR_SUCCESS)
            return NoteRefusal(state, error);
        if (RegKey* existing = key->FindSubkey(parts[i])) {
            key = Wow64View(*state, key, existing);
            continue;
        }
        // Making a key takes the right to make subkeys of the key the handle stands for.
        if (!key->hive || !(base.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        if (key->isVolatile && !isVolatile)
            return ERROR_CHILD_MUST_BE_VOLATILE;
        // No deeper than the system allows, so that the file stays one the loader accepts.
        size_t depth = 1;
        for (const RegKey* above = key; above->parent; above = above->parent)
            ++depth;
        if (depth > kMaxRegKeyDepth)
            return ERROR_INVALID_PARAMETER;
        bool created = false;
        RegKey* child = key->AddSubkey(parts[i], RegNow(), created);
        child->isVolatile = isVolatile;
        if (i + 1 == parts.size() && !className.empty()) {
            child->className = className;
            child->hasClass = true;
        }
        key->Touch(child->modified);
        key->hive->MarkDirty();
        key = child;
        disposition = REG_CREATED_NEW_KEY;
    }
    if (disposition == REG_CREATED_NEW_KEY)
        NoteChange(key);
    error = FollowToUsable(*state, key, 0);
    if (error != ERROR_SUCCESS)
        return error;
    result = NewHandle(*state, key, GrantedAccess(*state, access));
    return ERROR_SUCCESS;
}

LONG CloseKey(HKEY hkey) {
    State* state = CurrentState();
    if (!state)
        return ERROR_INVALID_HANDLE;
    // What was changed through the handle reaches the file when the registry is flushed.
    auto value = reinterpret_cast<uintptr_t>(hkey);
    if (value >= kClassesRoot && value <= kUsers)
        return ERROR_SUCCESS;
    auto it = state->handles.find(value);
    if (it == state->handles.end())
        return ERROR_INVALID_HANDLE;
    state->handles.erase(it);
    return ERROR_SUCCESS;
}

LONG FlushKey(HKEY hkey) {
    OpenedKey opened;
    LONG error = ResolveOpened(hkey, ERROR_INVALID_HANDLE, opened);
    // A damaged file under the key does not keep the other files from being written.
    if (error != ERROR_SUCCESS && error != ERROR_BADDB)
        return error;
    bool saved = SaveAll(*opened.state);
    return error != ERROR_SUCCESS ? error : saved ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG SetValue(HKEY hkey, const RegName& name, DWORD type, std::vector<BYTE> data) {
    OpenedKey opened;
    LONG error = ResolveForAccess(hkey, KEY_SET_VALUE, opened);
    if (error != ERROR_SUCCESS)
        return NoteRefusal(opened.state, error);
    if (!opened.key->hive)
        return ERROR_ACCESS_DENIED; // a key of no file could not keep the change
    if (name.size() > kMaxRegValueNameLength)
        return ERROR_INVALID_PARAMETER;
    opened.key->SetValue(name, type, std::move(data));
    NoteChange(opened.key);
    return ERROR_SUCCESS;
}

LONG QueryValue(HKEY hkey, const RegName& name, DWORD& type, std::vector<BYTE>& data) {
    OpenedKey opened;
    LONG error = ResolveForAccess(hkey, KEY_QUERY_VALUE, opened);
    if (error != ERROR_SUCCESS)
        return error;
    RegValue* value = opened.key->FindValue(name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    type = value->type;
    data = value->data;
    return ERROR_SUCCESS;
}

LONG EnumKey(HKEY hkey, DWORD index, KeyInfo& info) {
    OpenedKey opened;
    LONG error = ResolveForAccess(hkey, KEY_ENUMERATE_SUB_KEYS, opened);
    if (error != ERROR_SUCCESS)
        return error;
    if (index >= opened.key->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    auto it = opened.key->subkeys.begin();
    std::advance(it, index);
    info.name = it->second->name;
    info.className = it->second->className;
    info.modified = it->second->modified;
    return ERROR_SUCCESS;
}

LONG EnumValue(HKEY hkey, DWORD index, RegValue& value) {
    OpenedKey opened;
    LONG error = ResolveForAccess(hkey, KEY_QUERY_VALUE, opened);
    if (error != ERROR_SUCCESS)
        return error;
    if (index >= opened.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    value = opened.key->values[index];
    return ERROR_SUCCESS;
}

LONG DeleteValue(HKEY hkey, const RegName& name) {
    OpenedKey opened;
    LONG error = ResolveForAccess(hkey, KEY_SET_VALUE, opened);
    if (error != ERROR_SUCCESS)
        return NoteRefusal(opened.state, error);
    if (!opened.key->hive)
        return ERROR_ACCESS_DENIED; // a key of no file could not keep the change
    if (!opened.key->DeleteValue(name))
        return ERROR_FILE_NOT_FOUND;
    NoteChange(opened.key);
    return ERROR_SUCCESS;
}

LONG DeleteKey(HKEY hkey, const RegName& subKey) {
    OpenedKey base;
    LONG error = ResolveOpened(hkey, ERROR_INVALID_HANDLE, base);
    if (error != ERROR_SUCCESS)
        return error;
    RegKey* key = nullptr;
    error = FindSubkeyPath(*base.state, base.key, subKey, false, key);
    if (error != ERROR_SUCCESS)
        return NoteRefusal(base.state, error);
    RegKey* parent = key->parent;
    if (!parent || !key->hive)
        return ERROR_ACCESS_DENIED; // the root of a file
    // NT deletes only a key without subkeys; the Windows 95 family takes the whole tree.
    if (!key->subkeys.empty() && !base.state->win95)
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<RegKey> keep = key->shared_from_this();
    parent->subkeys.erase(FoldRegName(key->name));
    keep->MarkDeleted();
    NoteChange(parent);
    return ERROR_SUCCESS;
}

} // namespace host::detail::registry

namespace host {

void LoadRegistry() {
    detail::registry::CurrentState();
}

bool FlushRegistry() {
    using namespace detail::registry;
    if (!g_state || !host::MachineStarted())
        return true;
    return SaveAll(*g_state);
}

bool RegistryEntriesLost() {
    using namespace detail::registry;
    return g_state && host::MachineStarted() && g_state->entriesLost;
}

void DiscardRegistryChanges() {
    using namespace detail::registry;
    g_state.reset();
}

void UnloadRegistry() {
    using namespace detail::registry;
    if (!g_state)
        return;
    if (host::MachineStarted())
        SaveAll(*g_state);
    g_state.reset();
}

} // namespace host
