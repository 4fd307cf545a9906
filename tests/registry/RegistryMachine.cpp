#include "RegistryMachine.h"

#include <filesystem>

std::vector<std::string> RegistryMachine::StrayFiles() const {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(Prefix())) {
        std::string name = entry.path().filename().string();
        if (name.find(".reg") != std::string::npos && name != "system.reg" && name != "user.reg" &&
            name != "userdef.reg")
            stray.push_back(name);
    }
    return stray;
}

std::string QueryBytes(HKEY key, LPCSTR name, DWORD& type, LONG& error) {
    DWORD size = 0;
    type = REG_NONE;
    error = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (error != ERROR_SUCCESS)
        return std::string();
    std::string data(size, '\0');
    error =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size);
    data.resize(size);
    return data;
}
