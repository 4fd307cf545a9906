// The registry's A functions: names and string data arrive and leave in the ANSI code page and
// are kept in UTF-16, as the real system keeps them.
#include "RegistryStore.h"

#include <windows.h>

#include <cstring>

using namespace host::detail;

namespace {

RegName Widen(const char* text, int length) {
    if (!text || length == 0)
        return RegName();
    int wide = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (wide <= 0)
        return RegName();
    RegName result(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<LPWSTR>(result.data()), wide);
    return result;
}

RegName Widen(LPCSTR text) {
    if (!text || !*text)
        return RegName();
    return Widen(text, static_cast<int>(std::strlen(text)));
}

std::string Narrow(const char16_t* text, size_t length) {
    if (length == 0)
        return std::string();
    auto wide = reinterpret_cast<LPCWSTR>(text);
    int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0)
        return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::string Narrow(const RegName& text) {
    return Narrow(text.data(), text.size());
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// String data crosses in the ANSI code page, byte for byte what the caller gave or receives.
// Text whose size leaves out the zero right after it gets that zero: the system reads the byte
// past the size, since leaving the zero out of the count is a common mistake of its callers.
std::vector<BYTE> DataToStore(DWORD type, const BYTE* data, DWORD size) {
    if (!IsStringType(type))
        return std::vector<BYTE>(data, data + size);
    if (size > 0 && data[size - 1] != 0 && data[size] == 0)
        ++size;
    RegName wide = Widen(reinterpret_cast<const char*>(data), static_cast<int>(size));
    std::vector<BYTE> stored;
    stored.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        stored.push_back(static_cast<BYTE>(c & 0xFF));
        stored.push_back(static_cast<BYTE>(c >> 8));
    }
    return stored;
}

std::vector<BYTE> DataFromStore(DWORD type, const std::vector<BYTE>& data) {
    if (!IsStringType(type))
        return data;
    RegName wide;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        wide.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    std::string text = Narrow(wide);
    return std::vector<BYTE>(text.begin(), text.end());
}

// Hands data out as the query functions do: the size needed without a buffer, ERROR_MORE_DATA
// and the size needed when the buffer is too small.
LONG CopyData(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size) {
    auto needed = static_cast<DWORD>(data.size());
    if (!size)
        return buffer ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (!buffer) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        std::memcpy(buffer, data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

// Copies a name with its terminating zero into a buffer of *length characters; *length becomes
// the name's length without the zero.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD length) {
    if (!buffer || !length)
        return ERROR_INVALID_PARAMETER;
    if (*length <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

} // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY opened = nullptr;
    LONG error = registry::OpenKey(key, Widen(subKey), options, access, opened);
    if (error == ERROR_SUCCESS)
        *result = opened;
    return error;
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!subKey || !*subKey) {
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(key, subKey, 0, MAXIMUM_ALLOWED, result);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR className, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES, PHKEY result,
                            LPDWORD disposition) {
    if (!result || !subKey)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY created = nullptr;
    DWORD how = 0;
    LONG error =
        registry::CreateKey(key, Widen(subKey), Widen(className), options, access, created, how);
    if (error != ERROR_SUCCESS)
        return error;
    *result = created;
    if (disposition)
        *disposition = how;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!subKey || !*subKey) {
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegCreateKeyExA(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED,
                           nullptr, result, nullptr);
}

LONG WINAPI RegCloseKey(HKEY key) {
    return registry::CloseKey(key);
}

LONG WINAPI RegFlushKey(HKEY key) {
    return registry::FlushKey(key);
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                           DWORD size) {
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    return registry::SetValue(key, Widen(valueName), type, DataToStore(type, data, size));
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD size) {
    if (reserved || (data && !size))
        return ERROR_INVALID_PARAMETER;
    DWORD storedType = REG_NONE;
    std::vector<BYTE> stored;
    LONG error = registry::QueryValue(key, Widen(valueName), storedType, stored);
    if (error != ERROR_SUCCESS)
        return error;
    if (type)
        *type = storedType;
    return CopyData(DataFromStore(storedType, stored), data, size);
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPSTR className, LPDWORD classLength, PFILETIME lastWriteTime) {
    if (reserved || !name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    registry::KeyInfo info;
    LONG error = registry::EnumKey(key, index, info);
    if (error != ERROR_SUCCESS)
        return error;
    error = CopyName(Narrow(info.name), name, nameLength);
    if (error != ERROR_SUCCESS)
        return error;
    if (className && classLength) {
        error = CopyName(Narrow(info.className), className, classLength);
        if (error != ERROR_SUCCESS)
            return error;
    }
    if (lastWriteTime) {
        lastWriteTime->dwLowDateTime = static_cast<DWORD>(info.modified & 0xFFFFFFFFu);
        lastWriteTime->dwHighDateTime = static_cast<DWORD>(info.modified >> 32);
    }
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPDWORD type, LPBYTE data, LPDWORD size) {
    if (reserved || !name || !nameLength || (data && !size))
        return ERROR_INVALID_PARAMETER;
    RegValue value;
    LONG error = registry::EnumValue(key, index, value);
    if (error != ERROR_SUCCESS)
        return error;
    error = CopyName(Narrow(value.name), name, nameLength);
    if (error != ERROR_SUCCESS)
        return error;
    if (type)
        *type = value.type;
    return CopyData(DataFromStore(value.type, value.data), data, size);
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
    return registry::DeleteValue(key, Widen(valueName));
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    return registry::DeleteKey(key, Widen(subKey));
}
