#include "script/KeyList.h"
#include "script/RegistryEntry.h"
#include "script/SetupScript.h"

#include <cstring>
#include <vector>

void FillRegistryList(CSetupScript& script) {
    while (!script.m_registryList.IsEmpty())
        delete script.m_registryList.RemoveHead();

    // The registry lines' list stays in use while each line's value names are read.
    std::vector<char> keys;
    std::vector<char> valueNames;
    for (const char* key = ReadKeyList("Registry", script.m_strScriptPath, keys); *key;
         key += std::strlen(key) + 1) {
        char value[CSetupScript::kLineValueSize];
        GetPrivateProfileStringA("Registry", key, "", value, sizeof value, script.m_strScriptPath);

        CRegistryEntry* entry = new CRegistryEntry(key, value);
        if (!entry->m_bValid || (entry->m_dwTargetOS & script.m_dwRunningOS) == 0 ||
            (entry->m_dwTargetPC & script.m_dwRunningPC) == 0) {
            delete entry;
            continue;
        }

        // The values live in the section named by the line's whole key text, filters
        // included.
        for (const char* name = ReadKeyList(key, script.m_strScriptPath, valueNames); *name;
             name += std::strlen(name) + 1) {
            char data[CSetupScript::kLineValueSize];
            GetPrivateProfileStringA(key, name, "", data, sizeof data, script.m_strScriptPath);
            entry->AddValue(name, data);
        }
        script.m_registryList.AddTail(entry);
    }
}
