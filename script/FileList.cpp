#include "script/FileEntry.h"
#include "script/KeyList.h"
#include "script/SetupScript.h"
#include "script/TargetFilter.h"

#include <cstring>
#include <vector>

void FillFileList(CSetupScript& script) {
    while (!script.m_fileList.IsEmpty())
        delete script.m_fileList.RemoveHead();

    std::vector<char> keys;
    for (const char* key = ReadKeyList("Files", script.m_strScriptPath, keys); *key;
         key += std::strlen(key) + 1) {
        char value[CSetupScript::kLineValueSize];
        GetPrivateProfileStringA("Files", key, "", value, sizeof value, script.m_strScriptPath);

        CFileEntry* entry = new CFileEntry(key, value);
        if (!entry->m_bValid || (entry->m_dwTargetOS & script.m_dwRunningOS) == 0 ||
            (entry->m_dwTargetPC & script.m_dwRunningPC) == 0) {
            delete entry;
            continue;
        }
        script.m_fileList.AddTail(entry);
        if (!script.m_bDriverDllOnWin95 && (script.m_dwRunningOS & OS_WIN95) && entry->m_bDriverDll)
            script.m_bDriverDllOnWin95 = TRUE;
    }
}
