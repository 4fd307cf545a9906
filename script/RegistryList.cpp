#include "script/RegistryEntry.h"
#include "script/SetupScript.h"

#include <cstring>

void FillRegistryList(CSetupScript& script, char* workBuffer) {
    while (!script.m_registryList.IsEmpty())
        delete script.m_registryList.RemoveHead();

    char* keys = workBuffer;
    char* valueNames = workBuffer + CSetupScript::kSecondKeyList;
    GetPrivateProfileStringA("Registry", nullptr, "", keys, CSetupScript::kKeyListSize,
                             script.m_strScriptPath);
    for (const char* key = keys; *key; key += std::strlen(key) + 1) {
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
        GetPrivateProfileStringA(key, nullptr, "", valueNames, CSetupScript::kKeyListSize,
                                 script.m_strScriptPath);
        for (const char* name = valueNames; *name; name += std::strlen(name) + 1) {
            char data[CSetupScript::kLineValueSize];
            GetPrivateProfileStringA(key, name, "", data, sizeof data, script.m_strScriptPath);
            entry->AddValue(name, data);
        }
        script.m_registryList.AddTail(entry);
    }
}
