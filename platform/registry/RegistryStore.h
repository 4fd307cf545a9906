// The registry of the running machine: its three files, the predefined root keys over them and
// the open key handles. The A functions of the registry API are a thin layer over these calls,
// which take names and strings in UTF-16 and return Windows error codes.
#pragma once

#include "RegistryTree.h"

#include <windows.h>

#include <vector>

namespace host::detail::registry {

struct KeyInfo {
    RegName name;
    RegName className;
    uint64_t modified = 0;
};

LONG OpenKey(HKEY key, const RegName& subKey, DWORD options, REGSAM access, HKEY& result);
LONG CreateKey(HKEY key, const RegName& subKey, const RegName& className, DWORD options,
               REGSAM access, HKEY& result, DWORD& disposition);
LONG CloseKey(HKEY key);
LONG FlushKey(HKEY key);
LONG SetValue(HKEY key, const RegName& name, DWORD type, std::vector<BYTE> data);
LONG QueryValue(HKEY key, const RegName& name, DWORD& type, std::vector<BYTE>& data);
LONG EnumKey(HKEY key, DWORD index, KeyInfo& info);
LONG EnumValue(HKEY key, DWORD index, RegValue& value);
LONG DeleteValue(HKEY key, const RegName& name);
LONG DeleteKey(HKEY key, const RegName& subKey);

} // namespace host::detail::registry
