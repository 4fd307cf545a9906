// The modules of the process: the program with its embedded compiled resources, and the
// resource-only libraries that LoadLibraryA opened. Internal to the native platform layer.
#pragma once

#include "kernel/ExecutableImage.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace host::detail {

struct Module {
    HMODULE handle = nullptr;
    bool isProgram = false;
    std::string windowsPath; // for a library: the full Windows path it was loaded from
    std::string fileName;    // upper-case file name, as GetModuleHandleA compares it
    int references = 0;
    std::vector<uint8_t> bytes; // the library's file; the program's resources are static
    std::vector<ResourceEntry> resources;
};

// The handle of the program's own module.
HMODULE ProgramModuleHandle();

// The module of a handle (NULL: the program), or NULL for a handle that is no module. The
// pointer stays valid until the library is freed; callers use it at once.
const Module* FindModule(HMODULE handle);

// A resource of a module by type and name: the neutral language first, then the user's, then
// any. NULL, with the error code set, when there is none.
const ResourceEntry* FindModuleResource(const Module& module, const ResourceId& type,
                                        const ResourceId& name);

// The resource entry behind an HRSRC of a module, or NULL when the handle is not one of the
// module's.
const ResourceEntry* EntryOfHandle(const Module& module, HRSRC resource);

// The bytes of a loaded resource that follow p, or 0 when p lies in none.
size_t LoadedResourceBytesAfter(const void* p);

} // namespace host::detail
