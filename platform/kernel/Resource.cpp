// Finding and loading resources of a module.
#include "kernel/ModuleTable.h"

namespace host::detail {

namespace {

bool IsNeutral(uint16_t language) {
    return (language & 0x3FF) == 0;
}

} // namespace

const ResourceEntry* FindModuleResource(const Module& module, const ResourceId& type,
                                        const ResourceId& name) {
    // The neutral language wins, then the user's language, then its primary language with any
    // sublanguage, then whatever the module has: a library usually holds one language only.
    LANGID user = static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF);
    const ResourceEntry* best = nullptr;
    int bestRank = 0;
    bool typeFound = false;
    for (const ResourceEntry& entry : module.resources) {
        if (!entry.type.Matches(type))
            continue;
        typeFound = true;
        if (!entry.name.Matches(name))
            continue;
        int rank = 1;
        if (IsNeutral(entry.language))
            rank = 4;
        else if (entry.language == user)
            rank = 3;
        else if ((entry.language & 0x3FF) == (user & 0x3FF))
            rank = 2;
        if (rank > bestRank) {
            best = &entry;
            bestRank = rank;
        }
    }
    if (!best)
        SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return best;
}

const ResourceEntry* EntryOfHandle(const Module& module, HRSRC resource) {
    for (const ResourceEntry& entry : module.resources)
        if (reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&entry)) == resource)
            return &entry;
    return nullptr;
}

} // namespace host::detail

using namespace host::detail;

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    const Module* found = FindModule(module);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!type) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const ResourceEntry* entry = FindModuleResource(*found, ResourceId::FromWindowsId(type),
                                                    ResourceId::FromWindowsId(name));
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    const Module* found = FindModule(module);
    const ResourceEntry* entry = found && resource ? EntryOfHandle(*found, resource) : nullptr;
    if (!entry || !entry->data.data) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    // Resources are never moved: the handle is the address of the data, as on Win32.
    return const_cast<uint8_t*>(entry->data.data);
}

LPVOID WINAPI LockResource(HGLOBAL resource) {
    return resource;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    const Module* found = FindModule(module);
    const ResourceEntry* entry = found && resource ? EntryOfHandle(*found, resource) : nullptr;
    if (!entry) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(entry->data.size);
}

namespace res {

size_t ResourceBytesAvailable(const void* p) {
    return p ? LoadedResourceBytesAfter(p) : 0;
}

} // namespace res
