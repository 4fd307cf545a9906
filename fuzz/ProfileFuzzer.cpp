// The profile reader: any file is read without overrunning a buffer, and every section, key
// list and value it reports can be read back, also into buffers too small for them.
#include "FuzzMachine.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Walks a list of names ending with two zero bytes.
std::vector<std::string> Names(const char* list, DWORD length) {
    std::vector<std::string> names;
    for (DWORD at = 0; at < length;) {
        std::string name(list + at);
        at += static_cast<DWORD>(name.size()) + 1;
        names.push_back(name);
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A new name for every input: the reader keeps what it parsed while the file is unchanged.
    static unsigned s_nInput = 0;
    char name[32];
    std::snprintf(name, sizeof name, "P%u.INI", s_nInput++ % 1000000);
    std::string path = fuzz::PutOnMedium(name, data, size);

    static char buffer[65536];
    DWORD sections =
        GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
    int sectionsRead = 0;
    for (const std::string& section : Names(buffer, sections)) {
        if (++sectionsRead > 16)
            break;
        static char keys[65536];
        DWORD keyLength =
            GetPrivateProfileStringA(section.c_str(), nullptr, "", keys, sizeof keys, path.c_str());
        int keysRead = 0;
        for (const std::string& key : Names(keys, keyLength)) {
            if (++keysRead > 32)
                break;
            char value[256];
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "DEF", value, sizeof value,
                                     path.c_str());
            char small[3];
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "DEFAULT", small, sizeof small,
                                     path.c_str());
            GetPrivateProfileIntA(section.c_str(), key.c_str(), 7, path.c_str());
        }
        char small[4];
        GetPrivateProfileStringA(section.c_str(), nullptr, "", small, sizeof small, path.c_str());
    }
    DeleteFileA(path.c_str());
    return 0;
}
