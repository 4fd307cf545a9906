#include "script/RegistryEntry.h"

#include "script/RegistryValue.h"
#include "script/TargetFilter.h"
#include "script/TokenList.h"

#include <cstring>

namespace {

struct RootKey {
    LPCSTR name;
    HKEY handle;
};

const RootKey kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
};

} // namespace

CRegistryEntry::CRegistryEntry(LPCSTR key, LPCSTR value)
    : m_dwTargetOS(OS_ALL), m_dwTargetPC(PC_ALL), m_hRootKey(HKEY_LOCAL_MACHINE) {
    if (!key || std::strlen(key) >= static_cast<size_t>(kMaxKeyLength))
        return;

    CTokenList keyFields(key, ',');
    if (keyFields.GetCount() >= 1)
        m_strKeyName = keyFields.GetAt(0);
    if (m_strKeyName.IsEmpty())
        return;

    m_bValid = TRUE;
    if (keyFields.GetCount() >= 2) {
        m_dwTargetOS = ParseTargetOS(keyFields.GetAt(1));
        if (m_dwTargetOS == 0) {
            m_bValid = FALSE;
        } else if (keyFields.GetCount() >= 3) {
            m_dwTargetPC = ParseTargetPC(keyFields.GetAt(2));
            if (m_dwTargetPC == PC_UNKNOWN)
                m_bValid = FALSE;
        }
    }
    if (!m_bValid)
        return;

    CTokenList valueFields(value, ',');
    if (valueFields.GetCount() >= 1) {
        CString rootName = valueFields.GetAt(0);
        for (const RootKey& root : kRootKeys) {
            if (rootName.CompareNoCase(root.name) == 0) {
                m_hRootKey = root.handle;
                break;
            }
        }
    }
    if (valueFields.GetCount() >= 2)
        m_strParentKey = valueFields.GetAt(1);
}

CRegistryEntry::~CRegistryEntry() {
    while (!m_valueList.IsEmpty())
        delete m_valueList.RemoveHead();
}

void CRegistryEntry::AddValue(LPCSTR name, LPCSTR value) {
    CRegistryValue* registryValue = new CRegistryValue(name, value);
    if (registryValue->m_bValid)
        m_valueList.AddTail(registryValue);
    else
        delete registryValue;
}
