#include "engine/RegistryWriter.h"

#include "script/RegistryEntry.h"
#include "script/RegistryValue.h"
#include "script/SetupScript.h"

#include <cstddef>
#include <cstring>

// The record goes into the registry byte for byte, so its layout is the 32-bit system's.
static_assert(sizeof(WIN32_FIND_DATAA) == 320, "WIN32_FIND_DATAA must be 320 bytes");
static_assert(offsetof(WIN32_FIND_DATAA, ftCreationTime) == 4, "creation time at 4");
static_assert(offsetof(WIN32_FIND_DATAA, ftLastAccessTime) == 12, "access time at 12");
static_assert(offsetof(WIN32_FIND_DATAA, ftLastWriteTime) == 20, "write time at 20");
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeHigh) == 28, "size high at 28");
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeLow) == 32, "size low at 32");
static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44, "file name at 44");
static_assert(offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304, "short name at 304");

namespace {

const char kWarnVerKey[] = "System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs";
const char kDriverDll[] = "\\WINKELP.DLL";

} // namespace

void WriteRegistryEntries(CSetupScript& script) {
    if (script.m_bDriverDllOnWin95) {
        char systemDir[256];
        UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
        // A failed query leaves the buffer undefined: then there is no path to record.
        if (length > 0 && length < sizeof systemDir) {
            CString path(systemDir);
            path += kDriverDll;
            RegisterWarnVerDll(path);
        }
    }
    for (POSITION position = script.m_registryList.GetHeadPosition(); position;) {
        auto* entry = static_cast<CRegistryEntry*>(script.m_registryList.GetNext(position));
        entry->WriteRegistryEntry();
    }
    // The entries reach the disk together, in one write of each registry file, instead of one
    // rewrite of a large file per key.
    RegFlushKey(HKEY_LOCAL_MACHINE);
}

int CRegistryEntry::WriteRegistryEntry() {
    // The key is created through the parent's handle, and the system asks for the right to
    // create subkeys on it besides the right to set values.
    HKEY parent = nullptr;
    if (RegOpenKeyExA(m_hRootKey, m_strParentKey, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &parent) !=
        ERROR_SUCCESS)
        return 0;
    char noClass[] = "";
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(parent, m_strKeyName, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, &disposition) != ERROR_SUCCESS) {
        RegCloseKey(parent);
        return 0;
    }
    int result = 0;
    if (!m_valueList.IsEmpty()) {
        result = 1;
        for (POSITION position = m_valueList.GetHeadPosition(); position;) {
            auto* value = static_cast<CRegistryValue*>(m_valueList.GetNext(position));
            value->WriteRegistryValue(key);
        }
    }
    RegCloseKey(key);
    RegCloseKey(parent);
    return result;
}

BOOL CRegistryValue::WriteRegistryValue(HKEY key) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    switch (m_dwType) {
    case REG_SZ:
        data = reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(m_strData));
        size = static_cast<DWORD>(m_strData.GetLength()) + 1;
        break;
    case REG_BINARY:
        data = m_binData.GetData();
        size = static_cast<DWORD>(m_binData.GetSize());
        break;
    case REG_DWORD:
        data = reinterpret_cast<const BYTE*>(&m_dwData);
        size = sizeof m_dwData;
        break;
    default:
        return FALSE;
    }
    return RegSetValueExA(key, m_strValueName, 0, m_dwType, data, size) == ERROR_SUCCESS;
}

void RegisterWarnVerDll(LPCSTR path) {
    WIN32_FIND_DATAA record;
    std::memset(&record, 0, sizeof record);
    HANDLE search = FindFirstFileA(path, &record);
    if (search == INVALID_HANDLE_VALUE)
        return;
    lstrcpyA(record.cFileName, "winkelp.dll");
    lstrcpyA(record.cAlternateFileName, "WINKELP.DLL");
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWarnVerKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "WINKELP.DLL", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&record),
                       sizeof record);
        RegCloseKey(key);
    }
    FindClose(search);
}
